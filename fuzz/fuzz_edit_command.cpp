// The entry-level changes on one archive file of any content: a move of the
// first entry to the end, and a delete of the first entry. Each leaves an
// archive that is damaged, or not an archive, byte for byte as it was, and
// makes of any other exactly its entries in their new order, copied as they
// are, and its palette with the reserved bytes 0, against a plain walk of the
// same bytes.
#include <cstdint>
#include <optional>
#include <vector>

#include "command_harness.h"

namespace {

using sprite::Bytes;
using sprite::ByteView;
using sprite::fuzz::Check;
using sprite::fuzz::Field16;
using sprite::fuzz::Put;
using Kind = sprite::pipeline::ArchiveEdit::Kind;

constexpr std::size_t kTrailer = 1024;

// Each entry's bytes, head and stream, when the archive is whole: the
// signature, every entry inside the part before the palette, and nothing
// after the last.
std::optional<std::vector<ByteView>> PlainEntries(ByteView file) {
  if (file.size() < kTrailer || file.size() < 8 || file[0] != 0x53 || file[1] != 0x50 ||
      file[2] != 1 || file[3] != 2) {
    return std::nullopt;
  }
  const std::size_t end = file.size() - kTrailer;
  const std::int16_t count = Field16(file, 4);
  std::vector<ByteView> entries;
  std::size_t at = 8;
  for (std::int32_t k = 0; k < count; ++k) {
    if (at + 6 > end || Field16(file, at) <= 0 || Field16(file, at + 4) < 0) {
      return std::nullopt;
    }
    const std::size_t size = 6 + static_cast<std::size_t>(Field16(file, at + 4));
    if (at + size > end) {
      return std::nullopt;
    }
    entries.push_back(file.subspan(at, size));
    at += size;
  }
  if (count < 0 || at != end) {
    return std::nullopt;
  }
  return entries;
}

Bytes Archive(const std::vector<ByteView>& entries, ByteView trailer) {
  Bytes out{0x53, 0x50, 1, 2};
  Put(out, static_cast<std::uint32_t>(entries.size()), 2);
  Put(out, 0, 2);
  for (const ByteView entry : entries) {
    out.insert(out.end(), entry.begin(), entry.end());
  }
  out.insert(out.end(), trailer.begin(), trailer.end());
  for (std::size_t i = out.size() - kTrailer + 3; i < out.size(); i += 4) {
    out[i] = 0;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes input(data, data + size);
  const auto entries = PlainEntries(input);
  const auto count = entries ? static_cast<std::int32_t>(entries->size()) : 1;
  for (const sprite::pipeline::ArchiveEdit& edit :
       {sprite::pipeline::ArchiveEdit{Kind::kMove, {{1, 1}, {count, count}}},
        sprite::pipeline::ArchiveEdit{Kind::kDelete, {{1, 1}}}}) {
    sprite::fuzz::Commands commands;
    commands.Files()["in.spr"] = input;
    commands.Edit("in.spr", edit);
    const Bytes& out = commands.Files()["in.spr"];
    if (!entries || entries->empty() || (edit.kind == Kind::kDelete && count == 1)) {
      Check(out == input && !commands.LastRun().completed);
      continue;
    }
    std::vector<ByteView> expected(entries->begin() + 1, entries->end());
    if (edit.kind == Kind::kMove) {
      expected.push_back(entries->front());
    }
    Check(commands.LastRun().completed);
    Check(out == Archive(expected, ByteView(input).last(kTrailer)));
  }
  return 0;
}
