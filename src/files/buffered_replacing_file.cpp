#include "files/buffered_replacing_file.h"

#include "files/read_ahead_source.h"

namespace sprite::files {

void BufferedReplacingFile::Append(ByteView bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  size_ += bytes.size();
  if (pending_.size() >= kFileBufferSize) {
    Flush();
  }
}

void BufferedReplacingFile::WriteAt(std::uint64_t offset, ByteView bytes) {
  Flush();
  WriteFully(offset, bytes);
  if (offset + bytes.size() > size_) {
    size_ = offset + bytes.size();
  }
}

void BufferedReplacingFile::Flush() {
  if (!pending_.empty()) {
    WriteFully(size_ - pending_.size(), pending_);
    pending_.clear();
  }
}

void BufferedReplacingFile::FlushAndRelease() {
  Flush();
  Bytes().swap(pending_);
}

}  // namespace sprite::files
