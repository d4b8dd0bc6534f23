#include "pipeline/entry_numbers.h"

#include <algorithm>
#include <cstddef>

#include "common/error.h"
#include "formats/entry_limits.h"

namespace sprite::pipeline {
namespace {

std::optional<std::int32_t> Number(std::string_view text) {
  if (text.empty() || text.size() > 5 || text.front() == '0') {
    return std::nullopt;
  }
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  if (value > formats::kMaxEntries) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::vector<EntryRange>> ParseEntryNumbers(std::string_view text) {
  std::vector<EntryRange> ranges;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view part = text.substr(0, comma);
    const std::size_t dash = part.find('-');
    const auto first = Number(part.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : Number(part.substr(dash + 1));
    if (!first || !last || *last < *first) {
      return std::nullopt;
    }
    ranges.push_back({*first, *last});
    if (comma == std::string_view::npos) {
      return ranges;
    }
    text.remove_prefix(comma + 1);
  }
}

std::vector<std::int32_t> ChosenEntries(std::span<const EntryRange> ranges, std::int32_t count) {
  if (count < 0) {
    throw FaultError({.kind = FaultKind::kNegativeCount, .value = count});
  }
  // A mark for each entry, so that ranges given many times cost nothing more.
  std::vector<bool> chosen(static_cast<std::size_t>(count) + 1, false);
  for (const EntryRange& range : ranges) {
    if (range.first < 1 || range.last > count) {
      throw FaultError({.kind = FaultKind::kNoSuchEntry,
                        .value = range.first < 1 ? range.first : std::max(range.first, count + 1),
                        .bound = count});
    }
    std::fill(chosen.begin() + range.first, chosen.begin() + range.last + 1, true);
  }
  std::vector<std::int32_t> numbers;
  for (std::int32_t k = 1; k <= count; ++k) {
    if (chosen[static_cast<std::size_t>(k)]) {
      numbers.push_back(k);
    }
  }
  return numbers;
}

}  // namespace sprite::pipeline
