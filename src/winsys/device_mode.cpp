// The byte layout of the device-mode and device-names records.
#include <algorithm>
#include <cstring>

#include "common/utf8.h"
#include "winsys/print_records.h"

namespace sprite::winsys {
namespace {

// The two 32-byte names hold at most 31 bytes of text and a NUL.
constexpr std::size_t kNameField = 32;

class Writer {
 public:
  explicit Writer(std::span<std::uint8_t> out) : out_(out) {}

  void Name(const std::string& text) {
    std::memcpy(out_.data() + at_, text.data(), Utf8PrefixLength(text, kNameField - 1));
    at_ += kNameField;
  }
  void Word(std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      out_[at_++] = static_cast<std::uint8_t>(value >> (8 * i));
    }
  }
  void Short(std::int16_t value) { Word(static_cast<std::uint16_t>(value), 2); }

 private:
  std::span<std::uint8_t> out_;
  std::size_t at_ = 0;
};

// Reads past the end of the bytes as 0.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::string Name() {
    std::string text;
    for (std::size_t i = 0; i < kNameField && Byte(at_ + i) != 0; ++i) {
      text.push_back(static_cast<char>(Byte(at_ + i)));
    }
    at_ += kNameField;
    return text;
  }
  std::uint32_t Word(std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
      value |= static_cast<std::uint32_t>(Byte(at_++)) << (8 * i);
    }
    return value;
  }
  std::uint16_t Unsigned16() { return static_cast<std::uint16_t>(Word(2)); }
  std::int16_t Short() { return static_cast<std::int16_t>(Word(2)); }

 private:
  std::uint8_t Byte(std::size_t at) const { return at < bytes_.size() ? bytes_[at] : 0; }

  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::array<std::uint8_t, kDevModeSize> DevModeBytes(const DEVMODE& record) {
  std::array<std::uint8_t, kDevModeSize> bytes{};
  Writer out(bytes);
  out.Name(record.dmDeviceName);
  out.Word(record.dmSpecVersion, 2);
  out.Word(record.dmDriverVersion, 2);
  out.Word(record.dmSize, 2);
  out.Word(record.dmDriverExtra, 2);
  out.Word(record.dmFields, 4);
  for (const std::int16_t value :
       {record.dmOrientation, record.dmPaperSize, record.dmPaperLength, record.dmPaperWidth,
        record.dmScale, record.dmCopies, record.dmDefaultSource, record.dmPrintQuality,
        record.dmColor, record.dmDuplex, record.dmYResolution, record.dmTTOption,
        record.dmCollate}) {
    out.Short(value);
  }
  out.Name(record.dmFormName);
  out.Word(record.dmLogPixels, 2);
  for (const std::uint32_t value : {record.dmBitsPerPel, record.dmPelsWidth, record.dmPelsHeight,
                                    record.dmDisplayFlags, record.dmDisplayFrequency}) {
    out.Word(value, 4);
  }
  return bytes;
}

DEVMODE ReadDevMode(std::span<const std::uint8_t> bytes) {
  Reader in(bytes);
  DEVMODE record;
  record.dmDeviceName = in.Name();
  record.dmSpecVersion = in.Unsigned16();
  record.dmDriverVersion = in.Unsigned16();
  record.dmSize = in.Unsigned16();
  record.dmDriverExtra = in.Unsigned16();
  record.dmFields = in.Word(4);
  for (std::int16_t* field :
       {&record.dmOrientation, &record.dmPaperSize, &record.dmPaperLength, &record.dmPaperWidth,
        &record.dmScale, &record.dmCopies, &record.dmDefaultSource, &record.dmPrintQuality,
        &record.dmColor, &record.dmDuplex, &record.dmYResolution, &record.dmTTOption,
        &record.dmCollate}) {
    *field = in.Short();
  }
  record.dmFormName = in.Name();
  record.dmLogPixels = in.Unsigned16();
  for (std::uint32_t* field : {&record.dmBitsPerPel, &record.dmPelsWidth, &record.dmPelsHeight,
                               &record.dmDisplayFlags, &record.dmDisplayFrequency}) {
    *field = in.Word(4);
  }
  return record;
}

std::vector<std::uint8_t> DevNamesBytes(const DEVNAMES& names) {
  constexpr std::size_t kHeader = 8;
  std::vector<std::uint8_t> bytes(kHeader);
  std::size_t word = 0;
  for (const std::string* name : {&names.driver, &names.device, &names.output}) {
    const std::size_t offset = bytes.size();
    bytes[word++] = static_cast<std::uint8_t>(offset);
    bytes[word++] = static_cast<std::uint8_t>(offset >> 8);
    bytes.insert(bytes.end(), name->begin(), name->end());
    bytes.push_back(0);
  }
  bytes[word] = names.isDefault ? 1 : 0;
  return bytes;
}

}  // namespace sprite::winsys
