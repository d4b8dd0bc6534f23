#include "pipeline/entry_writer.h"

#include "codec/palette_swap.h"
#include "formats/bitmap.h"
#include "formats/png_writer.h"

namespace sprite::pipeline {

namespace {

class BitmapWriter : public EntryWriter {
 public:
  // Every bitmap gets the archive's palette in the order a bitmap keeps it.
  explicit BitmapWriter(const Bytes& palette) : palette_(codec::SwapRedBlue(palette)) {}

  const char* Extension() const override { return ".bmp"; }
  Bytes Write(const formats::ArchiveEntry& entry, codec::RowsHost& host) override {
    const Bytes area = codec::RLEDecompressRows(entry.coded, entry.width, host);
    return formats::WriteBitmap(entry.width, entry.height, palette_, area);
  }

 private:
  Bytes palette_;
};

class PngWriter : public EntryWriter {
 public:
  PngWriter(const Bytes& palette, bool opaque) : palette_(palette), opaque_(opaque) {}

  const char* Extension() const override { return ".png"; }
  Bytes Write(const formats::ArchiveEntry& entry, codec::RowsHost& host) override {
    const Bytes rows = codec::RLEDecompressStoredRows(entry.coded, entry.width, host);
    return formats::WriteEntryPng(entry.width, entry.height, rows, palette_,
                                  {.seeThroughIndex0 = !opaque_});
  }

 private:
  Bytes palette_;
  bool opaque_;
};

}  // namespace

std::unique_ptr<EntryWriter> MakeBitmapWriter(const Bytes& palette) {
  return std::make_unique<BitmapWriter>(palette);
}

std::unique_ptr<EntryWriter> MakePngWriter(const Bytes& palette, bool opaque) {
  return std::make_unique<PngWriter>(palette, opaque);
}

}  // namespace sprite::pipeline
