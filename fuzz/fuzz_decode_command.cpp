// The Decode run on one archive file of any content, end to end: archive
// reader, row decoder and bitmap writer. Every bitmap is checked as it is
// written, and the log, against a plain reading of the same archive. The
// same archive decoded as a sheet is refused before anything is made when it
// is larger than encode reads, and otherwise reads back as the frames laid
// out plainly; the run's memory stays within the harness's limit either way.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command_harness.h"
#include "fakes/memory_file_system.h"
#include "formats/memory_io.h"
#include "formats/png_picture.h"
#include "pipeline/decode_run.h"

namespace {

using sprite::Bytes;
using sprite::ByteView;
using sprite::fuzz::Field16;
using sprite::fuzz::Put;
namespace oracle = sprite::codec::oracle;

constexpr std::size_t kTrailer = 1024;

// A bitmap as Decode writes it, field by field.
Bytes PlainBitmap(std::int16_t width, std::int16_t height, ByteView palette, ByteView area) {
  Bytes out{'B', 'M'};
  const auto length = static_cast<std::uint32_t>(area.size());
  for (const auto& [value, size] : {std::pair<std::uint32_t, std::size_t>{1078 + length, 4},
                                    {0, 4},
                                    {1078, 4},
                                    {40, 4},
                                    {static_cast<std::uint32_t>(std::int32_t{width}), 4},
                                    {static_cast<std::uint32_t>(std::int32_t{height}), 4},
                                    {1, 2},
                                    {8, 2},
                                    {0, 4},
                                    {length, 4},
                                    {0, 4},
                                    {0, 4},
                                    {256, 4},
                                    {0, 4}}) {
    Put(out, value, size);
  }
  out.insert(out.end(), palette.begin(), palette.end());
  out.insert(out.end(), area.begin(), area.end());
  return out;
}

std::string Name(int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", number);
  return std::string("in.spr.") + digits + ".bmp";
}

// The decoded length of a stream, up to a lone run marker at its end.
std::size_t DecodedLength(ByteView coded) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < coded.size(); ++i) {
    if (coded[i] != 0) {
      ++length;
    } else if (i + 1 < coded.size()) {
      length += coded[++i];
    }
  }
  return length;
}

// The archive, and a file for each bitmap the run writes that is compared with
// the bitmap expected as it is written: nothing is stored.
class CheckingFiles : public sprite::files::FileSystem {
 public:
  // `expected[i]` is the bitmap of entry `numbers[i]`.
  CheckingFiles(ByteView archive, const std::vector<Bytes>& expected,
                const std::vector<int>& numbers)
      : archive_(archive), expected_(expected), numbers_(numbers) {}

  bool Exists(const std::string& path) override { return path == "in.spr"; }
  bool IsPlainFile(const std::string& path) override { return Exists(path); }
  bool IsFolder(const std::string&) override { return false; }
  std::vector<std::string> ListFolder(const std::string& path) override {
    throw sprite::FaultError({.kind = sprite::FaultKind::kNotAFolder, .path = path, .text = path});
  }
  std::optional<sprite::files::FileId> IdOf(const std::string&) override { return std::nullopt; }
  std::string FullPath(const std::string& path) override { return "/" + path; }
  std::unique_ptr<sprite::ByteSource> OpenForReading(const std::string& path) override {
    sprite::fuzz::Check(path == "in.spr");
    return std::make_unique<sprite::formats::MemorySource>(archive_);
  }
  std::unique_ptr<sprite::files::ReplacingFile> CreateReplacing(const std::string& path) override {
    const auto i = static_cast<std::size_t>(committed_);
    sprite::fuzz::Check(i < expected_.size() && path == Name(numbers_[i]));
    return std::make_unique<Checked>(expected_[i], committed_);
  }
  void SyncFolders() override {}
  void Delete(const std::string&) noexcept override {}

  int Committed() const { return committed_; }

 private:
  class Checked : public sprite::files::ReplacingFile {
   public:
    Checked(const Bytes& expected, int& committed) : expected_(expected), committed_(committed) {}
    void Append(ByteView bytes) override { WriteAt(at_, bytes); }
    // Each file is written in order from its start, whole or in pieces.
    void WriteAt(std::uint64_t offset, ByteView bytes) override {
      sprite::fuzz::Check(
          offset == at_ && bytes.size() <= expected_.size() - at_ &&
          std::equal(bytes.begin(), bytes.end(), expected_.begin() + static_cast<long>(at_)));
      at_ += bytes.size();
    }
    void Commit() override {
      sprite::fuzz::Check(at_ == expected_.size());
      ++committed_;
    }

   private:
    const Bytes& expected_;
    int& committed_;
    std::size_t at_ = 0;
  };

