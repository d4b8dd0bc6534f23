#include "formats/png_row_writer.h"

// zlib then takes its input as bytes it only reads.
#define ZLIB_CONST
#include <zlib.h>

#include <new>
#include <string>

#include "common/error.h"

namespace sprite::formats {

namespace {

// Filter type 0 before every row: filters only spread a palette picture's runs.
constexpr std::uint8_t kNoFilter = 0;

}  // namespace

// The deflater's state, ended however the writer ends.
struct PngRowWriter::Stream {
  z_stream z{};
  bool started = false;
  ~Stream() {
    if (started) {
      deflateEnd(&z);
    }
  }
};

PngRowWriter::PngRowWriter(ByteSink& out, std::uint32_t width, std::uint32_t height,
                           ByteView palette, const PngWriteOptions& options)
    : out_(out), width_(width), height_(height), stream_(std::make_unique<Stream>()) {
  const Bytes head = IndexedPngHead(width, height, palette, options);
  // libdeflate's levels run to 12, zlib's to 9.
  const int level = options.zlibLevel > Z_BEST_COMPRESSION ? Z_BEST_COMPRESSION : options.zlibLevel;
  if (deflateInit(&stream_->z, level) != Z_OK) {
    throw std::bad_alloc();
  }
  stream_->started = true;
  chunk_.resize(kImageDataChunkBytes);
  stream_->z.next_out = chunk_.data();
  stream_->z.avail_out = static_cast<uInt>(chunk_.size());
  out_.Append(head);
}

PngRowWriter::~PngRowWriter() = default;

void PngRowWriter::AddRow(ByteView row) {
  if (row.size() != width_ || rows_ == height_) {
    throw InvalidArgumentError("row " + std::to_string(rows_) + " of " +
                               std::to_string(row.size()) + " pixels does not fit a picture of " +
                               std::to_string(width_) + " × " + std::to_string(height_));
  }
  Deflate(ByteView(&kNoFilter, 1), Z_NO_FLUSH);
  Deflate(row, Z_NO_FLUSH);
  ++rows_;
}

void PngRowWriter::Finish() {
  if (rows_ != height_) {
    throw InvalidArgumentError(std::to_string(rows_) + " rows were written of " +
                               std::to_string(height_));
  }
  Deflate({}, Z_FINISH);
  const std::size_t left = kImageDataChunkBytes - stream_->z.avail_out;
  if (left > 0) {
    SendChunk(left);
  }
  Bytes end;
  AppendPngChunk(end, ChunkType("IEND"), {});
  out_.Append(end);
}

void PngRowWriter::Deflate(ByteView input, int flush) {
  z_stream& z = stream_->z;
  z.next_in = input.data();
  z.avail_in = static_cast<uInt>(input.size());
  while (true) {
    const int result = deflate(&z, flush);
    if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
      throw Error("the image data could not be deflated (zlib " + std::to_string(result) + ")");
    }
    if (z.avail_out == 0) {
      SendChunk(kImageDataChunkBytes);
      continue;
    }
    if (z.avail_in == 0 && (flush != Z_FINISH || result == Z_STREAM_END)) {
      return;
    }
  }
}

void PngRowWriter::SendChunk(std::size_t size) {
  Bytes chunk;
  chunk.reserve(size + 12);
  AppendPngChunk(chunk, ChunkType("IDAT"), ByteView(chunk_).first(size));
  out_.Append(chunk);
  stream_->z.next_out = chunk_.data();
  stream_->z.avail_out = static_cast<uInt>(chunk_.size());
}

}  // namespace sprite::formats
