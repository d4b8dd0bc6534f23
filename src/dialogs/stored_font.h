#pragma once

#include <cstdint>
#include <string>

#include "dialogs/ce_common_dialog.h"

namespace sprite::dialogs {

// A font object that only keeps its properties: for a caller that has no font
// object of its own to hand to the font dialog. Bold and Weight are kept apart.
class StoredFont : public FontObject {
 public:
  std::string Name() const override { return name; }
  void SetName(const std::string& value) override { name = value; }
  double Size() const override { return size; }
  void SetSize(double value) override { size = value; }
  bool Bold() const override { return bold; }
  void SetBold(bool value) override { bold = value; }
  bool Italic() const override { return italic; }
  void SetItalic(bool value) override { italic = value; }
  bool Underline() const override { return underline; }
  void SetUnderline(bool value) override { underline = value; }
  bool Strikethrough() const override { return strikethrough; }
  void SetStrikethrough(bool value) override { strikethrough = value; }
  std::int16_t Weight() const override { return weight; }
  void SetWeight(std::int16_t value) override { weight = value; }

  std::string name;
  double size = 0;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  std::int16_t weight = 400;
};

}  // namespace sprite::dialogs
