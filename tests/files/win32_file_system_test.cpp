// Files as the commands see them on Windows: UTF-16 names, long paths,
// devices refused, replaced files keeping their attributes, and what a killed
// run left behind removed by the next one.
// clang-format off
#include <windows.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "app/test_files.h"
#include "common/error.h"
#include "common/utf16.h"
#include "files/file_put_meanwhile.h"
#include "files/standard_stream.h"
#include "files/win32/stale_temporaries.h"
#include "files/win32/win32_file_system.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;

// The kind of fault a call throws, and its text (what stands at the path, the folder missing).
std::pair<std::optional<FaultKind>, std::string> FaultOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const FaultError& error) {
    return {error.Kind(), error.Details().text};
  }
  return {std::nullopt, ""};
}

void WriteThrough(files::FileSystem& files, const std::string& path, const Bytes& content) {
  auto out = files.CreateReplacing(path);
  out->Append(content);
  out->Commit();
}

Bytes ReadThrough(files::FileSystem& files, const std::string& path) {
  auto in = files.OpenForReading(path);
  Bytes content(static_cast<std::size_t>(in->Size()));
  in->ReadAt(0, content);
  return content;
}

TEST(Win32FileSystemTest, NamesOutsideAsciiAndEitherSeparatorNameTheSameFiles) {
  TempFolder folder;
  files::Win32FileSystem files;
  for (const std::string name : {"ärchiv.spr", "日本の.spr", "\xF0\x9F\x98\x80.bmp"}) {
    SCOPED_TRACE(name);
    const Bytes content{'S', 'P', 1, 2};
    WriteThrough(files, folder.Path(name), content);
    std::string slashed = folder.Path(name);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    EXPECT_EQ(ReadThrough(files, slashed), content);
    EXPECT_TRUE(files.IsPlainFile(slashed));
  }
  EXPECT_THAT(folder.Names(), ElementsAre("ärchiv.spr", "日本の.spr", "\xF0\x9F\x98\x80.bmp"));
}

TEST(Win32FileSystemTest, OneChangeOfAFileAtATimeWhileReadsGoOn) {
  TempFolder folder;
  const std::string path = folder.Path("a.spr");
  WriteFile(path, Bytes{1, 2, 3});
  files::Win32FileSystem files;
  {
    const auto held = files.OpenForChange(path);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(files.OpenForChange(path), nullptr);
    Bytes read(3);
    files.OpenForReading(path)->ReadAt(0, read);
    EXPECT_EQ(read, (Bytes{1, 2, 3}));
  }
  EXPECT_NE(files.OpenForChange(path), nullptr);
}

TEST(Win32FileSystemTest, PathsLongerThan260CharactersWork) {
  TempFolder folder;
  files::Win32FileSystem files;
  std::string path = folder.Path("");
  for (int i = 0; i < 6; ++i) {
    path += std::string(60, static_cast<char>('a' + i)) + "\\";
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + Wide(path)).c_str(), nullptr));
  }
  path += "long.spr";
  ASSERT_GT(path.size(), 360u);
  WriteThrough(files, path, Bytes{1, 2, 3});
  WriteThrough(files, path, Bytes{4, 5});
  EXPECT_EQ(ReadThrough(files, path), (Bytes{4, 5}));
}

