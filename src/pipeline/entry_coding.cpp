#include "pipeline/entry_coding.h"

#include <cstdlib>
#include <optional>

#include "codec/rle_decoder.h"
#include "codec/rle_encoder.h"
#include "common/text.h"
#include "formats/entry_limits.h"

namespace sprite::pipeline {
namespace {

// The whole rows of the picture's width its stored rows hold.
std::int64_t RowsHeld(const formats::StoredPicture& picture) {
  return picture.width > 0 ? static_cast<std::int64_t>(picture.storedRows.size()) / picture.width
                           : 0;
}

}  // namespace

std::optional<Bytes> CodeEntry(const formats::StoredPicture& picture, const std::string& path,
                               const std::string& shown, std::span<const Fault> changes,
                               RunDelegate& delegate,
                               const std::function<void(const Problem&)>& report) {
  // A large picture is refused before its rows are coded.
  if (auto misfit = formats::CheckEntryFits(
          {picture.storedRows.size(), picture.width, picture.height, std::nullopt})) {
    misfit->path = path;
    report(PictureNotStored(std::move(*misfit)));
    return std::nullopt;
  }

  delegate.Log("Adding: " + Escaped(shown), true);
  std::optional<Problem> rowsWarning;
  if (!picture.rowsWhole) {
    rowsWarning = StoredAnyway({.kind = FaultKind::kRowsNotWhole, .path = path});
  } else if (const std::int64_t said = std::abs(std::int64_t{picture.height});
             picture.heightFromBitmap && RowsHeld(picture) != said) {
    // A height that lies would have the game read rows the file never had, or drop some.
    rowsWarning = StoredAnyway({.kind = FaultKind::kRowsNotHeight,
                                .path = path,
                                .value = RowsHeld(picture),
                                .bound = said});
  }
  // The log has the rows warning here, before the coding, whether the picture
  // is stored or not; its words ("stored, but") wait until it is.
  if (rowsWarning) {
    delegate.Log(rowsWarning->line, false);
    rowsWarning->line.clear();
  }

  Bytes coded;
  codec::RLECompress2(picture.storedRows, coded, picture.width);
  if (auto misfit = formats::CheckEntryFits({0, picture.width, picture.height, coded.size()})) {
    misfit->path = path;
    report(PictureNotStored(std::move(*misfit)));
    return std::nullopt;
  }
  // Said only of a picture that is stored: "stored, but" before "not stored"
  // would contradict itself.
  if (rowsWarning) {
    report(*rowsWarning);
  }
  for (Fault change : changes) {
    change.path = path;
    report(ChangeStored(std::move(change)));
  }
  if (codec::RLEDecompress(coded) == picture.storedRows) {
    delegate.Log("RLE: OK, Compressed and orig data are identical ;]", false);
  } else {
    report(StoredAnyway({.kind = FaultKind::kCodedRowsDiffer, .path = path}));
  }
  return coded;
}

}  // namespace sprite::pipeline
