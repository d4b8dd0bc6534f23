// The window program's command line: --help and --version, and the files it starts with.
#include "app/start_arguments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/test_files.h"
#include "common/error.h"
#include "files/native_file_system.h"

namespace sprite::testing {
namespace {

using app::FileKind;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<std::string_view> Views(const std::vector<std::string>& args) {
  return {args.begin(), args.end()};
}

// A full path in the system's own form: "/w/a.bmp" here, "C:\\w\\a.bmp" on Windows.
std::string Full(std::string_view path) {
  const std::filesystem::path root = std::filesystem::current_path().root_path();
  return Utf8FromPath((root / PathFromUtf8(path.substr(1))).lexically_normal());
}

TEST(StartArgumentsTest, HelpAndVersionAreFoundBeforeAnyDoubleDash) {
  using app::ConsoleRequest;
  const struct {
    std::vector<std::string> args;
    ConsoleRequest wanted;
  } cases[] = {
      {{}, ConsoleRequest::kNone},
      {{"a.bmp", "b.spr"}, ConsoleRequest::kNone},
      {{"--help"}, ConsoleRequest::kHelp},
      {{"-h"}, ConsoleRequest::kHelp},
      {{"a.bmp", "--version"}, ConsoleRequest::kVersion},
      {{"--version", "--help"}, ConsoleRequest::kVersion},
      {{"--", "--help"}, ConsoleRequest::kNone},
      {{"--helpful"}, ConsoleRequest::kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(app::FindConsoleRequest(Views(c.args)), c.wanted);
  }
}

TEST(StartArgumentsTest, VersionNamesTheProgramTheProjectVersionAndTheLicence) {
  const std::string version = app::WindowProgramVersion();
  EXPECT_EQ(version.substr(0, version.find('\n')),
            "sprite (Sprite Encoder / Decoder) " SPRITE_PROJECT_VERSION);
  EXPECT_THAT(version, HasSubstr("MIT licence"));
  EXPECT_THAT(app::WindowProgramHelp(), HasSubstr("Usage: sprite [FILE]..."));
}

TEST(StartArgumentsTest, ArchivesBecomeTheOutputPathAndOtherFilesJoinTheList) {
  const std::map<std::string, FileKind> disk = {
      {Full("/w/a.bmp"), FileKind::kOther},   {Full("/w/b.bmp"), FileKind::kOther},
      {Full("/w/x.spr"), FileKind::kArchive}, {Full("/w/y.spr"), FileKind::kArchive},
      {Full("/w/-d.bmp"), FileKind::kOther},  {Full("/w/renamed.dat"), FileKind::kArchive},
      {Full("/w/sub"), FileKind::kFolder},    {Full("/elsewhere/c.bmp"), FileKind::kOther},
      {Full("/w/empty"), FileKind::kFolder},
  };
  const auto kindOf = [&disk](const std::string& path) {
    const auto found = disk.find(path);
    return found == disk.end() ? FileKind::kMissing : found->second;
  };
  const auto picturesOf = [](const std::string& folder) {
    if (folder != Full("/w/sub")) {
      throw FaultError({.kind = FaultKind::kNoPictures, .path = folder});
    }
    return std::vector<std::string>{Full("/w/sub/walk_2.png"), Full("/w/sub/walk_10.bmp")};
  };
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> fileList;
    std::string outputPath;
    std::vector<std::string> notes;
    bool usageError = false;
  } cases[] = {
      {"nothing given", {}, {}, "", {}},
      {"bitmaps in the order given",
       {"b.bmp", "a.bmp", "b.bmp"},
       {Full("/w/b.bmp"), Full("/w/a.bmp"), Full("/w/b.bmp")},
       "",
       {}},
      {"archive first", {"x.spr", "a.bmp"}, {Full("/w/a.bmp")}, Full("/w/x.spr"), {}},
      {"archive second",
       {"a.bmp", "x.spr", "b.bmp"},
       {Full("/w/a.bmp"), Full("/w/b.bmp")},
       Full("/w/x.spr"),
       {}},
      {"an archive by its bytes, not its name", {"renamed.dat"}, {}, Full("/w/renamed.dat"), {}},
      {"a further archive is ignored",
       {"y.spr", "a.bmp", "x.spr"},
       {Full("/w/a.bmp")},
       Full("/w/y.spr"),
       {"sprite: x.spr: a further sprite archive; ignored, the output is y.spr"}},
      {"missing paths are skipped",
       {"gone.bmp", "a.bmp", "gone.spr"},
       {Full("/w/a.bmp")},
       "",
       {"sprite: gone.bmp: no such file; skipped", "sprite: gone.spr: no such file; skipped"}},
      {"full and relative paths, made full as Add gives them",
       {Full("/elsewhere/c.bmp"), "./sub/../a.bmp"},
       {Full("/elsewhere/c.bmp"), Full("/w/a.bmp")},
       "",
       {}},
      {"a folder gives its pictures, one without any is skipped",
       {"a.bmp", "sub", "empty"},
       {Full("/w/a.bmp"), Full("/w/sub/walk_2.png"), Full("/w/sub/walk_10.bmp")},
       "",
       {"sprite: empty: the folder holds no .bmp or .png file; skipped"}},
      {"after -- a name may start with -", {"--", "-d.bmp"}, {Full("/w/-d.bmp")}, "", {}},
      {"an unknown option",
       {"a.bmp", "-d.bmp"},
       {},
       "",
       {"sprite: unknown option \"-d.bmp\"", "Try 'sprite --help' for more information."},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const app::StartFiles start =
        app::SortStartFiles(Views(c.args), kindOf, picturesOf, Full("/w"));
    EXPECT_EQ(start.fileList, c.fileList);
    EXPECT_EQ(start.outputPath, c.outputPath);
    EXPECT_EQ(start.notes, c.notes);
    EXPECT_EQ(start.usageError, c.usageError);
  }
}

TEST(StartArgumentsTest, TheFileListTakesAtMost32767Files) {
  const auto kindOf = [](const std::string& path) {
    return path.ends_with(".spr") ? FileKind::kArchive : FileKind::kOther;
  };
  for (const std::size_t extra : {0U, 1U, 3U}) {
    SCOPED_TRACE(extra);
    std::vector<std::string> args(std::size_t{32767} + extra, Full("/w/a.bmp"));
    args.push_back(Full("/w/last.spr"));
    const app::StartFiles start = app::SortStartFiles(
        Views(args), kindOf, [](const std::string&) { return std::vector<std::string>{}; },
        Full("/w"));
    EXPECT_EQ(start.fileList.size(), 32767u);
    EXPECT_EQ(start.outputPath, Full("/w/last.spr"));
    if (extra == 0) {
      EXPECT_THAT(start.notes, IsEmpty());
    } else {
      EXPECT_THAT(start.notes, ElementsAre("sprite: the file list holds at most 32767 files; " +
                                           std::to_string(extra) + " of the given files " +
                                           (extra == 1 ? "was" : "were") + " not added"));
    }
  }
}

TEST(StartArgumentsTest, AnArchiveIsAPlainFileThatStartsWithTheSignature) {
  TempFolder folder;
  const auto files = files::MakeNativeFileSystem();
  WriteFile(folder.Path("archive.bmp"), Bytes{'S', 'P', 1, 2, 0, 0});
  WriteFile(folder.Path("short"), Bytes{'S', 'P', 1});
  WriteFile(folder.Path("bitmap.spr"), BuildBitmap({}));
  const struct {
    std::string path;
    FileKind wanted;
  } cases[] = {
      {folder.Path("archive.bmp"), FileKind::kArchive},
      {folder.Path("short"), FileKind::kOther},
      {folder.Path("bitmap.spr"), FileKind::kOther},
      {Utf8FromPath(folder.Root()), FileKind::kFolder},
      {folder.Path("missing.spr"), FileKind::kMissing},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(app::KindOfFile(*files, c.path), c.wanted);
  }
}

}  // namespace
}  // namespace sprite::testing
