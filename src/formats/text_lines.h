// The lines of a text file, read a block at a time: memory is bounded by the
// longest line a reader allows, and time by the number of lines, never by the
// file's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/byte_io.h"
#include "common/bytes.h"
#include "common/fault.h"

namespace sprite::formats {

class TextLines {
 public:
  // Lines of `file` from its start (or of the rest of a stream), at most
  // `maxLines` of them and of at most `maxLineBytes` bytes each (line end not
  // counted); a file past either is a fault of `kind`.
  TextLines(ByteStream& file, std::size_t maxLineBytes, std::size_t maxLines, FaultKind kind);

  // The next line without its end (LF or CR LF) and, on the first line, a
  // byte-order mark; nothing after the last. The view lasts until the next
  // call. Throws FaultError of the reader's kind, naming the line, for a line
  // longer than the reader allows or one past the lines it allows.
  std::optional<std::string_view> Next();
  // The number of the line Next gave last, from 1.
  std::size_t Number() const { return number_; }

 private:
  // Moves what is left of the buffer to its front and reads the next block
  // after it; false at the end of the file.
  bool Refill();

  ByteStream& file_;
  std::size_t maxLineBytes_;
  std::size_t maxLines_;
  FaultKind kind_;
  Bytes buffer_;
  std::size_t start_ = 0;  // the unread bytes are buffer_[start_, end_)
  std::size_t end_ = 0;
  std::size_t number_ = 0;
};

}  // namespace sprite::formats
