#include "pipeline/encode_read_ahead.h"

#include <utility>

#include "common/error.h"
#include "files/whole_file.h"
#include "pipeline/bitmap_file_source.h"
#include "pipeline/chosen_palette.h"
#include "pipeline/picture_file.h"

namespace sprite::pipeline {

EncodeReadAhead::EncodeReadAhead(files::FileSystem& files, std::span<const std::string> paths,
                                 AlphaRule rule, std::optional<PictureMapper> given,
                                 ColourMapping mapping)
    : files_(files),
      paths_(paths),
      rule_(rule),
      mapping_(std::move(mapping)),
      mapper_(std::move(given)),
      ahead_(kMostAheadBytes, [this](BoundedAhead<AheadPicture>& ahead) { Make(ahead); }) {}

void EncodeReadAhead::Make(BoundedAhead<AheadPicture>& ahead) {
  for (std::size_t index = 0; index < paths_.size() && ahead.Room(); ++index) {
    AheadPicture next;
    try {
      next.picture = Read(index, next.notes);
    } catch (...) {
      next.fault = std::current_exception();
    }
    const std::size_t size =
        next.picture.stored.storedRows.size() + next.picture.stored.palette.size();
    ahead.Put(std::move(next), size);
  }
}

SourcePicture EncodeReadAhead::Read(std::size_t index, std::vector<std::string>& notes) {
  const std::string& path = paths_[index];
  if (std::optional<Bytes> kept = kept_.Take(index)) {
    return ReadPng(std::move(*kept), index, notes);
  }
  return files::UseFile(files_, path, [&](ByteSource& file) {
    return StartsAsPng(file) ? ReadPng(files::ReadWhole(file, kMaxPngFileBytes), index, notes)
                             : BitmapFileSource::ReadFrom(file, path);
  });
}

SourcePicture EncodeReadAhead::ReadPng(Bytes file, std::size_t index,
                                       std::vector<std::string>& notes) {
  formats::PngPicture picture;
  try {
    picture = formats::ReadPng(file);
  } catch (FaultError& error) {
    error.SetPath(paths_[index]);
    throw;
  }
  if (!mapper_ && mapping_.colours > 0) {
    mapper_ = ChosenPalette(files_, picture, index, paths_.subspan(index + 1), rule_, mapping_,
                            kept_, notes);
  } else if (!mapper_) {
    mapper_ = TargetPaletteOf(files_, file, paths_.subspan(index + 1), index + 1, rule_, kept_);
    notes = PaletteNotes(*mapper_);
  }
  return MapPng(std::move(picture), paths_[index], *mapper_);
}

AheadPicture EncodeReadAhead::Next() {
  std::optional<AheadPicture> next = ahead_.Take();
  if (!next) {
    throw InvalidArgumentError("every listed picture was taken");
  }
  return std::move(*next);
}

const PictureMapper* EncodeReadAhead::TargetPalette() {
  // The thread has ended once nothing is left to take.
  if (!ended_ && ahead_.Take()) {
    throw InvalidArgumentError("the target palette is asked for before every picture was taken");
  }
  ended_ = true;
  return mapper_ ? &*mapper_ : nullptr;
}

}  // namespace sprite::pipeline
