#include "cli/standard_streams.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/error.h"
#include "common/text.h"
#include "files/standard_stream.h"
#include "formats/sprite_archive.h"
#include "winsys/interrupts.h"

namespace sprite::cli {
namespace {

constexpr char kInput[] = "standard input";
constexpr char kOutput[] = "standard output";
constexpr std::size_t kBlock = 64 * 1024;

// An unnamed temporary file, removed when it is closed.
class TemporaryFile {
 public:
  TemporaryFile(const char* shownAs) : file_(std::tmpfile()), shownAs_(shownAs) {
    if (file_ == nullptr) {
      Fail(FaultKind::kCannotWrite);
    }
  }
  ~TemporaryFile() { std::fclose(file_); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  std::FILE* Get() const { return file_; }
  void Seek(std::uint64_t offset) const {
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
      Fail(FaultKind::kCannotRead);
    }
  }
  [[noreturn]] void Fail(FaultKind kind) const {
    throw FaultError({.kind = kind, .path = shownAs_, .text = std::strerror(errno)});
  }

 private:
  std::FILE* file_;
  const char* shownAs_;
};

void StopWhenAsked() {
  if (winsys::InterruptCaught()) {
    throw CancelledError();
  }
}

// The next bytes of standard input into `out`, as far as it goes: fewer only
// at its end. Ctrl+C while it is read stops the run, whether the stream is
// flowing or waiting for a writer.
std::size_t ReadInput(std::span<std::uint8_t> out) {
  const std::size_t got = std::fread(out.data(), 1, out.size(), stdin);
  const int readError = errno;
  StopWhenAsked();  // a read the stop broke off is no fault of the stream
  if (got < out.size() && std::ferror(stdin) != 0) {
    if (readError == EISDIR) {  // "< folder"
      throw FaultError({.kind = FaultKind::kNotAPlainFile, .path = kInput, .text = "a folder"});
    }
    throw FaultError({.kind = FaultKind::kCannotRead,
                      .path = kInput,
                      .text = "a read failed: " + std::string(std::strerror(readError))});
  }
  return got;
}

// Standard input read as it comes, a list's lines: nothing gathered.
class StreamedInput : public ByteStream {
 public:
  std::size_t Read(std::span<std::uint8_t> out) override { return ReadInput(out); }
};

// Standard input, copied whole into a temporary file and read from there; a
// stream that goes on past the longest archive (cat /dev/zero) is refused
// there, before it fills the disk, and an archive's stream that does not start
// with the signature at its first bytes, as a file of those bytes is.
class SpooledInput : public ByteSource {
 public:
  explicit SpooledInput(bool archive) : spool_(kInput) {
    std::uint8_t block[kBlock];
    std::size_t got = 0;
    while ((got = ReadInput(block)) > 0) {
      if (size_ == 0) {
        // A short first read is the whole stream: the reader tells it.
        if (archive && got >= formats::kArchiveSignature.size()) {
          ExpectArchiveStart(ByteView(block, got));
        }
        RefuseGivenFileLongerThanAnArchive();
      }
      if (std::fwrite(block, 1, got, spool_.Get()) != got) {
        spool_.Fail(FaultKind::kCannotWrite);
      }
      size_ += got;
      if (size_ > formats::kLongestArchive) {
        RefuseLongerThanAnArchive();
      }
    }
  }

  std::uint64_t Size() const override { return size_; }
  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    spool_.Seek(offset);
    if (std::fread(out.data(), 1, out.size(), spool_.Get()) != out.size()) {
      throw FaultError({.kind = FaultKind::kFileCut, .path = kInput, .offset = offset});
    }
  }

 private:
  static void ExpectArchiveStart(ByteView start) {
    if (!formats::StartsWithArchiveSignature(start)) {
      throw FaultError({.kind = FaultKind::kNotAnArchive,
                        .path = kInput,
                        .shown = HexAndShown(start.first(formats::kArchiveSignature.size()))});
    }
  }
  // A file given with "<" is measured, rather than copied as far.
  static void RefuseGivenFileLongerThanAnArchive() {
    struct stat given {};
    if (::fstat(::fileno(stdin), &given) == 0 && S_ISREG(given.st_mode) &&
        static_cast<std::uint64_t>(given.st_size) > formats::kLongestArchive) {
      RefuseLongerThanAnArchive();
    }
  }
  [[noreturn]] static void RefuseLongerThanAnArchive() {
    throw FaultError({.kind = FaultKind::kFileTooLarge,
                      .path = kInput,
                      .bound = static_cast<std::int64_t>(formats::kLongestArchive)});
  }