  ByteView archive_;
  const std::vector<Bytes>& expected_;
  const std::vector<int>& numbers_;
  int committed_ = 0;
};

// The run's log as the console prints it.
class LogLines : public sprite::pipeline::RunDelegate {
 public:
  void Log(const std::string& line, bool) override { lines.push_back(line); }
  void Report(const sprite::pipeline::Problem& problem) override {
    if (!problem.line.empty()) {
      lines.push_back(problem.line);
    }
  }
  void Progress(Bar, std::int32_t) override {}
  bool ShouldStop() override { return false; }

  std::vector<std::string> lines;
};

// Archives that decode to more than this are left to the codec's own targets:
// here every byte is written and checked twice, and a run of them costs seconds.
constexpr std::size_t kAreaBudget = 64 * 1024;

// The stored rows of a complete coded stream, decoded plainly.
Bytes StoredRows(ByteView coded) {
  Bytes rows;
  for (std::size_t i = 0; i < coded.size(); ++i) {
    if (coded[i] != 0) {
      rows.push_back(coded[i]);
    } else {
      rows.insert(rows.end(), coded[++i], 0);
    }
  }
  return rows;
}

struct Frame {
  std::uint64_t width = 0;
  Bytes rows;
  std::uint64_t Height() const {
    return std::max<std::uint64_t>(1, (rows.size() + width - 1) / width);
  }
};

// A frame as a sheet shows it: whole rows, the last one filled out with 0,
// and a top-down entry's (a negative height) turned to put its top row first.
Frame FrameOf(std::int16_t width, std::int16_t height, Bytes rows) {
  Frame frame{static_cast<std::uint64_t>(width), std::move(rows)};
  const std::uint64_t rowCount = frame.Height();
  frame.rows.resize(rowCount * frame.width, 0);
  if (height < 0) {
    Bytes turned;
    for (std::uint64_t row = rowCount; row-- > 0;) {
      const auto start = frame.rows.begin() + static_cast<std::ptrdiff_t>(row * frame.width);
      turned.insert(turned.end(), start, start + static_cast<std::ptrdiff_t>(frame.width));
    }
    frame.rows = std::move(turned);
  }
  return frame;
}

// Sheets written here are small enough to check in a few milliseconds; larger
// ones are left out unless they are too large to write at all.
constexpr std::uint64_t kSheetBudget = 1u << 20;

