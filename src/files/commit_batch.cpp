#include "files/commit_batch.h"

#include <exception>
#include <utility>

#include "common/error.h"

namespace sprite::files {
namespace {

// The bytes a batch holds back at most, so that the one wait for the disk and
// the memory the system keeps for unwritten pages stay bounded.
constexpr std::uint64_t kMostBytesWaiting = 64ull << 20;

// Runs one step of the file at `path`; a fault that names no file gets its path.
template <typename Step>
auto Named(const std::string& path, Step step) {
  try {
    return step();
  } catch (FaultError& error) {
    if (error.Details().path.empty()) {
      error.SetPath(path);
    }
    throw;
  }
}

}  // namespace

CommitBatch::CommitBatch(std::size_t filesAtOnce, std::function<void(const std::string&)> placed)
    : filesAtOnce_(filesAtOnce == 0 ? 1 : filesAtOnce), placed_(std::move(placed)) {}

CommitBatch::~CommitBatch() = default;

void CommitBatch::Add(std::unique_ptr<ReplacingFile> file, const std::string& path) {
  const std::uint64_t bytes = Named(path, [&] { return file->Finish(); });
  if (bytes == 0 && waiting_.empty()) {
    Named(path, [&] { file->Commit(); });
    placed_(path);
    return;
  }
  waiting_.push_back({std::move(file), path});
  waitingBytes_ += bytes;
  if (waiting_.size() >= filesAtOnce_ || waitingBytes_ >= kMostBytesWaiting) {
    Commit();
  }
}

void CommitBatch::Commit() {
  std::vector<Waiting> batch = std::exchange(waiting_, {});
  waitingBytes_ = 0;
  // Each file is on the disk before the first of them replaces anything; one
  // that cannot get there ends the batch, and those before it still take
  // their places.
  std::size_t durable = 0;
  std::exception_ptr failure;
  for (; durable < batch.size(); ++durable) {
    try {
      Named(batch[durable].path, [&] { batch[durable].file->WaitForDisk(); });
    } catch (const FaultError&) {
      failure = std::current_exception();
      break;
    }
  }
  for (std::size_t i = 0; i < durable; ++i) {
    Named(batch[i].path, [&] { batch[i].file->Commit(); });
    batch[i].file.reset();
    placed_(batch[i].path);
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
}

}  // namespace sprite::files
