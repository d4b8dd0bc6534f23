// Folders as Encode reads them, on the system's own file system: what a folder
// holds, and what is not a folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "common/error.h"
#include "files/native_file_system.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;

TEST(FolderListingTest, AFolderGivesEveryNameItHoldsInUtf8) {
  TempFolder folder;
  const auto files = files::MakeNativeFileSystem();
  for (const std::string name : {"walk_10.png", "日本の.bmp", ".hidden", "ä b.PNG"}) {
    WriteFile(folder.Path(name), Bytes{1});
  }
  std::filesystem::create_directory(PathFromUtf8(folder.Path("sub")));

  std::vector<std::string> names = files->ListFolder(folder.Path(""));
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre(".hidden", "sub", "walk_10.png", "ä b.PNG", "日本の.bmp"));
  EXPECT_TRUE(files->IsFolder(folder.Path("sub")));
  EXPECT_THAT(files->ListFolder(folder.Path("sub")), ElementsAre());
}

TEST(FolderListingTest, WhatIsNotAFolderIsSaidAndRefused) {
  TempFolder folder;
  const auto files = files::MakeNativeFileSystem();
  WriteFile(folder.Path("a.png"), Bytes{1});
  const struct {
    std::string path;
    std::optional<FaultKind> listing;  // what ListFolder throws
  } cases[] = {
      {folder.Path("a.png"), FaultKind::kNotAFolder},
      {folder.Path("none"), FaultKind::kNoSuchFile},
      {"", FaultKind::kNoFileName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_FALSE(files->IsFolder(c.path));
    std::optional<FaultKind> thrown;
    try {
      files->ListFolder(c.path);
    } catch (const FaultError& error) {
      thrown = error.Kind();
    }
    EXPECT_EQ(thrown, c.listing);
  }
}

}  // namespace
}  // namespace sprite::testing
