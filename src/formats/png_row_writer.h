// An 8-bit indexed PNG written a row at a time, for pictures too large to
// hold whole (a sheet of many sprites).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/byte_io.h"
#include "common/bytes.h"
#include "formats/png_writer.h"

namespace sprite::formats {

// The head chunks go to `out` at once; each row is deflated as it comes
// (zlib, the stream fed a row at a time) and the stream leaves in IDAT chunks
// of kImageDataChunkBytes, so that memory stays a row and the deflater's own
// tables whatever the picture's size. The bytes are those of a PNG that
// WriteIndexedPng would write of the same rows, but for how they are deflated.
class PngRowWriter {
 public:
  static constexpr std::size_t kImageDataChunkBytes = 64 * 1024;

  // Throws as IndexedPngHead does.
  PngRowWriter(ByteSink& out, std::uint32_t width, std::uint32_t height, ByteView palette,
               const PngWriteOptions& options = {});
  ~PngRowWriter();
  PngRowWriter(const PngRowWriter&) = delete;
  PngRowWriter& operator=(const PngRowWriter&) = delete;

  // The next row, `width` indexes. Throws InvalidArgumentError for a row of
  // another length or one past the picture's height.
  void AddRow(ByteView row);
  // After the last row: the end of the image data and IEND. Throws
  // InvalidArgumentError when rows are missing.
  void Finish();

 private:
  struct Stream;
  // Deflates what the stream holds with `flush` and sends every full chunk.
  void Deflate(ByteView input, int flush);
  void SendChunk(std::size_t size);

  ByteSink& out_;
  std::uint32_t width_;
  std::uint32_t height_;
  std::uint32_t rows_ = 0;
  std::unique_ptr<Stream> stream_;
  Bytes chunk_;
};

}  // namespace sprite::formats
