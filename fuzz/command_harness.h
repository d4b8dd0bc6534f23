#pragma once

// The Encode, Decode and entry-level runs over files held in memory, for the fuzz targets
// that run the commands end to end, and plain checks shared by them.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "codec/codec_oracle.h"
#include "common/error.h"
#include "fakes/memory_file_system.h"
#include "files/file_system.h"
#include "formats/memory_io.h"
#include "pipeline/archive_edit.h"
#include "pipeline/decode_run.h"
#include "pipeline/encode_run.h"

namespace sprite::fuzz {

inline void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// Little-endian fields, read and written plainly for the expected results (not
// through the format code under test). `at` + `size` lies inside `bytes`.
inline std::uint32_t Field(ByteView bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  }
  return value;
}
inline std::int16_t Field16(ByteView bytes, std::size_t at) {
  return static_cast<std::int16_t>(Field(bytes, at, 2));
}
inline std::int32_t Field32(ByteView bytes, std::size_t at) {
  return static_cast<std::int32_t>(Field(bytes, at, 4));
}
inline void Put(Bytes& out, std::uint32_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

// The Encode and Decode runs over files in memory, with the log as the
// console prints it; a fresh one for each input, so that runs do not depend on
// each other.
class Commands : private pipeline::RunDelegate {
 public:
  void Encode(const std::vector<std::string>& bitmaps, const std::string& archive) {
    log_.clear();
    lastRun_ = pipeline::EncodeRun(files_, *this).Run(bitmaps, archive, palette_);
  }

  void Decode(const std::string& archive) {
    log_.clear();
    lastRun_ = pipeline::DecodeRun(files_, *this).Run(archive);
  }

  void Edit(const std::string& archive, const pipeline::ArchiveEdit& edit) {
    log_.clear();
    lastRun_ = pipeline::ArchiveEditRun(files_, *this).Run(archive, edit);
  }

  const std::vector<std::string>& Log() const { return log_; }
  const pipeline::RunReport& LastRun() const { return lastRun_; }
  const Bytes& Palette() const { return palette_; }
  std::map<std::string, Bytes>& Files() { return files_.files; }

 private:
  void Log(const std::string& line, bool) override { log_.push_back(line); }
  void Report(const pipeline::Problem& problem) override {
    if (!problem.line.empty()) {
      log_.push_back(problem.line);
    }
  }
  void Progress(Bar, std::int32_t) override {}
  bool ShouldStop() override { return false; }

  fakes::MemoryFileSystem files_;
  std::vector<std::string> log_;
  pipeline::RunReport lastRun_;
  Bytes palette_ = Bytes(1024, 0);
};

// Progress and yields of the plain row decoder go nowhere.
class QuietStepHost : public codec::oracle::StepHost {
 public:
  void SetFirstBar(std::int32_t) override {}
  void SetSecondBar(std::int32_t) override {}
  void Yield() override {}
};

// A palette in bitmap order as it comes back from an archive: reserved bytes 0.
inline Bytes ClearedReserved(ByteView palette) {
  return codec::oracle::SwapRedBlue(codec::oracle::SwapRedBlue(palette));
}

}  // namespace sprite::fuzz
