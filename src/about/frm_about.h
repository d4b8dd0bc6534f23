#pragma once

#include <cstdint>
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
  // when it has been closed. OK unloads it, so every show loads it again.
  void Show();

  void cmdOK_Click();
  void cmdSysInfo_Click();
  void StartSysInfo();
  // Reads a text or 32-bit value into KeyVal; true (-1) when the value was read.
  winsys::VbBool GetKeyValue(winsys::HKEY KeyRoot, const std::string& KeyName,
                             const std::string& SubKeyRef, std::string& KeyVal);

  // The loaded window, or nullptr when it is not loaded.
  winsys::Window* window() { return window_.get(); }

 private:
  void Form_Load();

  winsys::WindowSystem& windows_;
  winsys::FileSystem& files_;
  std::unique_ptr<winsys::Window> window_;
};

}  // namespace sprite::about