TEST(Win32FileSystemTest, DevicesPipesAndFoldersAreRefusedAsInputsAndOutputs) {
  TempFolder folder;
  files::Win32FileSystem files;
  const struct {
    std::string path;
    const char* what;
  } cases[] = {
      {"NUL", "a device"},
      {"con", "a device"},
      {folder.Path("COM1"), "a device"},
      {folder.Path("lpt9.spr"), "a device"},
      {folder.Path("aux .bmp"), "a device"},
      {"\\\\.\\PhysicalDrive0", "a device"},
      {"\\\\.\\pipe\\sprite-test", "a named pipe"},
      {Utf8FromPath(folder.Root()), "a folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto refused =
        std::make_pair(std::optional(FaultKind::kNotAPlainFile), std::string(c.what));
    EXPECT_EQ(FaultOf([&] { files.OpenForReading(c.path); }), refused);
    EXPECT_EQ(FaultOf([&] { files.CreateReplacing(c.path); }), refused);
    EXPECT_FALSE(files.IsPlainFile(c.path));
  }
  // A name that ends in a separator is a folder's, which may be missing or a file.
  const std::string none = folder.Path("none");
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing(none + "\\"); }),
            std::make_pair(std::optional(FaultKind::kNoSuchFolder), none));
  // A name longer than any folder holds says so, in UTF-16 units as Windows counts.
  for (const std::string& name :
       {std::string(256, 'n'), std::string(254, 'n') + "\xF0\x9F\x98\x80"}) {
    EXPECT_EQ(
        FaultOf([&] { files.CreateReplacing(folder.Path(name)); }),
        std::make_pair(std::optional(FaultKind::kCannotWrite),
                       std::string("its name has 256 characters; a name may have at most 255")));
  }
  // Nothing was made on the way, and names that merely start like a device are files.
  EXPECT_TRUE(folder.Names().empty());
  WriteThrough(files, folder.Path("console.spr"), Bytes{1});
  WriteThrough(files, folder.Path("com10.bmp"), Bytes{1});
  EXPECT_THAT(folder.Names(), ElementsAre("com10.bmp", "console.spr"));
  for (const std::string name : {"com10.bmp/", "com10.bmp\\"}) {
    const auto notAFolder =
        std::make_pair(std::optional(FaultKind::kNotAFolder), folder.Path("com10.bmp"));
    EXPECT_EQ(FaultOf([&] { files.CreateReplacing(folder.Path(name)); }), notAFolder);
    EXPECT_EQ(FaultOf([&] { files.OpenForReading(folder.Path(name)); }), notAFolder);
  }
}

TEST(Win32FileSystemTest, AMissingFileSaysWhyItsNameFoundNone) {
  TempFolder folder;
  WriteFile(folder.Path("h\xC3\xA9ro.bmp"), Bytes{1});
  files::Win32FileSystem files;
  // Wildcards that matched nothing, as they were typed; "héro.bmp" from lists
  // saved in Windows-1252 and in the console's code page 850.
  for (const std::string name : {"*.gif", "walk_?.png", "h\xE9ro.bmp", "h\x82ro.bmp"}) {
    SCOPED_TRACE(name);
    const bool codePage = name.starts_with('h');
    EXPECT_EQ(
        FaultOf([&] { files.OpenForReading(folder.Path("") + name); }),
        std::make_pair(
            std::optional(codePage ? FaultKind::kCannotRead : FaultKind::kNoSuchFile),
            std::string(codePage ? "its name is not UTF-8 text: save the list as UTF-8" : "")));
  }
}

TEST(Win32FileSystemTest, AReplacedFileKeepsItsAttributesAndAReadOnlyOneIsReplaced) {
  TempFolder folder;
  files::Win32FileSystem files;
  const std::string path = folder.Path("kept.spr");
  WriteThrough(files, path, Bytes{1});
  const DWORD attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  ASSERT_TRUE(::SetFileAttributesW(Wide(path).c_str(), attributes));

  WriteThrough(files, path, Bytes{2, 3});

  EXPECT_EQ(ReadThrough(files, path), (Bytes{2, 3}));
  EXPECT_EQ(::GetFileAttributesW(Wide(path).c_str()) & attributes, attributes);
  EXPECT_THAT(folder.Names(), ElementsAre("kept.spr"));
  ::SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32FileSystemTest, AFileAnotherRunPutAtTheNameMeanwhileIsNotReplaced) {
  files::Win32FileSystem files;
  ExpectAFilePutAtTheNameMeanwhileIsKept(files);
}

