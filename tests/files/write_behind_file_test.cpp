// Appended bytes written on a second thread: the file sees every byte in
// order, a failed write surfaces at the caller, and nothing is committed
// after it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/error.h"
#include "files/write_behind_file.h"

namespace sprite::testing {
namespace {

// A file in memory that fails, as a full disk does, the write that would
// take it past `room` bytes.
class RecordingFile : public files::ReplacingFile {
 public:
  struct Seen {
    Bytes bytes;
    bool committed = false;
  };
  RecordingFile(Seen& seen, std::size_t room) : seen_(seen), room_(room) {}
  void Append(ByteView bytes) override { WriteAt(seen_.bytes.size(), bytes); }
  void WriteAt(std::uint64_t offset, ByteView bytes) override {
    if (offset + bytes.size() > room_) {
      throw FaultError({.kind = FaultKind::kCannotWrite, .path = "pack.spr"});
    }
    if (offset + bytes.size() > seen_.bytes.size()) {
      seen_.bytes.resize(offset + bytes.size());
    }
    std::copy(bytes.begin(), bytes.end(),
              seen_.bytes.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  void Commit() override { seen_.committed = true; }

 private:
  Seen& seen_;
  std::size_t room_;
};

Bytes Counting(std::size_t size, std::size_t from) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>((from + i) * 7);
  }
  return bytes;
}

constexpr std::size_t kBlock = files::WriteBehindFile::kBlockBytes;

TEST(WriteBehindFile, TheFileGetsEveryByteInOrderWhateverTheBlocks) {
  const std::vector<std::vector<std::size_t>> cases = {
      {},
      {10, 20},
      {kBlock - 1, 1, 1},
      {kBlock * 2 + 5, 3, kBlock - 3, kBlock, 0, 17},
  };
  for (const auto& appends : cases) {
    SCOPED_TRACE(appends.size());
    RecordingFile::Seen seen;
    Bytes expected = {0, 0, 0, 0};
    {
      files::WriteBehindFile file(std::make_unique<RecordingFile>(seen, SIZE_MAX));
      file.Append(Bytes(4, 0));  // a header, filled in at the end
      for (const std::size_t size : appends) {
        const Bytes part = Counting(size, expected.size());
        expected.insert(expected.end(), part.begin(), part.end());
        file.Append(part);
      }
      const Bytes header = {1, 2, 3, 4};
      file.WriteAt(0, header);
      std::copy(header.begin(), header.end(), expected.begin());
      file.Commit();
    }
    EXPECT_TRUE(seen.committed);
    EXPECT_EQ(seen.bytes, expected);
  }
}

TEST(WriteBehindFile, AFailedWriteIsThrownLaterAndNothingIsCommitted) {
  RecordingFile::Seen seen;
  files::WriteBehindFile file(std::make_unique<RecordingFile>(seen, kBlock + kBlock / 2));
  const auto fill = [&] {
    for (int i = 0; i < 8; ++i) {
      file.Append(Counting(kBlock, 0));
    }
    file.Commit();
  };
  EXPECT_THROW(fill(), FaultError);
  EXPECT_FALSE(seen.committed);
  EXPECT_THROW(file.Commit(), FaultError);  // it stays failed
  EXPECT_FALSE(seen.committed);
}

TEST(WriteBehindFile, OneLetGoWhileItWritesIsNeverCommitted) {
  RecordingFile::Seen seen;
  {
    files::WriteBehindFile file(std::make_unique<RecordingFile>(seen, SIZE_MAX));
    file.Append(Counting(3 * kBlock, 0));
  }
  EXPECT_FALSE(seen.committed);
}

}  // namespace
}  // namespace sprite::testing
