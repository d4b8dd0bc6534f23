// Whether a picture fits an archive entry, and why not in plain words.
#include "formats/entry_limits.h"

namespace sprite::formats {

std::optional<EntryMisfit> CheckEntryFits(const EntryCandidate& picture) {
  if (picture.pixelAreaSize > kMaxCodablePixelArea) {
    return EntryMisfit{EntryMisfit::Limit::kPixelArea,
                       "its pixel area of " + std::to_string(picture.pixelAreaSize) +
                           " bytes is too large for one archive entry"};
  }
  if (!FitsField(picture.width) || !FitsField(picture.height)) {
    return EntryMisfit{EntryMisfit::Limit::kSize,
                       std::to_string(picture.width) + " x " + std::to_string(picture.height) +
                           " pixels; an archive entry holds at most " + std::to_string(kMaxField) +
                           " in each direction"};
  }
  if (picture.codedSize && *picture.codedSize > kMaxStoredStream) {
    return EntryMisfit{EntryMisfit::Limit::kCodedLength,
                       "codes to " + std::to_string(*picture.codedSize) + " bytes, more than the " +
                           std::to_string(kMaxStoredStream) + " an archive entry holds"};
  }
  return std::nullopt;
}

}  // namespace sprite::formats
