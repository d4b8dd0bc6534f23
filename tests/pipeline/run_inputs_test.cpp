// What a console's arguments name for Encode: pictures, @lists and folders.
#include "pipeline/run_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/memory_file_system.h"

namespace sprite::pipeline {
namespace {

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// The separator a folder that names none is joined with: Windows' own there.
const std::string kJoin = std::filesystem::path::preferred_separator == '\\' ? "\\" : "/";

TEST(RunInputs, ListsAndFoldersStandForTheirPicturesInOrder) {
  fakes::MemoryFileSystem files;
  for (const char* path : {"art/walk_10.png", "art/walk_2.PNG", "art/Walk_1.bmp", "art/notes.txt",
                           "art/sub.png/inside.bmp", "art/sub/deep.png", "empty/readme.md"}) {
    files.files[path] = Bytes{1};
  }
  files.files["lists/frames.txt"] = Text("# the hero\r\n  b.png \n\nart/c.bmp\n/abs/d.png\n");
  files.files["lists/none.txt"] = Text("# nothing yet\n\n");
  const struct {
    const char* what;
    std::vector<std::string> arguments;
    std::vector<std::string> paths;
    std::vector<FaultKind> problems;
  } cases[] = {
      {"a folder: its pictures in natural order, nothing deeper",
       {"art"},
       {"art" + kJoin + "Walk_1.bmp", "art" + kJoin + "walk_2.PNG", "art" + kJoin + "walk_10.png"},
       {}},
      {"a folder that ends in the system's separator: no second one",
       {"art" + kJoin},
       {"art" + kJoin + "Walk_1.bmp", "art" + kJoin + "walk_2.PNG", "art" + kJoin + "walk_10.png"},
       {}},
      {"a list: paths from its folder, comments and blanks skipped",
       {"x.bmp", "@lists/frames.txt", "art/"},
       {"x.bmp", "lists" + kJoin + "b.png", "lists" + kJoin + "art/c.bmp", "/abs/d.png",
        "art/Walk_1.bmp", "art/walk_2.PNG", "art/walk_10.png"},
       {}},
      {"a picture that is missing is left to Encode to report", {"gone.png"}, {"gone.png"}, {}},
      {"lists and folders that name no picture",
       {"@lists/none.txt", "empty", "@lists/gone.txt"},
       {},
       {FaultKind::kNoPictures, FaultKind::kNoPictures, FaultKind::kNoSuchFile}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::string_view> arguments(c.arguments.begin(), c.arguments.end());
    const RunInputs inputs = ExpandInputs(files, arguments);
    EXPECT_EQ(inputs.paths, c.paths);
    std::vector<FaultKind> kinds;
    for (const Problem& problem : inputs.problems) {
      kinds.push_back(problem.fault.kind);
      EXPECT_EQ(problem.effect, Problem::Effect::kRunRefused);
    }
    EXPECT_EQ(kinds, c.problems);
  }
  const std::vector<std::string_view> gone{"@lists/gone.txt"};
  EXPECT_EQ(ExpandInputs(files, gone).problems.at(0).text,
            "cannot read the list \"lists/gone.txt\": there is no such file; nothing was stored");
}

}  // namespace
}  // namespace sprite::pipeline
