// UTF-8 inside and UTF-16 at the system: every name round-trips, bad bytes do not crash.
#include "common/utf16.h"

#include <gtest/gtest.h>

namespace sprite::testing {
namespace {

TEST(Utf16Test, TextRoundTripsThroughUtf16) {
  const struct {
    const char* name;
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"ASCII with a NUL inside", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"two-byte characters", "ärchiv", u"ärchiv"},
      {"three-byte characters", "日本", u"日本"},
      {"a character past U+FFFF", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a lone surrogate, as a Windows name may hold", "\xED\xA0\x80", std::u16string(1, 0xD800)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16);
    EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8);
  }
}

TEST(Utf16Test, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  const struct {
    const char* name;
    std::string bytes;
    std::u16string wanted;
  } cases[] = {
      {"a stray continuation byte", "a\x80z", u"a\uFFFDz"},
      {"a sequence cut short at the end", "a\xE6\x97", u"a\uFFFD\uFFFD"},
      {"an overlong form", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"a byte that starts nothing", "\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf16FromUtf8(c.bytes), c.wanted);
  }
}

}  // namespace
}  // namespace sprite::testing
