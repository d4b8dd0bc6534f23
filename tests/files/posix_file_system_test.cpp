// Files as the commands see them, on the real file system: read in pieces,
// written whole or not at all, whatever stands at the path.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/test_files.h"
#include "common/error.h"
#include "files/commit_batch.h"
#include "files/file_put_meanwhile.h"
#include "files/posix/posix_file_system.h"
#include "files/whole_file.h"

namespace sprite::testing {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

Bytes RandomBytes(std::mt19937& random, std::size_t size) {
  Bytes bytes(size);
  for (auto& byte : bytes) {
    byte = static_cast<std::uint8_t>(random());
  }
  return bytes;
}

// The kind of fault a call throws, and the words for what stands at the path.
std::pair<std::optional<FaultKind>, std::string> FaultOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const FaultError& error) {
    return {error.Kind(), error.Details().text};
  }
  return {std::nullopt, ""};
}

struct stat Stat(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info;
}

// A pipe, or a device where the process may make one.
bool MakeSpecial(const std::string& path, mode_t kind) {
  return ::mknod(path.c_str(), kind | 0666, kind == S_IFCHR ? makedev(1, 3) : 0) == 0;
}

TEST(PosixFileSystemTest, ReadsAnyRangeOfALargeFileInAnyOrder) {
  TempFolder folder;
  std::mt19937 random(17);
  const Bytes content = RandomBytes(random, 300000);  // several read-ahead blocks
  WriteFile(folder.Path("big"), content);
  files::PosixFileSystem files;
  auto source = files.OpenForReading(folder.Path("big"));
  ASSERT_EQ(source->Size(), content.size());
  std::uniform_int_distribution<std::size_t> length(0, 70000);
  for (int i = 0; i < 2000; ++i) {
    const std::size_t size = i % 3 == 0 ? random() % 16 : length(random);
    const std::size_t offset = random() % (content.size() - size + 1);
    Bytes out(size);
    source->ReadAt(offset, out);
    ASSERT_TRUE(std::equal(out.begin(), out.end(), content.begin() + static_cast<long>(offset)))
        << "offset " << offset << " size " << size;
  }
  Bytes tooFar(10);
  EXPECT_THROW(source->ReadAt(content.size() - 5, tooFar), FaultError);
  // A failed read leaves later reads correct.
  Bytes last(5);
  source->ReadAt(content.size() - 5, last);
  EXPECT_TRUE(std::equal(last.begin(), last.end(), content.end() - 5));
}

TEST(PosixFileSystemTest, ReplacingFileHasNoNameUntilCommit) {
  TempFolder folder;
  std::mt19937 random(3);
  // The longest name a folder entry can have: no temporary name is built from it.
  const std::string target = folder.Path(std::string(255, 'n'));
  WriteFile(target, Bytes{1, 2, 3});
  files::PosixFileSystem files;

  Bytes expected;
  auto file = files.CreateReplacing(target);
  for (int i = 0; i < 500; ++i) {  // many small appends across several buffers
    const Bytes piece = RandomBytes(random, random() % 700);
    file->Append(piece);
    expected.insert(expected.end(), piece.begin(), piece.end());
  }
  file->WriteAt(4, Bytes{0xAA, 0xBB});
  expected[4] = 0xAA;
  expected[5] = 0xBB;
  file->Append(Bytes{9});
  expected.push_back(9);
  EXPECT_THAT(folder.Names(), ElementsAre(std::string(255, 'n')));  // nothing named yet
  file->Commit();
  EXPECT_EQ(ReadFile(target), expected);
  {
    auto abandoned = files.CreateReplacing(target);
    abandoned->Append(Bytes(100000, 7));
    auto fresh = files.CreateReplacing(folder.Path("never.spr"));
  }
  EXPECT_THAT(folder.Names(), ElementsAre(std::string(255, 'n')));
  files.SyncFolders();
}

