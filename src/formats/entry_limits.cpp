// Whether a picture fits an archive entry.
#include "formats/entry_limits.h"

namespace sprite::formats {

std::optional<Fault> CheckEntryFits(const EntryCandidate& picture) {
  if (picture.pixelAreaSize > kMaxCodablePixelArea) {
    return Fault{.kind = FaultKind::kPixelAreaTooLarge,
                 .value = static_cast<std::int64_t>(picture.pixelAreaSize)};
  }
  if (!FitsField(picture.width) || !FitsField(picture.height)) {
    return Fault{.kind = FaultKind::kSizeTooLarge, .value = picture.width, .bound = picture.height};
  }
  if (picture.codedSize && *picture.codedSize > kMaxStoredStream) {
    return Fault{.kind = FaultKind::kCodesTooLong,
                 .value = static_cast<std::int64_t>(*picture.codedSize),
                 .bound = static_cast<std::int64_t>(kMaxStoredStream)};
  }
  return std::nullopt;
}

}  // namespace sprite::formats
