// The hidden temporary files a write names beside its target, locked by their
// writer for as long as they have that name, so that those a killed run left
// can be told from those being written and removed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sprite::files {

// ".sprite-PID-SERIAL.tmp" of this process in `folder`.
std::string TemporaryName(const std::string& folder, std::uint32_t serial);

// Whether `fileName` (without its folder) is one that TemporaryName gives.
bool IsTemporaryName(std::string_view fileName);

// Locks the file open at `fd` until every descriptor of that opening is
// closed: its writer holds it while the file may have a temporary name, in a
// folder RemoveStaleTemporaries sweeps.
void LockWhileWritten(int fd) noexcept;

// Removes the temporary files in `folder` that no writer holds: of these
// names, regular files of this user, on a local disk, whose lock is free.
// On a network file system another machine's writer may hold a lock this one
// does not see, so such a folder's are left alone (and its writers need not
// lock, nor wait for a lock server). Failures are ignored. Whether the folder
// is swept, and so whether its writers lock.
bool RemoveStaleTemporaries(const std::string& folder) noexcept;

}  // namespace sprite::files
