#include "pipeline/list_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.h"

namespace sprite::pipeline {
namespace {

using Paths = std::vector<std::string>;

// Windows joins a folder that names no separator with its own.
constexpr bool kBackslashes = std::filesystem::path::preferred_separator == '\\';
const std::string kJoin = kBackslashes ? "\\" : "/";

TEST(ListFile, PathsComeOneALineFromTheListsFolder) {
  const std::string text =
      "\xEF\xBB\xBF# frames of the walk\r\n"
      "walk_1.png\r\n"
      "\r\n"
      "   \t\n"
      "  sub/walk 2.png  \n"
      "#walk_3.png\n"
      "/abs/walk_4.png\n"
      "C:\\art\\walk_5.png\n"
      " \"sub dir\\walk 6.png \" \r\n"
      "\"  \"\n"
      "./#odd.png";
  EXPECT_EQ(ParseListFile(text, "lists"),
            (Paths{"lists" + kJoin + "walk_1.png", "lists" + kJoin + "sub/walk 2.png",
                   "/abs/walk_4.png", "C:\\art\\walk_5.png",
                   "lists" + kJoin + "sub dir\\walk 6.png", "lists" + kJoin + "./#odd.png"}));
  EXPECT_EQ(ParseListFile("a.png\n", ""), (Paths{"a.png"}));
  EXPECT_EQ(ParseListFile("a.png", "/x/"), (Paths{"/x/a.png"}));
  EXPECT_EQ(ParseListFile("", "x"), Paths{});
}

TEST(ListFile, AUtf16ListWithItsByteOrderMarkNamesWhatItsUtf8TextNames) {
  // "é 中.png\r\n#c\r\nb.png" with its byte-order mark, in either order.
  const std::string little(
      "\xFF\xFE\xE9\0 \0\x2D\x4E.\0p\0n\0g\0\r\0\n\0#\0c\0\r\0\n\0b\0.\0p\0n\0g\0", 38);
  std::string big = little;
  for (std::size_t i = 0; i < big.size(); i += 2) {
    std::swap(big[i], big[i + 1]);
  }
  for (const std::string& text : {little, big}) {
    SCOPED_TRACE(text == little ? "little-endian" : "big-endian");
    EXPECT_EQ(ParseListFile(text, "x"),
              (Paths{"x" + kJoin + "\xC3\xA9 \xE4\xB8\xAD.png", "x" + kJoin + "b.png"}));
  }
  // Cut inside its last character, the line names no file it did not say.
  EXPECT_EQ(ParseListFile(little.substr(0, 37), ""),
            (Paths{"\xC3\xA9 \xE4\xB8\xAD.png", "b.pn\xEF\xBF\xBD"}));
}

TEST(ListFile, LeadingFoldersUpLeaveTheFolderTheListWasNamedThrough) {
  const struct {
    std::string folder;
    std::string line;
    std::string path;
  } cases[] = {
      {"link", "../o/a.png", "o/a.png"},  // link -> s1/s2: not s1/o/a.png
      {"x/link", "../../o/a.png", "o/a.png"},
      {"x/y/", "..\\..\\a.png", "a.png"},
      {"x", "../../a.png", "../a.png"},
      {"", "../a.png", "../a.png"},
      {"../lists", "../../a.png", "../../a.png"},
      {"/art", "../../a.png", "/../a.png"},
      {"C:\\art", "..\\..\\a.png", "C:\\..\\a.png"},
      {"x", "..", "."},
      {"x", "sub/../a.png",
       "x" + kJoin + "sub/../a.png"},  // the line's own folders are the system's
      // Joined as the folder is written; "C:" is the current folder of drive C.
      {"art\\pics", "a.png", kBackslashes ? "art\\pics\\a.png" : "art\\pics/a.png"},
      {"art\\pics/x", "a.png", "art\\pics/x/a.png"},
      {"C:", "a.png", kBackslashes ? "C:a.png" : "C:/a.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder + " + " + c.line);
    EXPECT_EQ(ParseListFile(c.line, c.folder), Paths{c.path});
  }
}

TEST(ListFile, ALineWithAControlCharacterIsRefusedByItsNumber) {
  const struct {
    std::string text;
    std::int64_t line;
    std::string shown;
  } cases[] = {
      {std::string("a.png\nb.png\0junk\n", 17), 2, "\\x00"},
      {"# \x1B comments may hold anything\r\n\x1B[2Ja.png", 2, "\\x1B"},
      {"a\tb.png", 1, "\\x09"},
      {"\"\ta.png\"", 1, "\\x09"},  // in quotes too
      {"a.png\r\r\n", 1, "\\x0D"},
      {"\xC2\x9B"
       "a.png",
       1, "\\u009B"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    try {
      ParseListFile(c.text, "");
      ADD_FAILURE() << "not refused";
    } catch (const FaultError& error) {
      EXPECT_EQ(error.Kind(), FaultKind::kBadListLine);
      EXPECT_EQ(error.Details().value, c.line);
      EXPECT_EQ(error.Details().text, c.shown);
    }
  }
}

TEST(ListFile, WrittenListsReadBackTheSamePaths) {
  const Paths paths = {
      "\xEF\xBB\xBF"
      "bom.png",
      "a.spr.0001.png",
      "#1.png",
      " lead.png",
      "/abs/b.png",
      "sub dir/c.png",
      "\"quoted\""};
  const Paths back = ParseListFile(FormatListFile(paths), "");
  EXPECT_EQ(back, (Paths{"./\xEF\xBB\xBF"
                         "bom.png",
                         "a.spr.0001.png", "./#1.png", "./ lead.png", "/abs/b.png", "sub dir/c.png",
                         "./\"quoted\""}));
  // A first path that starts like a UTF-16 byte-order mark is not read as one.
  for (const std::string first : {"\xFE\xFF.png", "\xFF\xFE.png"}) {
    EXPECT_EQ(ParseListFile(FormatListFile(Paths{first}), ""), Paths{"./" + first});
  }
  for (const std::string bad : {"a\nb.png", "a\r.png", "a\x1B.png", "", "trailing.png "}) {
    EXPECT_THROW(FormatListFile(Paths{bad}), InvalidArgumentError) << bad;
  }
}

}  // namespace
}  // namespace sprite::pipeline
