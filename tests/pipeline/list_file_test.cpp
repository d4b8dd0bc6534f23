#include "pipeline/list_file.h"

#include <gtest/gtest.h>

#include "common/error.h"

namespace sprite::pipeline {
namespace {

using Paths = std::vector<std::string>;

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
      "./#odd.png";
  EXPECT_EQ(ParseListFile(text, "lists"),
            (Paths{"lists/walk_1.png", "lists/sub/walk 2.png", "/abs/walk_4.png",
                   "C:\\art\\walk_5.png", "lists/./#odd.png"}));
  EXPECT_EQ(ParseListFile("a.png\n", ""), (Paths{"a.png"}));
  EXPECT_EQ(ParseListFile("a.png", "/x/"), (Paths{"/x/a.png"}));
  EXPECT_EQ(ParseListFile("", "x"), Paths{});
}

TEST(ListFile, WrittenListsReadBackTheSamePaths) {
  const Paths paths = {"a.spr.0001.png", "#1.png", " lead.png", "/abs/b.png", "sub dir/c.png"};
  const Paths back = ParseListFile(FormatListFile(paths), "");
  EXPECT_EQ(back,
            (Paths{"a.spr.0001.png", "./#1.png", "./ lead.png", "/abs/b.png", "sub dir/c.png"}));
  for (const std::string bad : {"a\nb.png", "a\r.png", "", "trailing.png "}) {
    EXPECT_THROW(FormatListFile(Paths{bad}), InvalidArgumentError) << bad;
  }
}

}  // namespace
}  // namespace sprite::pipeline
