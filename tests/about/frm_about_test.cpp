#include "about/frm_about.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "app/test_files.h"
#include "common/error.h"
#include "fakes/fake_window_system.h"
#include "files/native_file_system.h"

namespace sprite::testing {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using Value = fakes::FakeRegistry::Value;

constexpr char kKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr char kLocationKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr char kUnavailable[] = "System Information Is Unavailable At This Time";

Value Text(const std::string& text, bool terminated = true) {
  return fakes::FakeRegistry::Text(text, terminated);
}

class FrmAboutTest : public ::testing::Test {
 protected:
  fakes::FakeWindowSystem windows_;
  std::unique_ptr<files::FileSystem> files_ = files::MakeNativeFileSystem();
  about::frmAbout about_{windows_, *files_};
};

struct LookupCase {
  const char* name;
  std::optional<Value> value;  // none: the value is missing from an existing key
  winsys::VbBool result;
  std::string keyVal;
};

TEST_F(FrmAboutTest, GetKeyValueReadsTextsAndNumbersAndClosesTheKey) {
  const std::vector<LookupCase> cases = {
      {"text with its terminating zero", Text("C:\\Tools\\info.exe"), -1, "C:\\Tools\\info.exe"},
      {"text without a terminator", Text("C:\\Tools", false), -1, "C:\\Tools"},
      {"text ending in two zeros keeps one", Value{winsys::REG_SZ, {'A', 0, 0}}, -1,
       std::string("A\0", 2)},
      {"number, top byte zero", Value{winsys::REG_DWORD, {0x40, 0xE2, 0x01, 0x00}}, -1,
       "&h0001E240"},
      {"another type leaves the text", Value{3, {1, 2, 3}}, -1, "as passed"},
      {"missing value", std::nullopt, 0, ""},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.name);
    windows_.registry = fakes::FakeRegistry();
    windows_.registry.Set(kKey, "Other", Text("x"));
    if (c.value) {
      windows_.registry.Set(kKey, "PATH", *c.value);
    }
    std::string keyVal = "as passed";
    EXPECT_EQ(about_.GetKeyValue(winsys::HKEY_LOCAL_MACHINE, kKey, "PATH", keyVal), c.result);
    EXPECT_EQ(keyVal, c.keyVal);
    EXPECT_THAT(windows_.registry.calls,
                ElementsAre("RegOpenKeyExA(2147483650, " + std::string(kKey) + ", 0, 131097)",
                            "RegQueryValueExA(1, PATH, 0, 1024, 1024)", "RegCloseKey(1)"));
  }
}

TEST_F(FrmAboutTest, GetKeyValueOfAMissingKeyEmptiesTheTextAndClosesNothing) {
  std::string keyVal = "as passed";
  EXPECT_EQ(about_.GetKeyValue(winsys::HKEY_LOCAL_MACHINE, kKey, "PATH", keyVal), 0);
  EXPECT_EQ(keyVal, "");
  EXPECT_EQ(windows_.registry.calls.size(), 1u);  // opened, nothing to close
}

TEST_F(FrmAboutTest, GetKeyValueOfAnEmptyValueThrowsAndStillClosesTheKey) {
  windows_.registry.Set(kKey, "PATH", Value{winsys::REG_SZ, {}});
  std::string keyVal;
  EXPECT_THROW(about_.GetKeyValue(winsys::HKEY_LOCAL_MACHINE, kKey, "PATH", keyVal),
               InvalidArgumentError);
  EXPECT_EQ(windows_.registry.calls.back(), "RegCloseKey(1)");
}

struct SysInfoCase {
  const char* name;
  const char* path;  // "PATH" under the first key; nullptr: none
  bool folderKey;    // "MSINFO" under the second key names the test's folder
  bool programInFolder;
  bool startFails;
  bool started;  // the program named by the path, else by the folder; or the message
};

