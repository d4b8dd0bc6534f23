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

  winsys::MemoryWindow& Window() { return static_cast<winsys::MemoryWindow&>(form_->Window()); }
  app::Form1Controls Controls() { return form_->Controls(); }
  winsys::MemoryListBox& Log() { return winsys::AsMemory(Controls().List1); }
  winsys::MemoryListBox& FileList() { return winsys::AsMemory(Controls().lstFiles); }
  winsys::MemoryTextBox& Output() { return winsys::AsMemory(Controls().txtOut); }
  // A click as the user makes it: a disabled button takes none.
  static void Click(winsys::PushButton& button) { winsys::AsMemory(button).Click(); }
  // A menu item by its menu's and its own caption ("&List", "Move &Up").
  winsys::MemoryMenuItem& MenuItem(const std::string& menu, const std::string& item) {
    return Window().MenuNamed(menu).ItemNamed(item);
  }

  // Lists the files and names the archive, as the user does before Encode.
  void Prepare(const std::vector<std::string>& paths, const std::string& archive) {
    FileList().Clear();
    for (const auto& path : paths) {
      FileList().AddItem(path);
    }
    Output().SetText(archive);
  }
  // The six buttons, in tab order.
  std::vector<winsys::PushButton*> Buttons() {
    const app::Form1Controls c = Controls();
    return {&c.Command1, &c.Command2, &c.Command3, &c.Command4, &c.Command5, &c.cmdAbout};
  }
  void Encode() { Click(Controls().Command3); }
  void Decode() { Click(Controls().Command4); }

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
