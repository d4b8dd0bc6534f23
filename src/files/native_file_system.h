#pragma once

#include <memory>

#include "files/file_system.h"

namespace sprite::files {

// The file system of the system the program runs on (sprite_files_native).
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace sprite::files