TEST(PosixFileSystemTest, OnlyRegularFilesAreReadOrReplaced) {
  TempFolder folder;
  files::PosixFileSystem files;
  std::filesystem::create_directory(folder.Root() / "sub");
  const struct {
    std::string name;
    mode_t kind;
    std::string what;
  } cases[] = {
      {"fifo", S_IFIFO, "a named pipe (FIFO)"},
      {"null", S_IFCHR, "a device"},
      {"sub", S_IFDIR, "a folder"},
  };
  using Found = std::pair<std::optional<FaultKind>, std::string>;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.Path(c.name);
    if (c.kind != S_IFDIR && !MakeSpecial(path, c.kind)) {
      continue;  // no privilege to make a device here
    }
    // A pipe without a writer would make an open wait for ever.
    const Found notAFile{FaultKind::kNotAPlainFile, c.what};
    EXPECT_EQ(FaultOf([&] { files.OpenForReading(path); }), notAFile);
    EXPECT_EQ(FaultOf([&] { files.CreateReplacing(path); }), notAFile);
    EXPECT_EQ(Stat(path).st_mode & S_IFMT, c.kind);
  }
  // Either end of a pipe as /dev/stdin and /dev/stdout reach it: a link of
  // /proc that leads to no path.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const auto end = [&](int k) { return "/proc/self/fd/" + std::to_string(ends[k]); };
  const Found aPipe{FaultKind::kNotAPlainFile, "a named pipe (FIFO)"};
  EXPECT_EQ(FaultOf([&] { files.OpenForReading(end(0)); }), aPipe);
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing(end(1)); }), aPipe);
  ::close(ends[0]);
  ::close(ends[1]);
  const std::string none = folder.Path("none");
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing(none + "/x.spr"); }),
            Found(FaultKind::kNoSuchFolder, none));
  // A folder of a special file system that makes no files is there all the same.
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing("/proc/x.spr"); }),
            Found(FaultKind::kCannotWrite, "no new file can be made in the folder /proc"));
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing(folder.Path("sub/")); }).first,
            FaultKind::kNotAPlainFile);
  // A name that ends in "/" is a folder's, which may be missing or a file.
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing(none + "/"); }),
            Found(FaultKind::kNoSuchFolder, none));
  EXPECT_EQ(FaultOf([&] { files.OpenForReading(none + "/"); }).first, FaultKind::kNoSuchFile);
  WriteFile(folder.Path("file"), Bytes{1});
  EXPECT_EQ(FaultOf([&] { files.OpenForReading(folder.Path("file/")); }),
            Found(FaultKind::kNotAFolder, folder.Path("file")));
  EXPECT_EQ(FaultOf([&] { files.CreateReplacing(""); }).first, FaultKind::kNoFileName);
  EXPECT_EQ(FaultOf([&] { files.OpenForReading(none); }).first, FaultKind::kNoSuchFile);
  EXPECT_THAT(folder.Names(), Each(Not(StartsWith("."))));  // no temporary file left
}

// As a run of sprite-cli looks at its inputs: whether each is a folder, then
// (the archive being there) which file it is, then its bytes, in list order.
// One look serves all three for a plain file; a link is followed each time.
TEST(PosixFileSystemTest, InputsLookedAtOnceAreIdentifiedAndReadAsFound) {
  TempFolder folder;
  files::PosixFileSystem files;
  std::filesystem::create_directory(folder.Root() / "sub");
  WriteFile(folder.Path("a.bmp"), Bytes{1, 2, 3});
  WriteFile(folder.Path("b.bmp"), Bytes{4, 5});
  std::filesystem::create_symlink("b.bmp", folder.Root() / "link.bmp");
  std::filesystem::create_symlink("sub", folder.Root() / "link-sub");
  const struct {
    std::string name;
    bool folder;
    std::optional<Bytes> bytes;  // none: no file to identify or read
  } cases[] = {
      {"a.bmp", false, Bytes{1, 2, 3}},  {"sub", true, std::nullopt},
      {"link.bmp", false, Bytes{4, 5}},  {"link-sub", true, std::nullopt},
      {"none.bmp", false, std::nullopt}, {"b.bmp", false, Bytes{4, 5}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(files.IsFolder(folder.Path(c.name)), c.folder) << c.name;
  }
  const auto idOf = [](const std::string& path) -> std::optional<files::FileId> {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
      return std::nullopt;
    }
    return files::FileId{info.st_dev, info.st_ino};
  };
  for (const auto& c : cases) {
    if (!c.folder) {
      EXPECT_EQ(files.IdOf(folder.Path(c.name)), idOf(folder.Path(c.name))) << c.name;
    }
  }
  for (const auto& c : cases) {
    if (c.bytes) {
      EXPECT_EQ(files::ReadWhole(files, folder.Path(c.name), 16), *c.bytes) << c.name;
    }
  }
  // Opened again (PNG pictures after the palette pass), a file is read as it is now.
  WriteFile(folder.Path("a.bmp"), Bytes{6, 7, 8, 9});
  EXPECT_EQ(files::ReadWhole(files, folder.Path("a.bmp"), 16), (Bytes{6, 7, 8, 9}));
  files.SyncFolders();
}

