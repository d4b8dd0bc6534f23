#pragma once

#include <memory>
#include <optional>
#include <string>

#include "files/file_system.h"
#include "winsys/registry_calls.h"
#include "winsys/types.h"
#include "winsys/window_system.h"

namespace sprite::about {

// The About window's controls by their names while it is loaded, for a test
// that reads and clicks them: a misspelt name does not compile.
struct AboutControls {
  winsys::PushButton& cmdOK;
  winsys::PushButton& cmdSysInfo;
  winsys::Label& lblTitle;
  winsys::Label& lblVersion;
};

// The About window: the application title, its version, two fixed texts and a
// picture; OK closes it, System Info starts the system information program
// found through the registry.
class frmAbout {
 public:
  frmAbout(winsys::WindowSystem& windows, files::FileSystem& files);
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
  winsys::Window* LoadedWindow() { return window_.get(); }
  // The loaded window's controls; nothing when it is not loaded.
  const std::optional<AboutControls>& Controls() const { return controls_; }

 private:
  // Makes the window and its controls and fills in the caption, the version
  // and the title.
  void Form_Load();
  // Drops the window and its controls.
  void Unload();

  winsys::WindowSystem& windows_;
  files::FileSystem& files_;
  std::unique_ptr<winsys::Window> window_;
  std::optional<AboutControls> controls_;
};

}  // namespace sprite::about
