// Archive entries as a user names them: "7", "2-5", "1,4,9-12", counted from 1.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace sprite::pipeline {

struct EntryRange {
  std::int32_t first = 0;
  std::int32_t last = 0;  // first or more
};

// The numbers and ranges of `text`, separated by commas; nothing when it is
// anything else (a number is 1 to 32767 in decimal digits, a range's end is
// not before its start).
std::optional<std::vector<EntryRange>> ParseEntryNumbers(std::string_view text);

// Every number the ranges name, in increasing order and each once. Throws
// FaultError (kNoSuchEntry, naming the first such number) when one lies past
// `count`, the archive's number of entries, and kNegativeCount for a count
// below 0, which only a damaged header gives.
std::vector<std::int32_t> ChosenEntries(std::span<const EntryRange> ranges, std::int32_t count);

}  // namespace sprite::pipeline