// The palette pass opens the first half of a run's inputs on a second thread
// while its own opens the second half.
TEST(PosixFileSystemTest, InputsAreOpenedOnTwoThreadsAtOnce) {
  TempFolder folder;
  files::PosixFileSystem files;
  std::vector<std::string> paths;
  for (std::uint8_t i = 0; i < 200; ++i) {
    paths.push_back(folder.Path(std::to_string(i) + ".png"));
    WriteFile(paths.back(), Bytes(i % 7 + 1, i));
    files.IsFolder(paths.back());
  }
  const auto readHalf = [&](std::size_t from) {
    for (std::size_t i = from; i < from + 100; ++i) {
      EXPECT_EQ(files::ReadWhole(files, paths[i], 16),
                Bytes(i % 7 + 1, static_cast<std::uint8_t>(i)));
    }
  };
  std::thread first(readHalf, 0);
  readHalf(100);
  first.join();
  files.SyncFolders();
}

TEST(PosixFileSystemTest, ReplacedFileKeepsItsModeAndOwner) {
  TempFolder folder;
  files::PosixFileSystem files;
  const bool privileged = ::geteuid() == 0;
  for (const mode_t mode : {mode_t{0600}, mode_t{0444}, mode_t{0640}, mode_t{0755}}) {
    SCOPED_TRACE(mode);
    const std::string path = folder.Path("kept.spr");
    WriteFile(path, Bytes{1});
    ::chmod(path.c_str(), mode);
    if (privileged) {
      ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
    }
    auto file = files.CreateReplacing(path);
    file->Append(Bytes{2, 3});
    file->Commit();
    EXPECT_EQ(ReadFile(path), (Bytes{2, 3}));
    const struct stat info = Stat(path);
    EXPECT_EQ(info.st_mode & 07777, mode);
    if (privileged) {
      EXPECT_EQ(info.st_uid, 1234u);
      EXPECT_EQ(info.st_gid, 5678u);
    }
    ::unlink(path.c_str());
  }
}

TEST(PosixFileSystemTest, AFileAnotherRunPutAtTheNameMeanwhileIsNotReplaced) {
  files::PosixFileSystem files;
  ExpectAFilePutAtTheNameMeanwhileIsKept(files);
}

TEST(PosixFileSystemTest, AFileOnlyItsOwnerMayRenameOverIsRefusedInWords) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "another user's run needs root to start";
  }
  TempFolder folder;
  const std::string shared = folder.Path("shared");  // sticky, and the file's owner's
  std::filesystem::create_directory(shared);
  ::chmod(folder.Path("").c_str(), 0755);
  ::chmod(shared.c_str(), 01777);
  const std::string path = shared + "/file";
  WriteFile(path, Bytes{1});
  const pid_t child = ::fork();
  if (child == 0) {
    const bool asAnother = ::setresgid(1234, 1234, 1234) == 0 && ::setresuid(1234, 1234, 1234) == 0;
    files::PosixFileSystem files;
    const auto fault = FaultOf([&] {
      auto file = files.CreateReplacing(path);
      file->Append(Bytes{7});
      file->Commit();
    });
    ::_exit(asAnother && fault.first == FaultKind::kOthersFileNotReplaced ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFile(path), Bytes{1});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shared), {}), 1);  // no temporary
}

