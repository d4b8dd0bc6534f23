#include "formats/text_lines.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/error.h"

namespace sprite::formats {

namespace {

// Read at a time: large enough that a small palette is one read.
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

TextLines::TextLines(ByteStream& file, std::size_t maxLineBytes, std::size_t maxLines,
                     FaultKind kind)
    : file_(file),
      maxLineBytes_(maxLineBytes),
      maxLines_(maxLines),
      kind_(kind),
      // A whole line with its CR LF, a mark before it, and a block after it.
      buffer_(maxLineBytes + kByteOrderMark.size() + 2 + kBlockBytes) {}

bool TextLines::Refill() {
  std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(start_),
            buffer_.begin() + static_cast<std::ptrdiff_t>(end_), buffer_.begin());
  end_ -= start_;
  start_ = 0;
  const std::size_t got = file_.Read(std::span(buffer_).subspan(end_));
  end_ += got;
  return got > 0;
}

std::optional<std::string_view> TextLines::Next() {
  const char* data = reinterpret_cast<const char*>(buffer_.data());
  const void* lineEnd = std::memchr(data + start_, '\n', end_ - start_);
  // Blocks come until the line ends or the file does, as long as the line fits.
  while (lineEnd == nullptr) {
    const std::size_t before = end_ - start_;
    if (before > maxLineBytes_ + kByteOrderMark.size() + 1 || !Refill()) {
      break;
    }
    data = reinterpret_cast<const char*>(buffer_.data());
    lineEnd = std::memchr(data + start_ + before, '\n', end_ - start_ - before);
  }
  if (lineEnd == nullptr && start_ == end_) {
    return std::nullopt;
  }
  const std::size_t stop = lineEnd == nullptr
                               ? end_
                               : static_cast<std::size_t>(static_cast<const char*>(lineEnd) - data);
  if (number_ == maxLines_) {
    throw FaultError({.kind = kind_,
                      .text = "it has more than " + std::to_string(maxLines_) +
                              " lines, more than such a file may have here"});
  }
  std::string_view line(data + start_, stop - start_);
  start_ = std::min(stop + 1, end_);
  ++number_;
  if (number_ == 1 && line.starts_with(kByteOrderMark)) {
    line.remove_prefix(kByteOrderMark.size());
  }
  if (line.ends_with('\r')) {
    line.remove_suffix(1);
  }
  if (line.size() > maxLineBytes_) {
    throw FaultError({.kind = kind_,
                      .text = "line " + std::to_string(number_) + " is longer than the " +
                              std::to_string(maxLineBytes_) + " bytes a line may have here"});
  }
  return line;
}

}  // namespace sprite::formats
