// Paths, and the faults of the file system's calls in the kinds every layer shares.
#pragma once

#include <sys/types.h>

#include <string>

#include "common/error.h"

namespace sprite::files {

// The system's words for an errno value.
std::string SystemReason(int error);

// The folder a path lies in: "." for a bare name, "/" for one in the root.
std::string FolderOf(const std::string& path);

// The path up to and including its last slash; empty for a bare name.
std::string FolderPrefix(const std::string& path);

// A path that names something other than a regular file (kNotAPlainFile);
// `target`, when not empty, is where its links led.
FaultError NotAFile(const std::string& path, mode_t mode, const std::string& target = {});

// The file systems of local disks (and memory), of statfs's f_type, whose
// syncfs writes back every file's data and commits their own records.
bool SyncsEverything(unsigned long fileSystemType);

// A call that read or looked up `path` failed with errno `error`: kNoSuchFile
// for a missing file, kCannotRead otherwise.
FaultError ReadFailed(const std::string& path, int error);

// A call that wrote, made or moved `path` failed with errno `error` (kCannotWrite).
FaultError WriteFailed(const std::string& path, int error);

// A new file for `path` cannot be made in `folder`: kNoSuchFolder, kNotAFolder
// or kCannotWrite.
FaultError FolderFailed(const std::string& path, const std::string& folder, int error);

}  // namespace sprite::files