TEST(PosixFileSystemTest, SharedFoldersKeepOthersLinksAndFilesOutOfReach) {
  TempFolder folder;
  files::PosixFileSystem files;
  const std::string shared = folder.Path("shared");
  const std::string theirs = folder.Path("theirs");  // shared, and another user's
  for (const std::string& path : {shared, theirs}) {
    std::filesystem::create_directory(path);
    ::chmod(path.c_str(), 01777);
  }
  WriteFile(folder.Path("target"), Bytes{1});
  const bool privileged = ::geteuid() == 0 && ::chown(theirs.c_str(), 1234, 1234) == 0;
  const struct {
    std::string name;
    std::string pointsTo;  // empty: a regular file
    uid_t owner;           // 0: this process's user
    std::string reached;   // the file read and written; empty when refused
    FaultKind refusal;
  } cases[] = {
      {"link", "target", 0, "target", {}},
      {"chain", "link", 0, "target", {}},
      {"shared/mine", "../target", 0, "target", {}},
      {"shared/planted", "../target", 1234, "", FaultKind::kLinkNotFollowed},
      {"theirs/owners", "../target", 1234, "target", {}},
      {"shared/file", "", 0, "shared/file", {}},
      {"shared/planted-file", "", 1234, "", FaultKind::kOthersFileNotReplaced},
      {"theirs/owners-file", "", 1234, "theirs/owners-file", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.Path(c.name);
    if (c.pointsTo.empty()) {
      WriteFile(path, Bytes{1});
    } else {
      ASSERT_EQ(::symlink(c.pointsTo.c_str(), path.c_str()), 0);
    }
    if (c.owner != 0 && (!privileged || ::lchown(path.c_str(), c.owner, c.owner) != 0)) {
      continue;  // no privilege to give a file to another user
    }
    const std::string reached = c.reached.empty() ? path : folder.Path(c.reached);
    const Bytes before = ReadFile(reached);
    const auto read =
        FaultOf([&] { EXPECT_EQ(files.OpenForReading(path)->Size(), before.size()); });
    const auto written = FaultOf([&] {
      auto file = files.CreateReplacing(path);
      file->Append(Bytes{7, 7});
      file->Commit();
    });
    if (c.reached.empty()) {
      // Reading another user's regular file is no danger: only links are refused.
      EXPECT_EQ(read.first, c.pointsTo.empty() ? std::nullopt : std::optional(c.refusal));
      EXPECT_EQ(written.first, c.refusal);
      EXPECT_EQ(ReadFile(reached), before);
    } else {
      EXPECT_EQ(read.first, std::nullopt) << read.second;
      EXPECT_EQ(written.first, std::nullopt) << written.second;
      EXPECT_EQ(ReadFile(reached), (Bytes{7, 7}));
    }
    EXPECT_EQ(S_ISLNK(Stat(path).st_mode), !c.pointsTo.empty());
  }
  const std::string dangling = folder.Path("dangling");
  ASSERT_EQ(::symlink("new", dangling.c_str()), 0);
  EXPECT_EQ(FaultOf([&] { files.OpenForReading(dangling); }).first, FaultKind::kNoSuchFile);
  auto created = files.CreateReplacing(dangling);
  created->Commit();
  EXPECT_EQ(ReadFile(folder.Path("new")), Bytes{});
}

TEST(PosixFileSystemTest, WhatAppearsAtANewNameMeanwhileIsReplacedOnlyWhenItIsAFile) {
  TempFolder folder;
  files::PosixFileSystem files;
  const std::string path = folder.Path("late.bmp");

  auto file = files.CreateReplacing(path);
  file->Append(Bytes{5});
  WriteFile(path, Bytes{1, 1});
  ::chmod(path.c_str(), 0600);
  file->Commit();
  EXPECT_EQ(ReadFile(path), Bytes{5});
  EXPECT_EQ(Stat(path).st_mode & 0777, 0600u);

  ::unlink(path.c_str());
  auto refused = files.CreateReplacing(path);
  refused->Append(Bytes{6});
  ASSERT_TRUE(MakeSpecial(path, S_IFIFO));
  EXPECT_THROW(refused->Commit(), FaultError);
  refused.reset();
  EXPECT_TRUE(S_ISFIFO(Stat(path).st_mode));
  EXPECT_THAT(folder.Names(), ElementsAre("late.bmp"));
}

// Stand-ins for the calls that make bytes durable: they count, look at the
// disk as it is when the call comes, and fail from the `failFrom`th call on.
struct DiskWatch {
  int syncFileCalls = 0;
  int syncFileSystemCalls = 0;
  int failFrom = 0;  // 0: never
  std::function<void()> onSync = {};
};
DiskWatch gDisk;

int WatchedSync(int fd, int& calls, int (*real)(int)) {
  ++calls;
  if (gDisk.onSync) {
    gDisk.onSync();
  }
  if (gDisk.failFrom != 0 && gDisk.syncFileCalls + gDisk.syncFileSystemCalls >= gDisk.failFrom) {
    errno = EIO;
    return -1;
  }
  return real(fd);
}

const files::DiskCalls kWatchedDisk{
    .syncFile = [](int fd) { return WatchedSync(fd, gDisk.syncFileCalls, ::fdatasync); },
    .syncFileSystem = [](int fd) { return WatchedSync(fd, gDisk.syncFileSystemCalls, ::syncfs); }};

TEST(PosixFileSystemTest, OneChangeOfAFileAtATime) {
  TempFolder folder;
  const std::string path = folder.Path("a.spr");
  WriteFile(path, Bytes{1, 2, 3});
  files::PosixFileSystem files;
  auto first = files.OpenForChange(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(files.OpenForChange(path), nullptr);
  EXPECT_NE(files.OpenForReading(path), nullptr);  // reading is not held off
  auto out = files.CreateReplacing(path);
  out->Append(Bytes{4, 5, 6, 7});
  out->Commit();
  first.reset();
  const auto next = files.OpenForChange(path);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->Size(), 4U);
}

TEST(CommitBatchTest, ReplacementsWaitForTheDiskTogetherBeforeAnyTakesItsPlace) {
  TempFolder folder;
  // Seven old files, a new name among them, batches of three.
  std::vector<std::string> paths;
  for (int i = 0; i < 8; ++i) {
    paths.push_back(folder.Path("f" + std::to_string(i)));
    if (i != 3) {
      WriteFile(paths.back(), Bytes{0});
    }
  }
  const struct {
    int failFrom;
    long placed;  // files that took their place
  } cases[] = {{0, 8}, {2, 4}, {1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failFrom);
    gDisk = {.failFrom = c.failFrom};
    files::PosixFileSystem files(kWatchedDisk);
    std::vector<std::string> placed;
    files::CommitBatch batch(3, [&](const std::string& path) {
      EXPECT_EQ(ReadFile(path), Bytes{static_cast<std::uint8_t>(c.failFrom + 1)});
      placed.push_back(path);
    });
    // When the disk is waited for, no file of the batch has replaced its old one yet.
    gDisk.onSync = [&] {
      for (const std::string& path : paths) {
        const bool replaced = std::filesystem::exists(path) && ReadFile(path) != Bytes{0};
        EXPECT_EQ(replaced, std::count(placed.begin(), placed.end(), path) != 0) << path;
      }
    };
    const auto failed = FaultOf([&] {
      for (const std::string& path : paths) {
        auto file = files.CreateReplacing(path);
        file->Append(Bytes{static_cast<std::uint8_t>(c.failFrom + 1)});
        batch.Add(std::move(file), path);
      }
      batch.Commit();
    });
    // The new file went in at once; three batches of replacements, one wait each.
    EXPECT_EQ(placed, std::vector<std::string>(paths.begin(), paths.begin() + c.placed));
    EXPECT_EQ(gDisk.syncFileCalls, 0);
    EXPECT_EQ(gDisk.syncFileSystemCalls, c.failFrom == 0 ? 3 : c.failFrom);
    EXPECT_EQ(failed.first,
              c.failFrom == 0 ? std::nullopt : std::optional(FaultKind::kCannotWrite));
    for (auto path = paths.begin() + c.placed; path != paths.end(); ++path) {
      EXPECT_FALSE(std::filesystem::exists(*path) && ReadFile(*path) != Bytes{0}) << *path;
    }
    EXPECT_THAT(folder.Names(), Each(Not(StartsWith("."))));
    for (const std::string& path : paths) {
      WriteFile(path, Bytes{0});
    }
    std::filesystem::remove(paths[3]);
  }
  gDisk = {};
}

int gFolderSyncs = 0;

TEST(PosixFileSystemTest, EitherWayOfMakingFilesLeavesNothingBehindAndSyncsEachFolderOnce) {
  using NewFiles = files::PosixFileSystem::NewFiles;
  for (const NewFiles way : {NewFiles::kUnnamedWherePossible, NewFiles::kNamedTemporaries}) {
    SCOPED_TRACE(way == NewFiles::kNamedTemporaries ? "named temporaries" : "unnamed");
    TempFolder folder;
    std::filesystem::create_directory(folder.Root() / "sub");
    gFolderSyncs = 0;
    files::PosixFileSystem files({.syncFolder = [](int fd) { return ++gFolderSyncs, ::fsync(fd); }},
                                 way);
    {
      auto abandoned = files.CreateReplacing(folder.Path("gone.spr"));
      abandoned->Append(Bytes(5000, 1));
      // The way asked for is the way taken: a hidden name only for a named temporary.
      EXPECT_EQ(folder.Names().size(), way == NewFiles::kNamedTemporaries ? 2u : 1u);
    }
    EXPECT_THAT(folder.Names(), ElementsAre("sub"));
    for (const char* name : {"a.bmp", "b.bmp", "sub/c.bmp"}) {
      auto file = files.CreateReplacing(folder.Path(name));
      file->Append(Bytes{1, 2});
      file->Commit();
    }
    // The new names reach the disk when the run ends, each folder once.
    EXPECT_EQ(gFolderSyncs, 0);
    files.SyncFolders();
    EXPECT_EQ(gFolderSyncs, 2);
    EXPECT_THAT(folder.Names(), ElementsAre("a.bmp", "b.bmp", "sub"));
    EXPECT_EQ(ReadFile(folder.Path("sub/c.bmp")), (Bytes{1, 2}));
  }
}

TEST(PosixFileSystemTest, AKilledRunsTemporaryFileIsRemovedByTheNextRunAndAWritersIsNot) {
  TempFolder folder;
  using NewFiles = files::PosixFileSystem::NewFiles;
  // A writer of this process, and files that only look like temporary ones.
  files::PosixFileSystem writer({}, NewFiles::kNamedTemporaries);
  auto writing = writer.CreateReplacing(folder.Path("b.spr"));
  writing->Append(Bytes{1});
  WriteFile(folder.Path(".sprite-12-x.tmp"), Bytes{2});
  std::filesystem::create_directory(folder.Root() / ".sprite-12-1.tmp");
  const std::vector<std::string> kept = folder.Names();
  // A run killed while it writes leaves its file under its temporary name.
  const pid_t child = ::fork();
  if (child == 0) {
    files::PosixFileSystem files({}, NewFiles::kNamedTemporaries);
    auto file = files.CreateReplacing(folder.Path("a.spr"));
    file->Append(Bytes(5000, 1));
    ::raise(SIGKILL);
  }
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  ASSERT_EQ(folder.Names().size(), kept.size() + 1);
  // The next run that writes into the folder removes the killed run's alone.
  files::PosixFileSystem files;
  auto file = files.CreateReplacing(folder.Path("c.spr"));
  file->Append(Bytes{3});
  file->Commit();
  std::vector<std::string> expected = kept;
  expected.push_back("c.spr");
  std::ranges::sort(expected);
  EXPECT_EQ(folder.Names(), expected);
  writing->Commit();
  EXPECT_EQ(ReadFile(folder.Path("b.spr")), Bytes{1});
}

TEST(PosixFileSystemTest, FilesAreMadeWithoutANameEvenWithoutProc) {
  TempFolder folder;
  // A child of its own, whose view of the mounts hides /proc.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("none", "/proc", "tmpfs", 0, nullptr) != 0) {
      ::_exit(77);
    }
    files::PosixFileSystem files;
    auto file = files.CreateReplacing(folder.Path("new.bmp"));
    file->Append(Bytes{1, 2});
    const bool unnamed = folder.Names().empty();
    file->Commit();
    ::_exit(unnamed && ReadFile(folder.Path("new.bmp")) == Bytes{1, 2} ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) {
    GTEST_SKIP() << "no privilege to hide /proc";
  }
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace sprite::testing
