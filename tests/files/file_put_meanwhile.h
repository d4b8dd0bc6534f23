// A file another run puts at a name while a file system writes its own there,
// checked the same way on every system.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/test_files.h"
#include "common/error.h"
#include "files/file_system.h"

namespace sprite::testing {

// The file put there is kept, and the write is refused as changed meanwhile.
inline void ExpectAFilePutAtTheNameMeanwhileIsKept(files::FileSystem& files) {
  TempFolder folder;
  const std::string path = folder.Path("a.spr");
  WriteFile(path, Bytes{1});
  auto file = files.CreateReplacing(path);
  file->Append(Bytes{2});
  WriteFile(folder.Path("theirs"), Bytes{3, 3});
  std::filesystem::rename(folder.Path("theirs"), path);
  try {
    file->Commit();
    ADD_FAILURE() << "the file put at the name was replaced";
  } catch (const FaultError& error) {
    EXPECT_EQ(error.Kind(), FaultKind::kChangedMeanwhile);
  }
  file.reset();
  EXPECT_EQ(ReadFile(path), (Bytes{3, 3}));
  EXPECT_THAT(folder.Names(), ::testing::ElementsAre("a.spr"));
}

}  // namespace sprite::testing
