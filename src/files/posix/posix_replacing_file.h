// A file written in place of its target through POSIX calls: unnamed until
// it is committed, then given the target's name in one step.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "files/file_system.h"

namespace sprite::files {

// How bytes are made durable: one file's (fdatasync), everything a file
// system holds (syncfs), which a batch of files waits for once, and the names
// a folder was given (fsync of the folder). Tests put stand-ins of the same
// form here that fail or count.
struct DiskCalls {
  int (*syncFile)(int fd) = ::fdatasync;
  int (*syncFileSystem)(int fd) = ::syncfs;
  int (*syncFolder)(int fd) = ::fsync;
};

// What the files of one file system share.
struct ReplacingContext {
  DiskCalls disk;
  // New files are made without a name (UnnamedFilesCanBeNamed).
  bool unnamedFiles = true;
  // The folders that received names since the last SyncFolders.
  std::set<std::string> foldersToSync;
  // The folders cleared of killed runs' temporary files, and whether they were
  // swept, so that their writers lock their files (RemoveStaleTemporaries).
  std::map<std::string, bool> foldersSwept;

  // Files that replace others, counted as their writing to the disk starts.
  std::uint64_t started = 0;
  struct Device {
    bool syncsEverything = false;      // its syncfs makes every file's bytes durable
    std::uint64_t durableThrough = 0;  // the files started before its last syncfs
  };
  std::map<dev_t, Device> devices;  // looked at once between two SyncFolders
};

// A file made without a name can be given one on this system: by linking its
// descriptor (kernels from 6.10 on, or a process with CAP_DAC_READ_SEARCH), or
// through /proc. Where it cannot, files are written under a hidden temporary name.
bool UnnamedFilesCanBeNamed();

// The file that replaces `path` on Commit, as FileSystem::CreateReplacing describes it.
std::unique_ptr<ReplacingFile> CreatePosixReplacingFile(const std::string& path,
                                                        ReplacingContext& context);

}  // namespace sprite::files
