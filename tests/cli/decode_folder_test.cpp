// decode's -C FOLDER, checked before anything is read, on each system.
#include <gtest/gtest.h>

#include "app/test_files.h"
#include "cli/shared_options.h"

namespace sprite::cli {
namespace {

TEST(DecodeFolderTest, WhatStandsAtTheFolderGivenIsSaid) {
  testing::TempFolder folder;
  testing::WriteFile(folder.Path("a.bmp"), Bytes{1});
#ifdef _WIN32
  const std::string device = "nul";
#else
  const std::string device = "/dev/null";
#endif
  const struct {
    std::string directory;
    std::string error;
  } cases[] = {
      {folder.Path("gone"), "no such folder \"" + folder.Path("gone") + "\""},
      {folder.Path("a.bmp"), "\"" + folder.Path("a.bmp") + "\" is not a folder"},
      {device, "\"" + device + "\" is not a folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directory);
    Request request;
    request.command = "decode";
    request.directory = c.directory;
    EXPECT_EQ(CheckDecodeOptions(request).value_or(""), c.error);
  }
}

}  // namespace
}  // namespace sprite::cli
