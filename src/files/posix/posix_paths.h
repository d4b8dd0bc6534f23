// Paths and the system's reasons, in the words the file system's errors use.
#pragma once

#include <sys/types.h>

#include <string>

namespace sprite::files {

// The system's words for an errno value.
std::string SystemReason(int error);

// The folder a path lies in: "." for a bare name, "/" for one in the root.
std::string FolderOf(const std::string& path);

// The path up to and including its last slash; empty for a bare name.
std::string FolderPrefix(const std::string& path);

// Why a path that names something other than a regular file is not used.
std::string NotAFile(mode_t mode);

// The reason for a folder that a file cannot be made in.
std::string FolderReason(const std::string& folder, int error);

}  // namespace sprite::files
