#include "winsys/emulated/movable_memory.h"

#include <limits>

namespace sprite::winsys {

HGLOBAL MovableMemory::GlobalAlloc(std::size_t bytes) {
  if (nextHandle_ == std::numeric_limits<HGLOBAL>::max()) {
    return 0;
  }
  const HGLOBAL handle = nextHandle_++;
  blocks_.emplace(handle, Block{std::vector<std::uint8_t>(bytes), 0});
  return handle;
}

HGLOBAL MovableMemory::GlobalAlloc(std::span<const std::uint8_t> bytes) {
  const HGLOBAL handle = GlobalAlloc(bytes.size());
  if (handle != 0) {
    blocks_.at(handle).bytes.assign(bytes.begin(), bytes.end());
  }
  return handle;
}

std::span<std::uint8_t> MovableMemory::GlobalLock(HGLOBAL block) {
  const auto found = blocks_.find(block);
  if (found == blocks_.end()) {
    return {};
  }
  ++found->second.locks;
  return found->second.bytes;
}

bool MovableMemory::GlobalUnlock(HGLOBAL block) {
  const auto found = blocks_.find(block);
  if (found == blocks_.end() || found->second.locks == 0) {
    return false;
  }
  return --found->second.locks > 0;
}

HGLOBAL MovableMemory::GlobalFree(HGLOBAL block) {
  return blocks_.erase(block) == 1 ? 0 : block;
}

int MovableMemory::LockCount(HGLOBAL block) const {
  const auto found = blocks_.find(block);
  return found == blocks_.end() ? 0 : found->second.locks;
}

}  // namespace sprite::winsys
