// A file written in place of its target through POSIX calls: unnamed until
// it is committed, then given the target's name in one step.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "files/file_system.h"

namespace sprite::files {

// The file that replaces `path` on Commit, as FileSystem::CreateReplacing
// describes it. Commit adds the folder that received the name to `foldersToSync`.
std::unique_ptr<ReplacingFile> CreatePosixReplacingFile(const std::string& path,
                                                        std::set<std::string>& foldersToSync);

}  // namespace sprite::files
