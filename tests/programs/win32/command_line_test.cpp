// sprite-cli's own wildcards, as cmd.exe leaves them to the program.
#include "programs/win32/command_line.h"

// clang-format off
#include <windows.h>
// clang-format on

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/test_files.h"
#include "common/utf16.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;

TEST(CommandLineTest, WildcardsMatchAnyRunAndOneCharacter) {
  const struct {
    std::u16string name;
    std::u16string pattern;
    bool matches;
  } cases[] = {
      {u"A.BMP", u"*.BMP", true},
      {u"A.BMPX", u"*.BMP", false},
      {u"HERO_1.BMP", u"HERO_?.BMP", true},
      {u"HERO_10.BMP", u"HERO_?.BMP", false},
      {u"ÄRCHIV.SPR", u"?RCHIV.*", true},
      {u"", u"*", true},
      {u"AB", u"*A*B*", true},
      {u"AAAAAAAAAAAAAAAAAAAAAAAB", u"*A*A*A*A*C", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(programs::MatchesWildcard(c.name, c.pattern), c.matches);
  }
}

TEST(CommandLineTest, FileArgumentsAreExpandedOptionsAndTheirValuesAreNot) {
  TempFolder folder;
  for (const std::string name : {"b10.bmp", "A.BMP", "b9.bmp", "ä.bmp", "c.png"}) {
    WriteFile(folder.Path(name), Bytes{1});
  }
  WriteFile(folder.Path("hidden.bmp"), Bytes{1});
  ::SetFileAttributesW(Wide(folder.Path("hidden.bmp")).c_str(), 2 /* hidden */);
  const std::string pattern = folder.Path("*.bmp");
  const std::string none = folder.Path("*.gif");

  EXPECT_THAT(programs::ExpandWildcards({"encode", "-o", "*.spr", pattern, "-qo*.spr", none}),
              ElementsAre("encode", "-o", "*.spr", folder.Path("A.BMP"), folder.Path("b9.bmp"),
                          folder.Path("b10.bmp"), folder.Path("ä.bmp"), "-qo*.spr", none));
  EXPECT_THAT(programs::ExpandWildcards({"decode", "-C", pattern, "--", folder.Path("?.png")}),
              ElementsAre("decode", "-C", pattern, "--", folder.Path("c.png")));
}

}  // namespace
}  // namespace sprite::testing
