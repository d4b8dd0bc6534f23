// Files as the commands see them: read in pieces, written whole or not at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "app/test_files.h"
#include "common/error.h"
#include "winsys/posix/posix_file_system.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

Bytes RandomBytes(std::mt19937& random, std::size_t size) {
  Bytes bytes(size);
  for (auto& byte : bytes) {
    byte = static_cast<std::uint8_t>(random());
  }
  return bytes;
}

TEST(PosixFileSystemTest, ReadsAnyRangeOfALargeFileInAnyOrder) {
  TempFolder folder;
  std::mt19937 random(17);
  const Bytes content = RandomBytes(random, 300000);  // several read-ahead blocks
  WriteFile(folder.Path("big"), content);
  winsys::PosixFileSystem files;
  auto source = files.OpenForReading(folder.Path("big"));
  ASSERT_EQ(source->Size(), content.size());
  std::uniform_int_distribution<std::size_t> length(0, 70000);
  for (int i = 0; i < 2000; ++i) {
    const std::size_t size = i % 3 == 0 ? random() % 16 : length(random);
    const std::size_t offset = random() % (content.size() - size + 1);
    Bytes out(size);
    source->ReadAt(offset, out);
    ASSERT_TRUE(std::equal(out.begin(), out.end(), content.begin() + static_cast<long>(offset)))
        << "offset " << offset << " size " << size;
  }
  Bytes tooFar(10);
  EXPECT_THROW(source->ReadAt(content.size() - 5, tooFar), IoError);
  // A failed read leaves later reads correct.
  Bytes last(5);
  source->ReadAt(content.size() - 5, last);
  EXPECT_TRUE(std::equal(last.begin(), last.end(), content.end() - 5));
}

TEST(PosixFileSystemTest, ReplacingFileAppearsWholeOnCommitOnly) {
  TempFolder folder;
  std::mt19937 random(3);
  const std::string target = folder.Path("out.spr");
  WriteFile(target, Bytes{1, 2, 3});
  winsys::PosixFileSystem files;

  Bytes expected;
  {
    auto file = files.CreateReplacing(target);
    for (int i = 0; i < 500; ++i) {  // many small appends across several buffers
      const Bytes piece = RandomBytes(random, random() % 700);
      file->Append(piece);
      expected.insert(expected.end(), piece.begin(), piece.end());
    }
    const Bytes patch{0xAA, 0xBB};
    file->WriteAt(4, patch);
    expected[4] = 0xAA;
    expected[5] = 0xBB;
    file->Append(Bytes{9});
    expected.push_back(9);
    EXPECT_EQ(ReadFile(target), (Bytes{1, 2, 3}));  // nothing replaced yet
    file->Commit();
  }
  EXPECT_EQ(ReadFile(target), expected);

  {
    auto abandoned = files.CreateReplacing(target);
    abandoned->Append(Bytes(100000, 7));
  }
  EXPECT_EQ(ReadFile(target), expected);
  EXPECT_THAT(folder.Names(), ElementsAre("out.spr"));  // no temporary file left
}

TEST(PosixFileSystemTest, PathsThatCannotBeWrittenOrReadSayWhy) {
  TempFolder folder;
  winsys::PosixFileSystem files;
  const auto reason = [&](auto&& call) -> std::string {
    try {
      call();
    } catch (const IoError& error) {
      return error.reason();
    }
    return "no error";
  };
  EXPECT_THAT(reason([&] { files.CreateReplacing(folder.Path("none/x.spr")); }),
              HasSubstr("does not exist"));
  EXPECT_THAT(reason([&] { files.CreateReplacing(folder.root().string()); }), HasSubstr("folder"));
  EXPECT_THAT(reason([&] { files.CreateReplacing(""); }), HasSubstr("no file name"));
  EXPECT_THAT(reason([&] { files.OpenForReading(folder.Path("none")); }),
              HasSubstr("No such file"));
  EXPECT_THAT(reason([&] { files.OpenForReading(folder.root().string()); }), HasSubstr("folder"));
  EXPECT_TRUE(folder.Names().empty());
}

}  // namespace
}  // namespace sprite::testing
