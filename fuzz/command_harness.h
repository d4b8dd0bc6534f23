#pragma once

// The window's Encode and Decode commands over files held in memory, for the
// fuzz targets that run the commands end to end, and plain checks shared by them.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "codec/codec_oracle.h"
#include "common/error.h"
#include "fakes/fake_window_system.h"
#include "files/file_system.h"
#include "formats/memory_io.h"

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

// Files in memory behind the interface the commands use: what a command writes
// can be read back at once, and nothing touches the disk.
class MemoryFileSystem : public files::FileSystem {
 public:
  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  bool IsPlainFile(const std::string& path) override { return Exists(path); }
  std::string FullPath(const std::string& path) override { return "/" + path; }
  // A file is its path: memory holds no links.
  std::optional<files::FileId> IdOf(const std::string& path) override {
    if (!Exists(path)) {
      return std::nullopt;
    }
    return files::FileId{0, std::hash<std::string>{}(path)};
  }

  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override {
    const auto found = files.find(path);
    if (found == files.end()) {
      throw FaultError({.kind = FaultKind::kNoSuchFile, .path = path});
    }
    return std::make_unique<OwnedSource>(found->second);
  }

  std::unique_ptr<files::ReplacingFile> CreateReplacing(const std::string& path) override {
    return std::make_unique<File>(path, files);
  }

  void SyncFolders() override {}
  void Delete(const std::string& path) noexcept override { files.erase(path); }

  std::map<std::string, Bytes> files;

 private:
  // A copy of the file as it was when opened, as an open file would keep it.
  class OwnedSource : public ByteSource {
   public:
    explicit OwnedSource(Bytes bytes) : bytes_(std::move(bytes)), source_(bytes_) {}
    std::uint64_t Size() const override { return source_.Size(); }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
      source_.ReadAt(offset, out);
    }

   private:
    Bytes bytes_;
    formats::MemorySource source_;
  };

  class File : public files::ReplacingFile {
   public:
    File(std::string path, std::map<std::string, Bytes>& files)
        : path_(std::move(path)), files_(files), sink_(bytes_) {}
    void Append(ByteView bytes) override { sink_.Append(bytes); }
    void WriteAt(std::uint64_t offset, ByteView bytes) override { sink_.WriteAt(offset, bytes); }
    void Commit() override { files_[path_] = std::move(bytes_); }

   private:
    std::string path_;
    std::map<std::string, Bytes>& files_;
    Bytes bytes_;
    formats::MemorySink sink_;
  };
};

// A fresh main window for one input, so that runs do not depend on each other.
class Commands {
 public:
  Commands() : form_(windows_, files_) {}

  void Encode(const std::vector<std::string>& bitmaps, const std::string& archive) {
    const app::Form1Controls controls = form_.Controls();
    controls.lstFiles.Clear();
    for (const auto& path : bitmaps) {
      controls.lstFiles.AddItem(path);
    }
    controls.txtOut.SetText(archive);
    winsys::AsMemory(controls.Command3).Click();
  }

  void Decode(const std::string& archive) {
    const app::Form1Controls controls = form_.Controls();
    controls.txtOut.SetText(archive);
    winsys::AsMemory(controls.Command4).Click();
  }

  const std::vector<std::string>& Log() { return winsys::AsMemory(form_.Controls().List1).Lines(); }
  const pipeline::RunReport& LastRun() const { return form_.LastRun(); }
  const Bytes& Palette() const { return form_.Palette(); }
  std::map<std::string, Bytes>& Files() { return files_.files; }

 private:
  fakes::FakeWindowSystem windows_;
  MemoryFileSystem files_;
  app::Form1 form_;
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
