#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/test_files.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_window_system.h"

namespace sprite::testing {

// A main window on the recording window system, over real files in a folder of its own.
class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : form_(std::make_unique<app::Form1>(windows_, files_)) {}

  winsys::MemoryWindow& window() { return windows_.window(0); }
  winsys::MemoryListBox& log() { return window().listBox("List1"); }
  winsys::MemoryListBox& fileList() { return window().listBox("lstFiles"); }
  winsys::MemoryTextBox& output() { return window().textBox("txtOut"); }
  winsys::MemoryPushButton& button(const std::string& name) { return window().button(name); }

  // Lists the files and names the archive, as the user does before Encode.
  void Prepare(const std::vector<std::string>& paths, const std::string& archive) {
    fileList().Clear();
    for (const auto& path : paths) {
      fileList().AddItem(path);
    }
    output().SetText(archive);
  }
  void Encode() { button("Command3").Click(); }
  void Decode() { button("Command4").Click(); }

  std::string WriteBitmap(const std::string& name, const BitmapFields& fields) {
    const std::string path = folder_.Path(name);
    WriteFile(path, BuildBitmap(fields));
    return path;
  }

  TempFolder folder_;
  fakes::FakeWindowSystem windows_;
  fakes::FakeFileSystem files_;
  std::unique_ptr<app::Form1> form_;
};

}  // namespace sprite::testing
