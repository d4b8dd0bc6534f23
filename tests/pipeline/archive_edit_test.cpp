// Entry-level changes of an archive against Encode of the changed list, built
// through the codec's plain transcription.
#include "pipeline/archive_edit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "app/test_files.h"
#include "codec/codec_oracle.h"
#include "fakes/memory_file_system.h"
#include "formats/png_writer.h"
#include "pipeline/archive_check.h"
#include "pipeline/recording_delegate.h"

namespace sprite::testing {
namespace {

using Kind = pipeline::ArchiveEdit::Kind;

// A picture of an archive's list, as Encode stores it.
struct Listed {
  std::int16_t width = 0;
  std::int16_t height = 0;
  Bytes rows;     // stored rows, top row first
  Bytes palette;  // archive order
};

void Put16(Bytes& bytes, std::int32_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> 8));
}

// The archive Encode makes of the list: every picture coded by the
// transcription, the last one's palette at the end.
Bytes EncodedArchive(const std::vector<Listed>& list) {
  Bytes archive{0x53, 0x50, 1, 2};
  Put16(archive, static_cast<std::int32_t>(list.size()));
  Put16(archive, 0);
  for (const Listed& picture : list) {
    const Bytes coded = codec::oracle::Compress2(picture.rows);
    Put16(archive, picture.width);
    Put16(archive, picture.height);
    Put16(archive, static_cast<std::int32_t>(coded.size()));
    archive.insert(archive.end(), coded.begin(), coded.end());
  }
  archive.insert(archive.end(), list.back().palette.begin(), list.back().palette.end());
  return archive;
}

// A palette in archive order whose colours all differ, so that a PNG picture
// of its colours maps back onto the same indexes.
Bytes DistinctPalette(std::uint8_t seed) {
  Bytes palette(1024, 0);
  for (std::size_t k = 0; k < 256; ++k) {
    palette[4 * k] = static_cast<std::uint8_t>(k);
    palette[4 * k + 1] = static_cast<std::uint8_t>(seed + k * 3);
    palette[4 * k + 2] = static_cast<std::uint8_t>(255 - k);
  }
  return palette;
}

class ArchiveEditTest : public ::testing::Test {
 protected:
  Listed RandomPicture(const Bytes& palette) {
    const auto width = static_cast<std::int32_t>(1 + random_() % 20);
    const auto rows = static_cast<std::int32_t>(1 + random_() % 6);
    const Bytes area = SpritePixelArea(random_, width, rows);
    const std::size_t stride = area.size() / static_cast<std::size_t>(rows);
    Listed picture{static_cast<std::int16_t>(width), static_cast<std::int16_t>(rows), {}, palette};
    for (std::int32_t row = 0; row < rows; ++row) {
      const auto start =
          area.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(row) * stride);
      picture.rows.insert(picture.rows.end(), start, start + width);
    }
    return picture;
  }

  // A new picture for an edit, written as a file of one of three kinds: a
  // bitmap with the archive's palette, one with another, a PNG picture.
  std::pair<Listed, std::string> NewPicture(const Bytes& archivePalette) {
    const std::string path = "new" + std::to_string(files_.files.size()) + ".pic";
    const auto kind = random_() % 3;
    Listed picture = RandomPicture(kind == 1 ? DistinctPalette(77) : archivePalette);
    if (kind == 2) {
      files_.files[path] = formats::WriteIndexedPng(static_cast<std::uint32_t>(picture.width),
                                                    static_cast<std::uint32_t>(picture.height),
                                                    picture.rows, archivePalette);
      return {picture, path};
    }
    // Bitmaps keep their rows bottom row first, each padded to four bytes.
    const std::size_t pad = (4 - static_cast<std::size_t>(picture.width) % 4) % 4;
    Bytes area;
    for (std::int32_t row = picture.height - 1; row >= 0; --row) {
      const auto start = picture.rows.begin() + row * picture.width;
      area.insert(area.end(), start, start + picture.width);
      area.insert(area.end(), pad, 0);
    }
    files_.files[path] = BuildBitmap({.width = picture.width,
                                      .height = picture.height,
                                      .palette = codec::oracle::SwapRedBlue(picture.palette),
                                      .pixelArea = area});
    return {picture, path};
  }

  pipeline::RunReport Edit(const pipeline::ArchiveEdit& edit) {
    delegate_ = RecordingDelegate{};
    return pipeline::ArchiveEditRun(files_, delegate_).Run("a.spr", edit);
  }

  std::mt19937 random_{20260131};
  fakes::MemoryFileSystem files_;
  RecordingDelegate delegate_;
};

