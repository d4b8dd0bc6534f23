#include "controls/property_bag_store.h"

#include <algorithm>
#include <charconv>

#include "common/error.h"

namespace sprite::controls {
namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string LowerCase(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), Lower);
  return out;
}

// Keys and control names: letters, digits and underscores, so that every one
// survives the text form unchanged.
bool IsName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

void CheckKey(std::string_view key) {
  if (!IsName(key)) {
    throw InvalidArgumentError("property key \"" + std::string(key) +
                               "\" is not letters, digits and '_'");
  }
}

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && isSpace(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isSpace(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

[[noreturn]] void Fail(int lineNumber, const std::string& what, std::string_view line) {
  constexpr std::size_t kShown = 40;  // enough to recognise the line
  std::string shown(line.substr(0, kShown));
  if (line.size() > kShown) {
    shown += "...";
  }
  throw InvalidArgumentError("stored properties, line " + std::to_string(lineNumber) + ": " + what +
                             " in \"" + shown + "\"");
}

// A 32-bit decimal, or a 0x hexadecimal bit pattern of up to 8 digits (colour values).
bool ParseValue(std::string_view text, std::int32_t& value) {
  const char* end = text.data() + text.size();
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (text.size() > 10) {
      return false;
    }
    std::uint32_t bits = 0;
    const auto result = std::from_chars(text.data() + 2, end, bits, 16);
    if (result.ec != std::errc() || result.ptr != end) {
      return false;
    }
    value = static_cast<std::int32_t>(bits);
    return true;
  }
  if (!text.empty() && text[0] == '+') {
    return false;
  }
  const auto result = std::from_chars(text.data(), end, value, 10);
  return result.ec == std::errc() && result.ptr == end;
}

// Calls `onSection` for "[name]" lines and `onEntry` for "key = value" lines.
template <typename OnSection, typename OnEntry>
void ParseLines(std::string_view text, OnSection onSection, OnEntry onEntry) {
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t newline = text.find('\n');
    const std::string_view raw = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']' || !IsName(Trim(line.substr(1, line.size() - 2)))) {
        Fail(lineNumber, "expected \"[control name]\"", raw);
      }
      onSection(lineNumber, Trim(line.substr(1, line.size() - 2)), raw);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      Fail(lineNumber, "expected \"key = value\"", raw);
    }
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view valueText = Trim(line.substr(equals + 1));
    if (!IsName(key)) {
      Fail(lineNumber, "a key is letters, digits and '_'", raw);
    }
    std::int32_t value = 0;
    if (!ParseValue(valueText, value)) {
      Fail(lineNumber, "the value is not a 32-bit integer", raw);
    }
    onEntry(lineNumber, key, value, raw);
  }
}

void AddParsed(PropertyBagStore& bag, int lineNumber, std::string_view key, std::int32_t value,
               std::string_view raw) {
  if (bag.Contains(key)) {
    Fail(lineNumber, "the key is stored twice", raw);
  }
  bag.Set(key, value);
}

}  // namespace

PropertyBagStore PropertyBagStore::FromText(std::string_view text) {
  PropertyBagStore bag;
  ParseLines(
      text,
      [](int lineNumber, std::string_view, std::string_view raw) {
        Fail(lineNumber, "a single control's properties hold no sections", raw);
      },
      [&bag](int lineNumber, std::string_view key, std::int32_t value, std::string_view raw) {
        AddParsed(bag, lineNumber, key, value, raw);
      });
  return bag;
}

std::string PropertyBagStore::ToText() const {
  std::string text;
  for (const auto& [key, value] : entries_) {
    text += key + " = " + std::to_string(value) + "\n";
  }
  return text;
}

std::int32_t PropertyBagStore::ReadProperty(std::string_view key, std::int32_t defaultValue) {
  const auto found = Find(key);
  return found == entries_.end() ? defaultValue : found->second;
}

void PropertyBagStore::WriteProperty(std::string_view key, std::int32_t value,
                                     std::int32_t defaultValue) {
  CheckKey(key);
  if (value != defaultValue) {
    Set(key, value);
    return;
  }
  const auto found = Find(key);
  if (found != entries_.end()) {
    entries_.erase(found);
  }
}

void PropertyBagStore::Set(std::string_view key, std::int32_t value) {
  CheckKey(key);
  const auto found = Find(key);
  if (found != entries_.end()) {
    found->second = value;
  } else {
    entries_.emplace_back(LowerCase(key), value);
  }
}

bool PropertyBagStore::Contains(std::string_view key) const {
  return Find(key) != entries_.end();
}

std::vector<PropertyBagStore::Entry>::iterator PropertyBagStore::Find(std::string_view key) {
  return std::find_if(entries_.begin(), entries_.end(),
                      [key](const Entry& entry) { return SameKey(entry.first, key); });
}

std::vector<PropertyBagStore::Entry>::const_iterator PropertyBagStore::Find(
    std::string_view key) const {
  return std::find_if(entries_.begin(), entries_.end(),
                      [key](const Entry& entry) { return SameKey(entry.first, key); });
}

StoredDesign StoredDesign::FromText(std::string_view text) {
  StoredDesign design;
  PropertyBagStore* current = nullptr;
  ParseLines(
      text,
      [&](int lineNumber, std::string_view name, std::string_view raw) {
        if (design.Find(name) != nullptr) {
          Fail(lineNumber, "the control is stored twice", raw);
        }
        current = &design.Bag(name);
      },
      [&](int lineNumber, std::string_view key, std::int32_t value, std::string_view raw) {
        if (current == nullptr) {
          Fail(lineNumber, "a property before the first \"[control name]\"", raw);
        }
        AddParsed(*current, lineNumber, key, value, raw);
      });
  return design;
}

std::string StoredDesign::ToText() const {
  std::string text;
  for (const auto& [name, bag] : bags_) {
    text += "[" + name + "]\n" + bag.ToText();
  }
  return text;
}

PropertyBagStore& StoredDesign::Bag(std::string_view controlName) {
  if (!IsName(controlName)) {
    throw InvalidArgumentError("control name \"" + std::string(controlName) +
                               "\" is not letters, digits and '_'");
  }
  for (auto& [name, bag] : bags_) {
    if (SameKey(name, controlName)) {
      return bag;
    }
  }
  return bags_.emplace_back(std::string(controlName), PropertyBagStore()).second;
}

const PropertyBagStore* StoredDesign::Find(std::string_view controlName) const {
  for (const auto& [name, bag] : bags_) {
    if (SameKey(name, controlName)) {
      return &bag;
    }
  }
  return nullptr;
}

}  // namespace sprite::controls
