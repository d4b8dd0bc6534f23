#include "about/frm_about.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "app/test_files.h"
#include "common/error.h"
#include "fakes/fake_window_system.h"
#include "winsys/posix/posix_file_system.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Value = fakes::FakeRegistry::Value;

constexpr char kKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr char kLocationKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr char kUnavailable[] = "System Information Is Unavailable At This Time";

Value Text(const std::string& text, bool terminated = true) {
  return fakes::FakeRegistry::Text(text, terminated);
}

// The recording window system whose modal show hands the shown window to the
// test before it closes.
class AboutWindowSystem : public fakes::FakeWindowSystem {
 public:
  void ShowModal(winsys::Window& window) override {
    window.Show();
    if (whileShown) {
      whileShown(static_cast<winsys::MemoryWindow&>(window));
    }
    window.Close();
  }
  std::function<void(winsys::MemoryWindow&)> whileShown;
};

class FrmAboutTest : public ::testing::Test {
 protected:
  std::size_t Count(const std::string& call) const {
    return static_cast<std::size_t>(
        std::count_if(windows_.registry.calls.begin(), windows_.registry.calls.end(),
                      [&](const std::string& c) { return c.rfind(call, 0) == 0; }));
  }

  AboutWindowSystem windows_;
  winsys::PosixFileSystem files_;
  about::frmAbout about_{windows_, files_};
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
      {"number, every byte set", Value{winsys::REG_DWORD, {0x78, 0x56, 0x34, 0x12}}, -1,
       "&h12345678"},
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
                ElementsAre("RegOpenKeyExA(2147483650, " + std::string(kKey) + ", 0, 131135)",
                            "RegQueryValueExA(1, PATH, 0, 1024, 1024)", "RegCloseKey(1)"));
  }
}

TEST_F(FrmAboutTest, GetKeyValueOfAMissingKeyEmptiesTheTextAndClosesNothing) {
  std::string keyVal = "as passed";
  EXPECT_EQ(about_.GetKeyValue(winsys::HKEY_LOCAL_MACHINE, kKey, "PATH", keyVal), 0);
  EXPECT_EQ(keyVal, "");
  EXPECT_EQ(Count("RegCloseKey"), 0u);
}

TEST_F(FrmAboutTest, GetKeyValueOfAnEmptyValueThrowsAndStillClosesTheKey) {
  windows_.registry.Set(kKey, "PATH", Value{winsys::REG_SZ, {}});
  std::string keyVal;
  EXPECT_THROW(about_.GetKeyValue(winsys::HKEY_LOCAL_MACHINE, kKey, "PATH", keyVal),
               InvalidArgumentError);
  EXPECT_EQ(Count("RegCloseKey(1)"), 1u);
}

struct SysInfoCase {
  const char* name;
  std::optional<Value> path;    // "PATH" under the first key
  std::optional<Value> folder;  // "MSINFO" under the second key
  bool programInFolder;
  bool startFails;
  std::vector<std::string> started;  // "<folder>" stands for the temporary folder
  bool message;
};

TEST_F(FrmAboutTest, StartSysInfoStartsTheProgramTheRegistryNamesOrShowsTheMessage) {
  TempFolder temp;
  const std::string folder = temp.Path("tools");
  const std::string program = folder + "\\MSINFO32.EXE";
  const std::vector<SysInfoCase> cases = {
      {"path started unchanged, untested",
       Text("/no/such/tool"),
       Text(folder),
       true,
       false,
       {"/no/such/tool"},
       false},
      {"folder holding the program", std::nullopt, Text(folder), true, false, {program}, false},
      {"folder without the program", std::nullopt, Text(folder), false, false, {}, true},
      {"start that fails", Text("/no/such/tool"), std::nullopt, false, true, {}, true},
      {"both values missing", std::nullopt, std::nullopt, false, false, {}, true},
      {"empty path value", Value{winsys::REG_SZ, {}}, Text(folder), true, false, {}, true},
  };
  for (const SysInfoCase& c : cases) {
    SCOPED_TRACE(c.name);
    windows_.registry = fakes::FakeRegistry();
    windows_.programs = fakes::FakeProgramStarter();
    windows_.messages.clear();
    std::filesystem::remove(program);
    if (c.path) {
      windows_.registry.Set(kKey, "PATH", *c.path);
    }
    if (c.folder) {
      windows_.registry.Set(kLocationKey, "MSINFO", *c.folder);
    }
    if (c.programInFolder) {
      WriteFile(program, Bytes{'M', 'Z'});
    }
    if (c.startFails) {
      windows_.programs.missing.insert("/no/such/tool");
    }

    about_.StartSysInfo();

    EXPECT_EQ(windows_.programs.started, c.started);
    EXPECT_EQ(windows_.messages,
              c.message ? std::vector<std::string>{kUnavailable} : std::vector<std::string>{});
    if (c.path && c.path->bytes.size() > 0) {
      EXPECT_EQ(Count("RegOpenKeyExA(2147483650, " + std::string(kLocationKey)), 0u);
    }
  }
}

TEST_F(FrmAboutTest, ShowLoadsTheWindowEveryTimeAndUnloadsItWhenClosed) {
  std::vector<winsys::HWND> shown;
  windows_.whileShown = [&](winsys::MemoryWindow& window) {
    shown.push_back(window.hWnd());
    EXPECT_EQ(window.design().caption, "About Sprite Encoder / Decoder");
    EXPECT_EQ(window.label("lblVersion").caption(), "Version 1.2.11");
    EXPECT_EQ(window.label("lblTitle").caption(), "Sprite Encoder / Decoder");
    EXPECT_THAT(window.tabOrder(), ElementsAre("cmdOK", "picIcon", "cmdSysInfo", "lblDescription",
                                               "lblDisclaimer", "lblTitle", "lblVersion"));
    const winsys::Picture& picture = window.picture("picIcon");
    EXPECT_EQ(picture.width, 75);
    EXPECT_EQ(picture.height, 200);

    // System Info without a registry: the message, and the window stays.
    window.button("cmdSysInfo").Click();
    EXPECT_THAT(windows_.messages, ElementsAre(kUnavailable));
    EXPECT_TRUE(window.shown());
    window.button("cmdOK").Click();
    EXPECT_FALSE(window.shown());
    windows_.messages.clear();
  };

  about_.Show();
  EXPECT_EQ(about_.window(), nullptr);
  about_.Show();
  EXPECT_EQ(about_.window(), nullptr);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0], shown[1]);
}

}  // namespace
}  // namespace sprite::testing