TEST_F(FrmAboutTest, StartSysInfoStartsTheProgramTheRegistryNamesOrShowsTheMessage) {
  TempFolder temp;
  const std::string folder = temp.Path("tools");
  const std::string program = folder + "\\MSINFO32.EXE";
  // On Windows the program lies in the folder; elsewhere the backslash is part of its name.
  std::filesystem::create_directory(PathFromUtf8(folder));
  const std::vector<SysInfoCase> cases = {
      {"path started unchanged, untested", "/no/such/tool", true, true, false, true},
      {"folder holding the program", nullptr, true, true, false, true},
      {"folder without the program", nullptr, true, false, false, false},
      {"start that fails", "/no/such/tool", false, false, true, false},
      {"both values missing", nullptr, false, false, false, false},
  };
  for (const SysInfoCase& c : cases) {
    SCOPED_TRACE(c.name);
    windows_.registry = fakes::FakeRegistry();
    windows_.programs = fakes::FakeProgramStarter();
    windows_.messages.clear();
    std::filesystem::remove(PathFromUtf8(program));
    if (c.path != nullptr) {
      windows_.registry.Set(kKey, "PATH", Text(c.path));
    }
    if (c.folderKey) {
      windows_.registry.Set(kLocationKey, "MSINFO", Text(folder));
    }
    if (c.programInFolder) {
      WriteFile(program, Bytes{'M', 'Z'});
    }
    if (c.startFails) {
      windows_.programs.missing.insert(c.path);
    }

    about_.StartSysInfo();

    using Texts = std::vector<std::string>;
    EXPECT_EQ(windows_.programs.started,
              c.started ? Texts{c.path != nullptr ? c.path : program} : Texts{});
    EXPECT_EQ(windows_.messages, c.started ? Texts{} : Texts{kUnavailable});
    if (c.path != nullptr) {
      EXPECT_THAT(windows_.registry.calls, Each(Not(HasSubstr(kLocationKey))));
    }
  }
}

TEST_F(FrmAboutTest, ShowLoadsTheWindowEveryTimeAndUnloadsItWhenClosed) {
  std::vector<winsys::HWND> shown;
  windows_.whileShown = [&](winsys::MemoryWindow& window) {
    shown.push_back(window.hWnd());
    EXPECT_EQ(window.Design().caption, "About Sprite Encoder / Decoder");
    ASSERT_TRUE(about_.Controls().has_value());
    const about::AboutControls& controls = *about_.Controls();
    EXPECT_EQ(winsys::AsMemory(controls.lblVersion).Caption(), "Version 1.2.11");
    EXPECT_EQ(winsys::AsMemory(controls.lblTitle).Caption(), "Sprite Encoder / Decoder");
    EXPECT_THAT(window.TabOrder(), ElementsAre("cmdOK", "picIcon", "cmdSysInfo", "lblDescription",
                                               "lblDisclaimer", "lblTitle", "lblVersion"));
    const winsys::Picture& picture = window.PictureNamed("picIcon");
    EXPECT_EQ(picture.width, 75);
    EXPECT_EQ(picture.height, 200);

    // System Info without a registry: the message, and the window stays.
    winsys::AsMemory(controls.cmdSysInfo).Click();
    EXPECT_THAT(windows_.messages, ElementsAre(kUnavailable));
    EXPECT_THAT(windows_.icons, ElementsAre(winsys::MessageIcon::kInformation));
    EXPECT_TRUE(window.Shown());
    winsys::AsMemory(controls.cmdOK).Click();
    EXPECT_FALSE(window.Shown());
    windows_.messages.clear();
    windows_.icons.clear();
  };

  about_.Show();
  EXPECT_EQ(about_.LoadedWindow(), nullptr);
  about_.Show();
  EXPECT_EQ(about_.LoadedWindow(), nullptr);
  EXPECT_FALSE(about_.Controls().has_value());
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0], shown[1]);
}

}  // namespace
}  // namespace sprite::testing
