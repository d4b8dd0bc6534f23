#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "winsys/property_bag.h"

namespace sprite::controls {

// A control's stored properties held in memory. Keys are kept in lower case, in
// the order they were first written. The text form has one "key = value" line
// per stored property, values in decimal.
class PropertyBagStore : public winsys::PropertyBag {
 public:
  using Entry = std::pair<std::string, std::int32_t>;

  PropertyBagStore() = default;

  // Reads the text form: blank lines and lines starting with '#' are skipped; a
  // value is a 32-bit decimal or a 0x hexadecimal bit pattern. Anything else
  // throws InvalidArgumentError naming the line.
  static PropertyBagStore FromText(std::string_view text);
  std::string ToText() const;

  std::int32_t ReadProperty(std::string_view key, std::int32_t defaultValue) override;
  // Throws InvalidArgumentError for a key the text form cannot hold.
  void WriteProperty(std::string_view key, std::int32_t value, std::int32_t defaultValue) override;

  // Stores a value whatever its default.
  void Set(std::string_view key, std::int32_t value);
  bool Contains(std::string_view key) const;
  const std::vector<Entry>& Entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::vector<Entry>::iterator Find(std::string_view key);
  std::vector<Entry>::const_iterator Find(std::string_view key) const;

  std::vector<Entry> entries_;
};

// The stored design of a window: one property bag per control, by control name.
// Text form: a "[name]" line starts the bag of that control.
class StoredDesign {
 public:
  static StoredDesign FromText(std::string_view text);
  std::string ToText() const;

  // The bag of a control; an empty one is added for a control not stored yet.
  // References stay valid while the design lives.
  PropertyBagStore& Bag(std::string_view controlName);
  // nullptr when the control has nothing stored.
  const PropertyBagStore* Find(std::string_view controlName) const;

 private:
  std::deque<std::pair<std::string, PropertyBagStore>> bags_;
};

}  // namespace sprite::controls
