#include "pipeline/natural_order.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "common/utf8_path.h"

namespace sprite::pipeline {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char Folded(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The run of digits starting at `at`, without its leading zeros.
std::string_view Number(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) {
    ++at;
  }
  std::string_view digits = text.substr(start, at - start);
  while (digits.size() > 1 && digits.front() == '0') {
    digits.remove_prefix(1);
  }
  return digits;
}

// -1, 0 or 1 as `a` comes before, with or after `b` by value and folded case.
int CompareNaturally(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Without leading zeros the longer number is the larger; as long, the digits decide.
      const std::string_view x = Number(a, i);
      const std::string_view y = Number(b, j);
      if (x.size() != y.size()) {
        return x.size() < y.size() ? -1 : 1;
      }
      if (const int order = x.compare(y); order != 0) {
        return order < 0 ? -1 : 1;
      }
      continue;
    }
    const auto x = static_cast<unsigned char>(Folded(a[i++]));
    const auto y = static_cast<unsigned char>(Folded(b[j++]));
    if (x != y) {
      return x < y ? -1 : 1;
    }
  }
  if (i < a.size() || j < b.size()) {
    return i < a.size() ? 1 : -1;
  }
  return 0;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
  const int order = CompareNaturally(a, b);
  return order != 0 ? order < 0 : a < b;
}

void SortByName(std::vector<std::string>& paths) {
  // Each name is taken once: a list holds up to 32767 paths.
  std::vector<std::pair<std::string, std::string>> named;
  named.reserve(paths.size());
  for (std::string& path : paths) {
    named.emplace_back(Utf8FromPath(PathFromUtf8(path).filename()), std::move(path));
  }
  std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? NaturalLess(a.first, b.first) : NaturalLess(a.second, b.second);
  });
  for (std::size_t i = 0; i < named.size(); ++i) {
    paths[i] = std::move(named[i].second);
  }
}

}  // namespace sprite::pipeline