std::int32_t Draw(std::mt19937& random, std::int32_t low, std::int32_t high) {
  return std::uniform_int_distribution<std::int32_t>(low, high)(random);
}

TEST_F(ArchiveEditTest, EveryChangeGivesTheArchiveEncodeMakesOfTheChangedList) {
  for (int round = 0; round < 300; ++round) {
    files_.files.clear();
    const Bytes palette = DistinctPalette(static_cast<std::uint8_t>(round));
    std::vector<Listed> list;
    for (std::int32_t n = Draw(random_, 1, 7); n > 0; --n) {
      list.push_back(RandomPicture(palette));
    }
    files_.files["a.spr"] = EncodedArchive(list);
    const auto count = static_cast<std::int32_t>(list.size());

    pipeline::ArchiveEdit edit{static_cast<Kind>(random_() % 5)};
    const auto at = [&](std::int32_t n) { return list.begin() + (n - 1); };
    const auto add = [&](std::vector<Listed>::iterator where, int files) {
      for (; files > 0; --files) {
        auto [picture, path] = NewPicture(palette);
        where = list.insert(where, picture) + 1;
        edit.files.push_back(path);
      }
    };
    switch (edit.kind) {
      case Kind::kReplace: {
        const std::int32_t n = Draw(random_, 1, count);
        edit.entries = {{n, n}};
        list.erase(at(n));
        add(at(n), 1);
        break;
      }
      case Kind::kInsert: {
        const std::int32_t n = Draw(random_, 1, count + 1);
        edit.entries = {{n, n}};
        add(at(n), Draw(random_, 1, 3));
        break;
      }
      case Kind::kAppend:
        add(list.end(), Draw(random_, 1, 3));
        break;
      case Kind::kDelete: {
        const std::int32_t first = Draw(random_, 1, count);
        const std::int32_t last = Draw(random_, first, count);
        edit.entries = {{first, last}};
        if (last - first + 1 < count) {
          list.erase(at(first), at(last) + 1);
        }
        break;
      }
      case Kind::kMove: {
        const std::int32_t from = Draw(random_, 1, count);
        const std::int32_t to = Draw(random_, 1, count);
        edit.entries = {{from, from}, {to, to}};
        const Listed moved = *at(from);
        list.erase(at(from));
        list.insert(at(to), moved);
        break;
      }
    }
    SCOPED_TRACE("round " + std::to_string(round) + ", change " +
                 std::to_string(static_cast<int>(edit.kind)));
    const Bytes before = files_.files["a.spr"];
    const pipeline::RunReport report = Edit(edit);
    const bool everyEntryDeleted =
        edit.kind == Kind::kDelete && list.size() == static_cast<std::size_t>(count);
    EXPECT_EQ(files_.files["a.spr"], everyEntryDeleted ? before : EncodedArchive(list));
    EXPECT_EQ(report.completed, !everyEntryDeleted);
  }
}

// An archive of two entries: the first decodes, the second is a lone zero-run marker.
Bytes ArchiveWithUndecodableEntry() {
  Bytes archive{0x53, 0x50, 1, 2, 2, 0, 0, 0, 2, 0, 1, 0, 3, 0, 0, 2, 7,  // 00 02 07
                3,    0,    1, 0, 2, 0, 9, 0};                            // 09 00: cut
  archive.resize(archive.size() + 1024, 0);
  return archive;
}

