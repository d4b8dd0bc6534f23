// The Decode run on one archive file of any content, end to end: archive
// reader, row decoder and bitmap writer. Every bitmap is checked as it is
// written, and the log, against a plain reading of the same archive.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command_harness.h"
#include "formats/memory_io.h"
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
  CheckingFiles(ByteView archive, const std::vector<Bytes>& expected)
      : archive_(archive), expected_(expected) {}

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
    const std::size_t number = static_cast<std::size_t>(committed_) + 1;
    sprite::fuzz::Check(number <= expected_.size() && path == Name(static_cast<int>(number)));
    return std::make_unique<Checked>(expected_[number - 1], committed_);
  }
  void SyncFolders() override {}
  void Delete(const std::string&) noexcept override {}

  int Committed() const { return committed_; }

 private:
  class Checked : public sprite::files::ReplacingFile {
   public:
    Checked(const Bytes& expected, int& committed) : expected_(expected), committed_(committed) {}
    void Append(ByteView bytes) override {
      sprite::fuzz::Check(
          bytes.size() <= expected_.size() - at_ &&
          std::equal(bytes.begin(), bytes.end(), expected_.begin() + static_cast<long>(at_)));
      at_ += bytes.size();
    }
    void WriteAt(std::uint64_t, ByteView) override { sprite::fuzz::Check(false); }
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using sprite::fuzz::Check;
  const ByteView input(data, size);
  const bool archive = size >= kTrailer && input[0] == 0x53 && input[1] == 0x50 &&
                       input[2] == 0x01 && input[3] == 0x02;

  // Entries read one after another, each checked against the start of the
  // palette, and decoded plainly until the first one that cannot be.
  std::vector<Bytes> expected;
  bool whole = archive;
  const std::int16_t count = archive ? Field16(input, 4) : 0;
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
      } catch (const sprite::FaultError&) {
        whole = false;
        break;
      }
      at += 6 + streamLength;
    }
  }

  CheckingFiles files(input, expected);
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
  Check(lines.back() ==
        "Decoded " + std::to_string(whole ? count : written) + " pictures in .spr to .bmp");
  const int numbered = whole ? std::max<int>(count, 0) : written + 1;
  Check(lines.size() == 2 + static_cast<std::size_t>(numbered) + (whole ? 0 : 1));
  for (int k = 1; k <= numbered; ++k) {
    Check(lines[static_cast<std::size_t>(k)] == "Processing bitmap: " + std::to_string(k));
  }
  return 0;
}
