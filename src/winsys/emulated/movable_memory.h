#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "winsys/types.h"

namespace sprite::winsys {

// Movable memory blocks on a system without them: owned byte buffers behind
// integer handles, which are never reused. A block stays where it is, so
// locking only counts.
class MovableMemory {
 public:
  // A block of `bytes` zero bytes; 0 once the handles are used up.
  HGLOBAL GlobalAlloc(std::size_t bytes);
  // A block holding a copy of `bytes`.
  HGLOBAL GlobalAlloc(std::span<const std::uint8_t> bytes);
  // The block's bytes, valid until it is freed; empty for a handle that names no block.
  std::span<std::uint8_t> GlobalLock(HGLOBAL block);
  // Whether the block is still locked afterwards.
  bool GlobalUnlock(HGLOBAL block);
  // 0 when the block was freed; the handle when it names no block.
  HGLOBAL GlobalFree(HGLOBAL block);

  std::size_t BlockCount() const { return blocks_.size(); }
  int LockCount(HGLOBAL block) const;

 private:
  struct Block {
    std::vector<std::uint8_t> bytes;
    int locks = 0;
  };

  std::unordered_map<HGLOBAL, Block> blocks_;
  HGLOBAL nextHandle_ = 1;
};

}  // namespace sprite::winsys