TEST_F(ArchiveEditTest, EntriesKeptAreCopiedAsTheyAreNeverDecoded) {
  const Bytes archive = ArchiveWithUndecodableEntry();
  files_.files["a.spr"] = archive;
  ASSERT_TRUE(Edit({Kind::kMove, {{2, 2}, {1, 1}}}).completed);
  // The undecodable stream leads now, byte for byte; the other follows it.
  const Bytes& moved = files_.files["a.spr"];
  EXPECT_EQ(Bytes(moved.begin() + 8, moved.begin() + 16),
            Bytes(archive.begin() + 17, archive.begin() + 25));
  EXPECT_EQ(Bytes(moved.begin() + 16, moved.begin() + 25),
            Bytes(archive.begin() + 8, archive.begin() + 17));
}

TEST_F(ArchiveEditTest, ADamagedArchiveOrAMissingEntryIsLeftAsItWas) {
  Bytes negativeCount = ArchiveWithUndecodableEntry();
  negativeCount[5] = 0xFF;
  Bytes bytesAfter = ArchiveWithUndecodableEntry();
  bytesAfter[4] = 1;
  Bytes pastPalette = ArchiveWithUndecodableEntry();
  pastPalette[21] = 0x7F;
  files_.files["b.bmp"] = BuildBitmap({.pixelArea = {1, 2, 3, 4}});
  const Bytes full = EncodedArchive(std::vector<Listed>(32767, {1, 1, {1}, Bytes(1024, 0)}));
  const struct {
    Bytes archive;
    pipeline::ArchiveEdit edit;
    FaultKind kind;
  } cases[] = {
      {negativeCount, {Kind::kDelete, {{1, 1}}}, FaultKind::kNegativeCount},
      {bytesAfter, {Kind::kAppend, {}, {"b.bmp"}}, FaultKind::kBytesAfterEntries},
      {pastPalette, {Kind::kReplace, {{1, 1}}, {"b.bmp"}}, FaultKind::kStreamPastPalette},
      {ArchiveWithUndecodableEntry(),
       {Kind::kReplace, {{3, 3}}, {"b.bmp"}},
       FaultKind::kNoSuchEntry},
      {ArchiveWithUndecodableEntry(),
       {Kind::kInsert, {{4, 4}}, {"b.bmp"}},
       FaultKind::kNoSuchEntry},
      {ArchiveWithUndecodableEntry(), {Kind::kMove, {{1, 1}, {3, 3}}}, FaultKind::kNoSuchEntry},
      {ArchiveWithUndecodableEntry(), {Kind::kDelete, {{2, 3}}}, FaultKind::kNoSuchEntry},
      {ArchiveWithUndecodableEntry(),
       {Kind::kReplace, {{1, 1}}, {"a.spr"}},
       FaultKind::kOutputIsInput},
      {ArchiveWithUndecodableEntry(), {Kind::kAppend, {}, {"none.png"}}, FaultKind::kNoSuchFile},
      {ArchiveWithUndecodableEntry(), {Kind::kAppend, {}, {"b.bmp"}}, FaultKind::kStopped},
      {full, {Kind::kAppend, {}, {"b.bmp"}}, FaultKind::kArchiveFull},
      {full, {Kind::kInsert, {{1, 1}}, {"b.bmp"}}, FaultKind::kArchiveFull},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Describe({.kind = c.kind}));
    files_.files["a.spr"] = c.archive;
    delegate_ = RecordingDelegate{};
    delegate_.stopWhen = [&](long) { return c.kind == FaultKind::kStopped; };
    const pipeline::RunReport report =
        pipeline::ArchiveEditRun(files_, delegate_).Run("a.spr", c.edit);
    EXPECT_EQ(files_.files["a.spr"], c.archive);
    EXPECT_FALSE(report.completed);
    EXPECT_EQ(report.noSuchEntry, c.kind == FaultKind::kNoSuchEntry);
    ASSERT_FALSE(delegate_.problems.empty());
    EXPECT_EQ(delegate_.problems.front().fault.kind, c.kind);
    if (c.kind == FaultKind::kArchiveFull) {  // refused before any new picture is coded
      EXPECT_THAT(delegate_.Texts(),
                  ::testing::Not(::testing::Contains(::testing::StartsWith("Adding:"))));
    }
  }
}

