#include "pipeline/entry_decode_ahead.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "codec/rle_encoder.h"
#include "common/error.h"
#include "formats/memory_io.h"

namespace sprite::pipeline {
namespace {

// Every call a host is told, as text, in order; stops the run at call `stopAt`.
class CallLog : public codec::RowsHost {
 public:
  void ElementsDecoded(std::int32_t percent, std::int64_t elements) override {
    Told("E" + std::to_string(percent) + "x" + std::to_string(elements));
  }
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    std::string text = "R";
    for (const std::int32_t percent : percents) {
      text += " " + std::to_string(percent);
    }
    Told(text);
  }
  void Yield() override { Told("Y"); }

  std::vector<std::string> calls;
  std::size_t stopAt = static_cast<std::size_t>(-1);

 private:
  void Told(std::string call) {
    if (calls.size() == stopAt) {
      throw CancelledError();
    }
    calls.push_back(std::move(call));
  }
};

// An archive of `count` random sprites, more than the files the thread may
// keep ahead; the last one's stream ends in a lone run marker.
Bytes Archive(int count) {
  std::mt19937 random(11);
  Bytes archive;
  formats::MemorySink sink(archive);
  formats::ArchiveWriter writer(sink);
  for (int i = 0; i < count; ++i) {
    const auto width = static_cast<std::int32_t>(40 + random() % 40);
    const auto height = static_cast<std::int32_t>(40 + random() % 40);
    Bytes pixels(static_cast<std::size_t>(width * height));
    for (std::uint8_t& pixel : pixels) {
      pixel = random() % 3 == 0 ? 0 : static_cast<std::uint8_t>(random());
    }
    Bytes coded;
    codec::RLECompress2(pixels, coded, width);
    if (i + 1 == count) {
      coded.push_back(0);
    }
    writer.AddEntry(width, height, coded);
  }
  writer.Finish(Bytes(formats::kTrailerSize, 9));
  return archive;
}

// The file of an entry, or the words of its fault.
std::string Outcome(const std::function<Bytes()>& write) {
  try {
    const Bytes file = write();
    return std::string(file.begin(), file.end());
  } catch (const Error& error) {
    return error.what();
  }
}

TEST(EntryDecodeAhead, TellsTheRunEachEntrysCallsAndFileAsDecodingItThereWould) {
  const Bytes archive = Archive(1200);
  formats::MemorySource aheadSource(archive);
  formats::ArchiveReader aheadReader(aheadSource);
  const auto aheadWriter = MakeBitmapWriter(aheadReader.Palette());
  formats::MemorySource hereSource(archive);
  formats::ArchiveReader hereReader(hereSource);
  const auto hereWriter = MakeBitmapWriter(hereReader.Palette());

  EntryDecodeAhead ahead(aheadReader, *aheadWriter, aheadReader.Count());
  for (int k = 1; k <= aheadReader.Count(); ++k) {
    CallLog aheadCalls;
    CallLog hereCalls;
    const std::string aheadFile = Outcome([&] { return ahead.Next(aheadCalls); });
    const std::string hereFile =
        Outcome([&] { return hereWriter->Write(*hereReader.Next(), hereCalls); });
    ASSERT_EQ(aheadCalls.calls, hereCalls.calls) << "entry " << k;
    ASSERT_EQ(aheadFile, hereFile) << "entry " << k;
  }
}

TEST(EntryDecodeAhead, AStopDuringAnEntrysCallsEndsTheRunAndTheThread) {
  const Bytes archive = Archive(1200);
  for (const std::size_t stopAt : {0u, 5u, 60u}) {
    formats::MemorySource source(archive);
    formats::ArchiveReader reader(source);
    const auto writer = MakeBitmapWriter(reader.Palette());
    EntryDecodeAhead ahead(reader, *writer, reader.Count());
    CallLog host;
    host.stopAt = stopAt;
    EXPECT_THROW(ahead.Next(host), CancelledError);
    EXPECT_EQ(host.calls.size(), stopAt);
  }  // each thread, waiting at its bound or decoding, ends with its object
}

}  // namespace
}  // namespace sprite::pipeline
