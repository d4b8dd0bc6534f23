#pragma once

#include <memory>
#include <string>

#include "winsys/file_system.h"
#include "winsys/registry_calls.h"
#include "winsys/types.h"
#include "winsys/window_system.h"

namespace sprite::about {

// The About window: the application title, its version, two fixed texts and a
// picture; OK closes it, System Info starts the system information program
// found through the registry.
class frmAbout {
 public:
  frmAbout(winsys::WindowSystem& windows, winsys::FileSystem& files);
  ~frmAbout();
  frmAbout(const frmAbout&) = delete;
  frmAbout& operator=(const frmAbout&) = delete;

  // Loads the window (Form_Load), shows it modally without an owner and returns
  // when it has been closed. Closing unloads it, so every show loads it again.
  void Show();

  void cmdOK_Click();
  void cmdSysInfo_Click();
  // Starts the system information program named in the registry; every failure
  // ends in one message box and the window stays open.
  void StartSysInfo();
  // Reads a text or 32-bit value into KeyVal; true (-1) when the value was read,
  // false (0) with KeyVal emptied when the key or the value is missing. Values
  // of other types leave KeyVal as passed and give true. A value of no bytes
  // throws InvalidArgumentError. The key is closed on every way out.
  winsys::VbBool GetKeyValue(winsys::HKEY KeyRoot, const std::string& KeyName,
                             const std::string& SubKeyRef, std::string& KeyVal);

  // The loaded window, or nullptr when it is not loaded.
  winsys::Window* window() { return window_.get(); }

 private:
  // Makes the window and its controls and fills in the caption, the version
  // and the title.
  void Form_Load();

  winsys::WindowSystem& windows_;
  winsys::FileSystem& files_;
  std::unique_ptr<winsys::Window> window_;
};

}  // namespace sprite::about
