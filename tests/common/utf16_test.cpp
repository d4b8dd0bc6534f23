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

// Or, for a toolkit's controls, escapes that give back the very bytes.
TEST(Utf16Test, BytesThatAreNotUtf8BecomeReplacementCharactersOrEscapes) {
  const struct {
    const char* name;
    std::string bytes;
    std::u16string wanted;
    std::u16string escaped;
  } cases[] = {
      {"a stray continuation byte", "a\x80z", u"a\uFFFDz", u"a\xDC80z"},
      {"a sequence cut short at the end", "a\xE6\x97", u"a\uFFFD\uFFFD", u"a\xDCE6\xDC97"},
      {"an overlong form", "\xC0\xAF", u"\uFFFD\uFFFD", u"\xDCC0\xDCAF"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD",
       u"\xDCF4\xDC90\xDC80\xDC80"},
      {"a byte that starts nothing", "\xFF", u"\uFFFD", u"\xDCFF"},
      {"a Latin-1 name", "caf\xE9.png", u"caf\uFFFD.png", u"caf\xDCE9.png"},
      {"a surrogate's three bytes", "\xED\xB3\xA9", u"\xDCE9", u"\xDCED\xDCB3\xDCA9"},
      {"UTF-8, U+FFFD itself among it", "\xC3\xA9\xEF\xBF\xBD", u"\u00E9\uFFFD", u"\u00E9\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf16FromUtf8(c.bytes), c.wanted);
    EXPECT_EQ(EscapedUtf16FromBytes(c.bytes), c.escaped);
    EXPECT_EQ(BytesFromEscapedUtf16(c.escaped), c.bytes);
  }
}

}  // namespace
}  // namespace sprite::testing
