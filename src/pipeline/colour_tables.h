// The tables a picture's colours are looked up in as it is mapped to the
// target palette: each colour's index, and the RGBA colours met lately.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/bytes.h"
#include "formats/png_picture.h"

namespace sprite::pipeline {

// A palette of 256 entries of 4 bytes in archive order (red, green, blue, 0).
inline constexpr std::size_t kPaletteEntries = 256;

// An opaque colour as one number, red in the high byte.
inline std::uint32_t ColourKey(const formats::PngColour& c) {
  return std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
}

inline void SetEntry(Bytes& palette, std::size_t index, const formats::PngColour& colour) {
  palette[4 * index] = colour.red;
  palette[4 * index + 1] = colour.green;
  palette[4 * index + 2] = colour.blue;
  palette[4 * index + 3] = 0;
}

inline formats::PngColour EntryOf(const Bytes& palette, std::size_t index) {
  return {palette[4 * index], palette[4 * index + 1], palette[4 * index + 2], 255};
}

// Colour to index for at most 255 colours, open addressing.
class ColourIndex {
 public:
  ColourIndex() { keys_.fill(kEmpty); }

  // Keeps the index a colour was first given.
  void Insert(std::uint32_t key, std::uint8_t index) {
    std::size_t slot = Slot(key);
    while (keys_[slot] != kEmpty && keys_[slot] != key) {
      slot = (slot + 1) % kSlots;
    }
    if (keys_[slot] == kEmpty) {
      keys_[slot] = key;
      values_[slot] = index;
    }
  }

  std::optional<std::uint8_t> Find(std::uint32_t key) const {
    for (std::size_t slot = Slot(key); keys_[slot] != kEmpty; slot = (slot + 1) % kSlots) {
      if (keys_[slot] == key) {
        return values_[slot];
      }
    }
    return std::nullopt;
  }

 private:
  static constexpr std::size_t kSlots = 1024;  // under a quarter full
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  static std::size_t Slot(std::uint32_t key) { return (key * 2654435761u >> 16) % kSlots; }
  std::array<std::uint32_t, kSlots> keys_{};
  std::array<std::uint8_t, kSlots> values_{};
};

// The alpha byte of an RGBA pixel's four bytes read as one word.
inline constexpr std::uint32_t kAlphaOfWord =
    std::endian::native == std::endian::little ? 0xFF000000u : 0x000000FFu;

// The index of RGBA colours met lately, by their four bytes as one word, so
// that a picture of many colours takes one probe a pixel. An index, once given, never changes.
class RecentColours {
 public:
  static constexpr std::uint16_t kMissing = 0xFFFF;

  RecentColours() { words_.fill(0); }

  std::uint16_t Find(std::uint32_t word) const {
    const std::size_t slot = Slot(word);
    return words_[slot] == word ? values_[slot] : kMissing;
  }
  // A colour that takes the slot of another forgets that one.
  void Put(std::uint32_t word, std::uint16_t value) {
    const std::size_t slot = Slot(word);
    words_[slot] = word;
    values_[slot] = value;
  }

 private:
  static constexpr unsigned kBits = 12;  // 16 slots a colour of a full palette
  static std::size_t Slot(std::uint32_t word) { return word * 2654435761u >> (32 - kBits); }
  std::array<std::uint32_t, std::size_t{1} << kBits> words_;
  std::array<std::uint16_t, std::size_t{1} << kBits> values_{};
};

}  // namespace sprite::pipeline
