// What every backend's list box allows: 16-bit line counts and indexes, and
// only indexes of lines that exist.
#pragma once

#include <cstdint>
#include <limits>

namespace sprite::winsys {

// Counts and indexes are 16-bit signed.
inline constexpr std::int32_t kMaxListCount = std::numeric_limits<std::int16_t>::max();

// `count` lines as a 16-bit count; OverflowError past kMaxListCount.
std::int16_t ListCount16(std::int64_t count);

// InvalidArgumentError for an index outside the `count` lines of the list.
void CheckListIndex(std::int16_t index, std::int64_t count);

}  // namespace sprite::winsys