// The frames decoded as one sheet of `columns` columns, laid out plainly:
// cells as large as the largest frame, each frame at its cell's top left.
void CheckSheet(ByteView input, const std::vector<Frame>& frames, bool whole,
                std::uint32_t columns) {
  using sprite::fuzz::Check;
  std::uint64_t cellWidth = 0;
  std::uint64_t cellHeight = 0;
  for (const Frame& frame : frames) {
    cellWidth = std::max(cellWidth, frame.width);
    cellHeight = std::max(cellHeight, frame.Height());
  }
  const std::uint64_t used = std::min<std::uint64_t>(columns, frames.size());
  const std::uint64_t width = used * cellWidth;
  const std::uint64_t height = used == 0 ? 0 : (frames.size() + used - 1) / used * cellHeight;
  const sprite::formats::PngLimits readBack;
  const bool tooLarge = width > readBack.maxWidth || height > readBack.maxHeight ||
                        width * height > readBack.maxPixels;
  if (!tooLarge && width * height > kSheetBudget) {
    return;
  }
  sprite::fakes::MemoryFileSystem files;
  files.files["in.spr"] = Bytes(input.begin(), input.end());
  LogLines log;
  const sprite::pipeline::RunReport run =
      sprite::pipeline::DecodeRun(files, log, {.png = true, .sheetColumns = columns}).Run("in.spr");
  const auto sheet = files.files.find("in.spr.sheet.png");
  if (frames.empty() || tooLarge) {
    Check(sheet == files.files.end() && run.outputFailed == tooLarge);
    Check(!tooLarge || log.lines.at(1).starts_with(
                           "ERROR: cannot write \"in.spr.sheet.png\": the sheet would be"));
    return;
  }
  Check(sheet != files.files.end() && !run.outputFailed && run.completed == whole &&
        run.stored == static_cast<std::int32_t>(frames.size()));
  const sprite::formats::PngPicture picture = sprite::formats::ReadPng(sheet->second);
  Check(picture.form == sprite::formats::PngForm::kIndexed && picture.width == width &&
        picture.height == height && picture.palette.size() == 256 && picture.palette[0].alpha == 0);
  for (std::uint64_t y = 0; y < height; ++y) {
    for (std::uint64_t x = 0; x < width; ++x) {
      const std::uint64_t number = y / cellHeight * used + x / cellWidth;
      const std::uint64_t fx = x % cellWidth;
      const std::uint64_t fy = y % cellHeight;
      std::uint8_t wanted = 0;
      if (number < frames.size() && fx < frames[number].width) {
        const std::uint64_t at = fy * frames[number].width + fx;
        wanted = at < frames[number].rows.size() ? frames[number].rows[at] : 0;
      }
      Check(picture.pixels[y * width + x] == wanted);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using sprite::fuzz::Check;
  const ByteView input(data, size);
  const bool archive = size >= kTrailer && input[0] == 0x53 && input[1] == 0x50 &&
                       input[2] == 0x01 && input[3] == 0x02;

  // Entries read one after another, each checked against the start of the
  // palette, up to the first whose head or place is damaged; each decoded
  // plainly, those whose stream is damaged left out. A sheet's frames end
  // at the first of those.
  std::vector<Bytes> expected;
  std::vector<int> numbers;
  std::vector<int> skipped;
  std::vector<Frame> frames;
  bool whole = archive;
  bool streamsWhole = true;
  const std::int16_t count = archive ? Field16(input, 4) : 0;
  std::size_t entriesEnd = 0;
  if (archive) {
    const std::size_t trailerStart = size - kTrailer;
    const Bytes palette = oracle::SwapRedBlue(input.subspan(trailerStart));
    std::size_t at = 8;
    std::size_t area = 0;
    sprite::fuzz::QuietStepHost host;
    for (int k = 1; k <= count && whole; ++k) {
      whole = at + 6 <= trailerStart;
      const std::int16_t width = whole ? Field16(input, at) : 0;
      const std::int16_t height = whole ? Field16(input, at + 2) : 0;
      const std::int16_t length = whole ? Field16(input, at + 4) : 0;
      const auto streamLength = static_cast<std::size_t>(length);
      whole = whole && width > 0 && length >= 0 && at + 6 + streamLength <= trailerStart;
      if (!whole) {
        break;
      }
      const ByteView coded = input.subspan(at + 6, streamLength);
      const std::size_t decoded = DecodedLength(coded);
      const auto rowBytes = static_cast<std::size_t>(width);
      area += decoded + (decoded + rowBytes - 1) / rowBytes * 3;
      if (area > kAreaBudget) {
        return 0;
      }
      try {
        expected.push_back(
            PlainBitmap(width, height, palette, oracle::DecompressRows(coded, width, host)));
        numbers.push_back(k);
        if (streamsWhole) {
          frames.push_back(FrameOf(width, height, StoredRows(coded)));
        }
      } catch (const sprite::FaultError&) {
        skipped.push_back(k);
        streamsWhole = false;
      }
      at += 6 + streamLength;
    }
    entriesEnd = at;
  }

  CheckingFiles files(input, expected, numbers);
  LogLines log;
  const sprite::pipeline::RunReport run = sprite::pipeline::DecodeRun(files, log).Run("in.spr");
  const std::vector<std::string>& lines = log.lines;
  Check(!run.outputFailed && !run.cancelled);
  Check(!lines.empty() && lines.front() == "Decoding...");
  if (!archive) {
    Check(lines.size() == 1 && files.Committed() == 0 && !run.completed);
    return 0;
  }
  const int written = static_cast<int>(expected.size());
  Check(run.completed == whole && run.stored == written && files.Committed() == written);
  Check(lines.back() == "Decoded " + std::to_string(whole && skipped.empty() ? count : written) +
                            " pictures in .spr to .bmp");
  // Bytes between the last entry and the palette are damage, said once every
  // entry is written.
  const bool leftOver = whole && count >= 0 && entriesEnd < size - kTrailer;
  const int numbered =
      whole ? std::max<int>(count, 0) : written + static_cast<int>(skipped.size()) + 1;
  std::size_t line = 1;
  const auto next = [&]() -> const std::string& {
    Check(line < lines.size());
    return lines[line++];
  };
  for (int k = 1; k <= numbered; ++k) {
    Check(next() == "Processing bitmap: " + std::to_string(k));
    if (std::ranges::find(skipped, k) != skipped.end()) {
      const std::string& error = next();
      Check(error.starts_with("ERROR: in.spr: entry " + std::to_string(k) + ": ") &&
            error.ends_with("; its bitmap was not written"));
    }
  }
  Check(whole || next().starts_with("ERROR: "));
  Check(!leftOver || next().starts_with("ERROR: in.spr: "));
  Check(line + 1 == lines.size());
  CheckSheet(input, frames, whole && streamsWhole, static_cast<std::uint32_t>(1 + size % 5));
  return 0;
}
