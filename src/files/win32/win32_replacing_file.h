// A file written in place of its target through Win32 calls: written under a
// temporary name beside the target, then given the target's name in one step.
#pragma once

#include <memory>
#include <string>

#include "files/file_system.h"
#include "files/win32/win32_paths.h"

namespace sprite::files {

// The file that replaces `path` (examined as `target`) on Commit, as
// FileSystem::CreateReplacing describes it, written under a temporary name in
// the target's folder (`systemFolder`).
std::unique_ptr<ReplacingFile> CreateWin32ReplacingFile(const std::string& path,
                                                        const PathInfo& target,
                                                        const std::wstring& systemFolder);

}  // namespace sprite::files