  TemporaryFile spool_;
  std::uint64_t size_ = 0;
};

// An archive for standard output, gathered in a temporary file and copied out
// whole on Commit: nothing reaches the reader of a run that fails.
class GatheredOutput : public files::ReplacingFile {
 public:
  GatheredOutput() : spool_(kOutput) {}

  void Append(ByteView bytes) override {
    if (std::fseek(spool_.Get(), 0, SEEK_END) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), spool_.Get()) != bytes.size()) {
      spool_.Fail(FaultKind::kCannotWrite);
    }
  }
  void WriteAt(std::uint64_t offset, ByteView bytes) override {
    spool_.Seek(offset);
    if (std::fwrite(bytes.data(), 1, bytes.size(), spool_.Get()) != bytes.size()) {
      spool_.Fail(FaultKind::kCannotWrite);
    }
  }
  void Commit() override {
    spool_.Seek(0);
    char block[kBlock];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, spool_.Get())) > 0) {
      if (std::fwrite(block, 1, got, stdout) != got) {
        throw FaultError(
            {.kind = FaultKind::kCannotWrite, .path = kOutput, .text = std::strerror(errno)});
      }
    }
    if (std::fflush(stdout) != 0) {
      throw FaultError(
          {.kind = FaultKind::kCannotWrite, .path = kOutput, .text = std::strerror(errno)});
    }
  }

 private:
  TemporaryFile spool_;
};

bool IsStream(const std::string& path) {
  return path == kStandardStream;
}

}  // namespace

bool StandardStreams::Exists(const std::string& path) {
  return IsStream(path) || files_.Exists(path);
}

std::optional<files::FileId> StandardStreams::IdOf(const std::string& path) {
  // "-" is read from standard input, which may be a file given with "<".
  return IsStream(path) ? files::IdOfStandardStream(files::StandardStream::kInput)
                        : files_.IdOf(path);
}

std::optional<files::WritePlace> StandardStreams::PlaceOf(const std::string& path) {
  if (!IsStream(path)) {
    return files_.PlaceOf(path);
  }
  // Written to standard output, which may be a file given with ">" or ">>".
  const auto output = files::IdOfStandardStream(files::StandardStream::kOutput);
  return output ? std::optional<files::WritePlace>({std::nullopt, {}, output}) : std::nullopt;
}

std::optional<std::string> StandardStreamsRefusal(bool inputUsed, std::string_view outputUse) {
  const files::StandardStreamsAtStart streams = files::SecureStandardStreams();
  if (!streams.output && !outputUse.empty()) {
    return "standard output is closed or not open for writing, and " + std::string(outputUse) +
           " goes there";
  }
  if (!streams.input && inputUsed) {
    return "standard input is closed or not open for reading; \"-\" reads the archive from it";
  }
  return std::nullopt;
}

std::string StandardStreams::FullPath(const std::string& path) {
  return IsStream(path) ? path : files_.FullPath(path);
}

bool StandardStreams::IsPlainFile(const std::string& path) {
  return !IsStream(path) && files_.IsPlainFile(path);
}

bool StandardStreams::IsFolder(const std::string& path) {
  return !IsStream(path) && files_.IsFolder(path);
}

std::unique_ptr<ByteSource> StandardStreams::OpenForReading(const std::string& path) {
  if (IsStream(path)) {
    return std::make_unique<SpooledInput>(archiveIn_);
  }
  return files_.OpenForReading(path);
}

std::unique_ptr<ByteStream> StandardStreams::OpenForStreaming(const std::string& path) {
  if (IsStream(path)) {
    return std::make_unique<StreamedInput>();
  }
  return files_.OpenForStreaming(path);
}

std::unique_ptr<files::ReplacingFile> StandardStreams::CreateReplacing(const std::string& path) {
  if (IsStream(path)) {
    return std::make_unique<GatheredOutput>();
  }
  return files_.CreateReplacing(path);
}

void StandardStreams::Delete(const std::string& path) noexcept {
  if (!IsStream(path)) {
    files_.Delete(path);
  }
}

}  // namespace sprite::cli
