// A replacing file whose appended bytes reach the system on a second thread,
// a large block at a time, while the caller makes the next block.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "common/bytes.h"
#include "files/file_system.h"

namespace sprite::files {

// Writing a large file (an archive) costs the system about as much as making
// its bytes costs the caller; here the two overlap. Appended bytes are
// gathered into a block; a full block goes to the thread, which writes it
// while the next fills, so at most two blocks are held. Everything else
// (writes at an offset, Finish, Commit) first waits until the thread has
// written all that came before, so the file sees its bytes in the order they
// came. A write that failed on the thread throws its FaultError at the
// caller's next call.
class WriteBehindFile : public ReplacingFile {
 public:
  static constexpr std::size_t kBlockBytes = std::size_t{128} * 1024;

  explicit WriteBehindFile(std::unique_ptr<ReplacingFile> file);
  // Waits for the block being written, then lets the file go uncommitted.
  ~WriteBehindFile() override;
  WriteBehindFile(const WriteBehindFile&) = delete;
  WriteBehindFile& operator=(const WriteBehindFile&) = delete;

  void Append(ByteView bytes) override;
  void WriteAt(std::uint64_t offset, ByteView bytes) override;
  void Commit() override;
  std::uint64_t Finish() override;
  void WaitForDisk() override { file_->WaitForDisk(); }

 private:
  // Hands the gathered block to the thread once the one before is written.
  void HandOver();
  // Hands over what is gathered and waits until the thread has written it.
  void Drain();
  // Under the lock: waits until the thread is idle; rethrows its failure.
  void WaitIdle(std::unique_lock<std::mutex>& lock);
  void Run();

  std::unique_ptr<ReplacingFile> file_;
  Bytes gathered_;
  std::uint64_t gatheredAt_ = 0;  // the file offset of gathered_'s first byte
  std::mutex mutex_;
  std::condition_variable changed_;
  // The block the thread writes, at its offset; busy until it is written.
  Bytes block_;
  std::uint64_t blockAt_ = 0;
  bool busy_ = false;
  bool stopping_ = false;
  std::exception_ptr failed_;
  // Started at the first full block: a small file never starts it.
  std::thread thread_;
};

}  // namespace sprite::files