// A file system where another change holds the archive for its first looks.
struct HeldArchive : fakes::MemoryFileSystem {
  std::unique_ptr<ByteSource> OpenForChange(const std::string& path) override {
    return held-- > 0 ? nullptr : MemoryFileSystem::OpenForChange(path);
  }
  long held = 0;
};

TEST(ArchiveEditWaitTest, AChangeWaitsForAnotherOfItsArchiveOrStops) {
  const struct {
    long held;
    bool stop;
  } cases[] = {{2, false}, {1000, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.held);
    HeldArchive files;
    files.held = c.held;
    files.files["a.spr"] = ArchiveWithUndecodableEntry();
    RecordingDelegate delegate;
    delegate.stopWhen = [&](long) { return c.stop; };
    const pipeline::RunReport report =
        pipeline::ArchiveEditRun(files, delegate).Run("a.spr", {Kind::kDelete, {{1, 1}}});
    EXPECT_EQ(report.completed, !c.stop);
    EXPECT_EQ(files.files["a.spr"].size(), c.stop ? 1049U : 1040U);
    ASSERT_FALSE(delegate.problems.empty());
    EXPECT_EQ(delegate.problems.front().fault.kind, FaultKind::kChangedMeanwhile);
    EXPECT_EQ(delegate.problems.back().fault.kind,
              c.stop ? FaultKind::kStopped : FaultKind::kChangedMeanwhile);
  }
}

TEST(ArchiveCheckTest, AStoppedCheckSaysItWasNotFinished) {
  fakes::MemoryFileSystem files;
  files.files["a b.spr"] = ArchiveWithUndecodableEntry();
  RecordingDelegate delegate;
  delegate.stopWhen = [](long) { return true; };
  EXPECT_TRUE(pipeline::CheckArchive(files, delegate, "a b.spr").cancelled);
  ASSERT_FALSE(delegate.problems.empty());
  EXPECT_EQ(delegate.problems.back().text, "stopped: the check of \"a b.spr\" was not finished");
}

}  // namespace
}  // namespace sprite::testing

namespace sprite::testing {
namespace {

TEST(EntryNumbersTest, NumbersRangesAndListsFromOneTo32767) {
  using Ranges = std::vector<pipeline::EntryRange>;
  const auto parsed = [](std::string_view text) {
    const auto ranges = pipeline::ParseEntryNumbers(text);
    Ranges flat;
    if (ranges) {
      flat = *ranges;
    }
    return std::pair(ranges.has_value(), flat);
  };
  const auto same = [](const Ranges& a, const Ranges& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
      return x.first == y.first && x.last == y.last;
    });
  };
  EXPECT_TRUE(same(parsed("7").second, {{7, 7}}));
  EXPECT_TRUE(same(parsed("1,4-9,32767").second, {{1, 1}, {4, 9}, {32767, 32767}}));
  for (const std::string_view refused :
       {"", "0", "07", "32768", "5-4", "1,", ",1", "1-", "-3", "1-2-3", "+1", "1 ,2", "x"}) {
    SCOPED_TRACE(std::string(refused));
    EXPECT_FALSE(parsed(refused).first);
  }
  // Overlapping ranges name each entry once, in order; past the count is refused.
  EXPECT_EQ(pipeline::ChosenEntries(Ranges{{5, 6}, {2, 5}, {6, 6}}, 9),
            (std::vector<std::int32_t>{2, 3, 4, 5, 6}));
  // A damaged header's negative count is said as such, not as a missing entry.
  const struct {
    std::int32_t count;
    FaultKind kind;
    std::int64_t value;
    std::int64_t bound;
  } refusals[] = {{9, FaultKind::kNoSuchEntry, 10, 9}, {-2, FaultKind::kNegativeCount, -2, 0}};
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.count);
    try {
      pipeline::ChosenEntries(Ranges{{2, 3}, {8, 12}}, r.count);
      ADD_FAILURE() << "an entry past the count was taken";
    } catch (const FaultError& error) {
      EXPECT_EQ(std::tuple(error.Kind(), error.Details().value, error.Details().bound),
                std::tuple(r.kind, r.value, r.bound));
    }
  }
}

}  // namespace
}  // namespace sprite::testing
