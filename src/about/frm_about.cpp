#include "about/frm_about.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "about/about_picture.h"
#include "common/error.h"

namespace sprite::about {
namespace {

using winsys::HKEY;
using winsys::TwipsRect;

constexpr char kDescription[] =
    "Made for the modding community, with thanks to everyone who took the game's sprite "
    "archives apart and wrote down what they found: the run-length code for empty pixels, the "
    "shared 256-colour palette, and the many odd files that kept the tool honest.";
constexpr char kDisclaimer[] =
    "Built on a community-written decoder of the game's sprite archive format.";

constexpr std::uint32_t kLineColour = 0x808080;

// Where the registry names the system information program: its full path, or
// the folder that holds it.
constexpr char kKeySysInfo[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr char kKeySysInfoPath[] = "PATH";
constexpr char kKeySysInfoLoc[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr char kKeySysInfoLocValue[] = "MSINFO";
constexpr char kSysInfoProgram[] = "\\MSINFO32.EXE";
constexpr char kUnavailable[] = "System Information Is Unavailable At This Time";

// The keys are only read: asking for more (set, create) fails for a standard
// user under HKEY_LOCAL_MACHINE, and System Info would then be "unavailable".
constexpr std::uint32_t kKeyAccess = winsys::KEY_READ;
constexpr std::uint32_t kValueBufferSize = 1024;

winsys::WindowSpec AboutWindowSpec(const std::string& caption) {
  winsys::WindowSpec design;
  design.caption = caption;
  design.clientWidth = 5475;
  design.clientHeight = 4215;
  design.font = winsys::FontSpec{"Tahoma", 8.25, 400, 238};
  design.fixedBorder = true;
  design.centred = true;
  design.showInTaskbar = false;
  return design;
}

// Closes an open key on every way out of a lookup, an error included.
class OpenKey {
 public:
  OpenKey(winsys::RegistryCalls& registry, HKEY key) : registry_(registry), key_(key) {}
  ~OpenKey() { registry_.RegCloseKey(key_); }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

 private:
  winsys::RegistryCalls& registry_;
  HKEY key_;
};

// "&h" and the value's bytes from the last to the first, two digits each: the
// platform stores numbers least significant byte first. A value shortened by
// its zero top byte is still written with all four bytes.
std::string DwordText(ByteView bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "&h";
  for (std::size_t i = std::max<std::size_t>(bytes.size(), 4); i-- > 0;) {
    const std::uint8_t byte = i < bytes.size() ? bytes[i] : 0;
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

}  // namespace

frmAbout::frmAbout(winsys::WindowSystem& windows, files::FileSystem& files)
    : windows_(windows), files_(files) {}

frmAbout::~frmAbout() = default;

void frmAbout::Show() {
  Form_Load();
  try {
    windows_.ShowModal(*window_);
  } catch (...) {
    Unload();
    throw;
  }
  Unload();
}

void frmAbout::Unload() {
  controls_.reset();
  window_.reset();
}

void frmAbout::Form_Load() {
  const winsys::AppInfo app = windows_.AppInformation();
  // A window keeps the caption it is made with, so the caption comes first.
  window_ = windows_.CreateWindow(AboutWindowSpec("About " + app.title));
  winsys::Window& window = *window_;

  // Made in tab order.
  winsys::PushButton& cmdOK = window.AddButton({"cmdOK", TwipsRect{4095, 3360, 1260, 345}}, "OK");
  window.AddPictureBox({"picIcon", TwipsRect{105, 105, 1125, 3000}},
                       PictureFromBitmap(AboutPictureFile()));
  winsys::PushButton& cmdSysInfo =
      window.AddButton({"cmdSysInfo", TwipsRect{4095, 3780, 1245, 345}}, "&System Info...");
  window.AddLabel({"lblDescription", TwipsRect{1470, 1125, 3885, 1170}}, kDescription);
  window.AddLabel({"lblDisclaimer", TwipsRect{105, 3360, 3870, 825}}, kDisclaimer);
  winsys::Label& lblTitle =
      window.AddLabel({"lblTitle", TwipsRect{1470, 240, 3885, 480}}, "Application Title");
  winsys::Label& lblVersion =
      window.AddLabel({"lblVersion", TwipsRect{1470, 780, 3885, 225}}, "Version");
  window.AddLine({105, 3255}, {5355, 3255}, kLineColour);

  // Enter and Esc both press OK.
  cmdOK.SetDefault(true);
  cmdOK.SetCancel(true);
  cmdOK.SetOnClick([this] { cmdOK_Click(); });
  cmdSysInfo.SetOnClick([this] { cmdSysInfo_Click(); });

  controls_.emplace(AboutControls{cmdOK, cmdSysInfo, lblTitle, lblVersion});
  lblVersion.SetCaption("Version " + std::to_string(app.major) + "." + std::to_string(app.minor) +
                        "." + std::to_string(app.revision));
  lblTitle.SetCaption(app.title);
}

void frmAbout::cmdOK_Click() {
  // The modal show returns and unloads the window.
  window_->Close();
}

void frmAbout::cmdSysInfo_Click() {
  StartSysInfo();
}

void frmAbout::StartSysInfo() {
  try {
    std::string sysInfoPath;
    // The full path is started as it is; a missing program fails at the start.
    if (!GetKeyValue(winsys::HKEY_LOCAL_MACHINE, kKeySysInfo, kKeySysInfoPath, sysInfoPath)) {
      if (!GetKeyValue(winsys::HKEY_LOCAL_MACHINE, kKeySysInfoLoc, kKeySysInfoLocValue,
                       sysInfoPath)) {
        windows_.MessageBox(kUnavailable, {}, winsys::MessageIcon::kInformation);
        return;
      }
      if (!files_.IsPlainFile(sysInfoPath + kSysInfoProgram)) {
        windows_.MessageBox(kUnavailable, {}, winsys::MessageIcon::kInformation);
        return;
      }
      sysInfoPath += kSysInfoProgram;
    }
    windows_.Programs().StartProgram(sysInfoPath);
  } catch (const std::exception&) {
    windows_.MessageBox(kUnavailable, {}, winsys::MessageIcon::kInformation);
  }
}

winsys::VbBool frmAbout::GetKeyValue(HKEY KeyRoot, const std::string& KeyName,
                                     const std::string& SubKeyRef, std::string& KeyVal) {
  winsys::RegistryCalls& registry = windows_.Registry();
  HKEY hKey = 0;
  if (registry.RegOpenKeyExA(KeyRoot, KeyName, 0, kKeyAccess, hKey) != winsys::ERROR_SUCCESS) {
    KeyVal.clear();
    return winsys::kVbFalse;
  }
  const OpenKey openKey(registry, hKey);

  std::vector<std::uint8_t> tmpVal(kValueBufferSize, 0);
  std::uint32_t keyValSize = kValueBufferSize;
  std::uint32_t keyValType = 0;
  if (registry.RegQueryValueExA(hKey, SubKeyRef, 0, keyValType, tmpVal, keyValSize) !=
      winsys::ERROR_SUCCESS) {
    KeyVal.clear();
    return winsys::kVbFalse;
  }
  // The last returned byte is looked at; a value of no bytes has none.
  if (keyValSize == 0 || keyValSize > kValueBufferSize) {
    throw InvalidArgumentError("the registry value \"" + SubKeyRef + "\" returned " +
                               std::to_string(keyValSize) + " bytes, outside 1 to " +
                               std::to_string(kValueBufferSize));
  }
  // A terminating zero byte is not part of the text.
  const std::size_t length = tmpVal[keyValSize - 1] == 0 ? keyValSize - 1 : keyValSize;
  const ByteView returned(tmpVal.data(), length);

  if (keyValType == winsys::REG_SZ) {
    KeyVal.assign(returned.begin(), returned.end());
  } else if (keyValType == winsys::REG_DWORD) {
    KeyVal = DwordText(returned);
  }
  return winsys::kVbTrue;
}

}  // namespace sprite::about