TEST(Win32FileSystemTest, AFileNotCommittedLeavesTheTargetAndNoTemporaryFile) {
  TempFolder folder;
  files::Win32FileSystem files;
  const std::string path = folder.Path("old.spr");
  WriteThrough(files, path, Bytes{1, 2});
  {
    auto out = files.CreateReplacing(path);
    out->Append(Bytes(100000, 7));
    EXPECT_EQ(folder.Names().size(), 2u);  // the target and the file that would replace it
  }
  EXPECT_EQ(ReadThrough(files, path), (Bytes{1, 2}));
  EXPECT_THAT(folder.Names(), ElementsAre("old.spr"));
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing(folder.Path("none\\x.spr")); }),
            std::make_pair(std::optional(FaultKind::kNoSuchFolder), folder.Path("none")));
  char drive = 'Z';
  while (drive > 'C' && (::GetLogicalDrives() & (1u << (drive - 'A'))) != 0) {
    --drive;
  }
  const std::string root = std::string(1, drive) + ":\\";
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing(root + "x.spr"); }),
            std::make_pair(std::optional(FaultKind::kNoSuchFolder), root));
}

TEST(Win32FileSystemTest, AReplaceTheSystemRefusesLeavesTheTargetAndNoTemporaryFile) {
  TempFolder folder;
  files::Win32FileSystem files;
  const std::string path = folder.Path("held.spr");
  WriteThrough(files, path, Bytes{1, 2});
  // Another program reads it and lets nobody move it meanwhile.
  HANDLE held = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FaultOf([&] { WriteThrough(files, path, Bytes{3}); }).first,
            std::optional(FaultKind::kCannotWrite));
  ::CloseHandle(held);
  EXPECT_EQ(ReadThrough(files, path), (Bytes{1, 2}));
  EXPECT_THAT(folder.Names(), ElementsAre("held.spr"));
}

// The owner of a process that has ended: its id and start time.
files::TemporaryOwner EndedProcess() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring command = L"cmd.exe /c exit";
  EXPECT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &process));
  ::WaitForSingleObject(process.hProcess, INFINITE);
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  ::GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return {process.dwProcessId,
          (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime};
}

std::string TemporaryOf(const files::TemporaryOwner& owner) {
  char started[17] = {};
  std::snprintf(started, sizeof started, "%llx", static_cast<unsigned long long>(owner.started));
  return ".sprite-" + std::to_string(owner.process) + "-" + started + "-1.tmp";
}

TEST(Win32FileSystemTest, TheNextWriteRemovesTemporaryFilesOfProcessesThatEnded) {
  TempFolder folder;
  files::Win32FileSystem files;
  const files::TemporaryOwner ended = EndedProcess();
  const files::TemporaryOwner running{::GetCurrentProcessId(), 0};  // a live id, a wrong start
  const std::string killed = TemporaryOf(ended);
  const std::string reused = TemporaryOf(running);
  const std::string stillOpen = TemporaryOf({ended.process, ended.started + 1});
  for (const std::string& name : {killed, reused, stillOpen, std::string(".sprite-x.tmp")}) {
    WriteFile(folder.Path(name), Bytes{9});
  }
  ASSERT_EQ(files::OwnerOfTemporary(Wide(killed)), ended);
  // A writer that still has its file open keeps it, whatever its name says.
  HANDLE open = ::CreateFileW(Wide(folder.Path(stillOpen)).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);

  WriteThrough(files, folder.Path("new.spr"), Bytes{1});
  ::CloseHandle(open);

  EXPECT_THAT(folder.Names(), ElementsAre(stillOpen, ".sprite-x.tmp", "new.spr"));
}

TEST(Win32StandardStreamTest, AWriteIntoAPipeItsReaderClosedIsTheReaderGone) {
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  ::CloseHandle(readEnd);
  std::fflush(stdout);
  const int saved = _dup(1);
  _dup2(_open_osfhandle(reinterpret_cast<std::intptr_t>(writeEnd), _O_WRONLY), 1);
  const bool failed = _write(1, "x", 1) < 0;
  const int error = errno;
  const bool gone = files::ReaderWentAway(files::StandardStream::kOutput, error);
  _dup2(saved, 1);
  _close(saved);
  EXPECT_TRUE(failed);
  EXPECT_TRUE(gone) << "errno " << error;
  EXPECT_FALSE(files::ReaderWentAway(files::StandardStream::kOutput, ENOSPC));
}

}  // namespace
}  // namespace sprite::testing
