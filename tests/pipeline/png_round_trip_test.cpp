// Archives through PNG pictures and back: decode --png with a list, then
// encode from that list, over real files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "codec/rle_encoder.h"
#include "fakes/fake_file_system.h"
#include "formats/memory_io.h"
#include "formats/sprite_archive.h"
#include "pipeline/decode_run.h"
#include "pipeline/encode_run.h"
#include "pipeline/recording_delegate.h"
#include "pipeline/run_inputs.h"

namespace sprite::testing {
namespace {

std::uint32_t Below(std::mt19937& random, std::uint32_t below) {
  return static_cast<std::uint32_t>(random() % below);
}

// An archive as Encode codes one: random palette, widths, height fields of any
// 16-bit value, stored rows whose last row may be short or that hold no bytes,
// zero runs short and long.
Bytes RandomArchive(std::mt19937& random) {
  Bytes archive;
  formats::MemorySink sink(archive);
  formats::ArchiveWriter writer(sink);
  const std::uint32_t entries = 1 + Below(random, 6);
  for (std::uint32_t e = 0; e < entries; ++e) {
    const std::uint32_t width =
        Below(random, 4) == 0 ? 200 + Below(random, 200) : 1 + Below(random, 37);
    Bytes rows(width * Below(random, 9) + (Below(random, 3) == 0 ? Below(random, width) : 0));
    const std::uint32_t zeroBias = Below(random, 4);
    for (auto& pixel : rows) {
      pixel = Below(random, 4) < zeroBias ? 0 : static_cast<std::uint8_t>(random());
    }
    Bytes coded;
    codec::RLECompress2(rows, coded, static_cast<std::int32_t>(width));
    writer.AddEntry(static_cast<std::int32_t>(width), static_cast<std::int16_t>(random()), coded);
  }
  Bytes palette(1024);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    // A few colours repeat, as real palettes' unused entries do.
    palette[i] = i % 4 == 3 ? 0 : static_cast<std::uint8_t>(Below(random, 3) == 0 ? 0 : random());
  }
  writer.Finish(palette);
  return archive;
}

TEST(PngRoundTrip, RandomArchivesComeBackByteForByteFromTheirPngsAndList) {
  std::mt19937 random(17);
  fakes::FakeFileSystem files;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    TempFolder folder;
    std::filesystem::create_directory(folder.Root() / "frames");
    const Bytes archive = RandomArchive(random);
    WriteFile(folder.Path("a.spr"), archive);

    RecordingDelegate decoding;
    const std::string list = folder.Path("frames.txt");
    pipeline::DecodeRun(files, decoding, {.png = true, .listPath = list})
        .Run(folder.Path("a.spr"), folder.Path("frames"));
    ASSERT_TRUE(decoding.problems.empty()) << decoding.problems.front().text;

    const std::string listArgument = "@" + list;
    const std::string_view arguments[] = {listArgument};
    const pipeline::RunInputs inputs = pipeline::ExpandInputs(files, arguments);
    ASSERT_TRUE(inputs.problems.empty());
    RecordingDelegate encoding;
    Bytes palette(1024, 0);
    const std::size_t openedBefore = files.opened;
    pipeline::EncodeRun(files, encoding).Run(inputs.paths, folder.Path("b.spr"), palette);
    ASSERT_TRUE(encoding.problems.empty()) << encoding.problems.front().text;
    EXPECT_EQ(ReadFile(folder.Path("b.spr")), archive);
    // The palette pass keeps what it read, and starts from the bytes of the
    // first PNG: each file is opened once.
    EXPECT_EQ(files.opened - openedBefore, inputs.paths.size());
  }
}

}  // namespace
}  // namespace sprite::testing
