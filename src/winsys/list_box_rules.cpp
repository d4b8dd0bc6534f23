// The errors of a list box asked for more lines than it can count or for a line it does not hold.
#include "winsys/list_box_rules.h"

#include <string>

#include "common/error.h"

namespace sprite::winsys {

std::int16_t ListCount16(std::int64_t count) {
  if (count > kMaxListCount) {
    throw OverflowError("the list holds " + std::to_string(count) + " lines, more than " +
                        std::to_string(kMaxListCount));
  }
  return static_cast<std::int16_t>(count);
}

void CheckListIndex(std::int16_t index, std::int64_t count) {
  if (index < 0 || index >= count) {
    throw InvalidArgumentError("list index " + std::to_string(index) + " is outside the " +
                               std::to_string(count) + " lines of the list");
  }
}

}  // namespace sprite::winsys
