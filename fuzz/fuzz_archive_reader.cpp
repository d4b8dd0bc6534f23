// Reads every entry of an arbitrary archive. A format error is the expected way
// out; a read outside the input is a fault and stops the run.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "common/error.h"
#include "formats/sprite_archive.h"

namespace {

class BoundedSource : public sprite::ByteSource {
 public:
  explicit BoundedSource(sprite::ByteView bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
      std::abort();
    }
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
  }

 private:
  sprite::ByteView bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BoundedSource source(sprite::ByteView(data, size));
  try {
    sprite::formats::ArchiveReader reader(source);
    if (reader.Palette().size() != sprite::formats::kTrailerSize) {
      std::abort();
    }
    std::int32_t entries = 0;
    while (auto entry = reader.Next()) {
      if (entry->width <= 0 || ++entries > reader.Count()) {
        std::abort();
      }
    }
  } catch (const sprite::Error&) {
  }
  return 0;
}
