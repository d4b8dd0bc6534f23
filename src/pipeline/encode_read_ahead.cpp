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
                                 ColourMapping mapping, std::function<bool()> shouldStop,
                                 bool sheets)
    : files_(files),
      paths_(paths),
      rule_(rule),
      mapping_(std::move(mapping)),
      limits_{.oneEntry = !sheets},
      mapper_(std::move(given)),
      shouldStop_(std::move(shouldStop)) {}

std::optional<AheadPicture> EncodeReadAhead::ReadHereUnlessPng(std::size_t index, Bytes& png) {
  const std::string& path = paths_[index];
  AheadPicture next;
  bool isPng = false;
  try {
    next.picture = files::UseFile(files_, path, [&](ByteSource& file) {
      isPng = StartsAsPng(file);
      if (!isPng) {
        return BitmapFileSource::ReadFrom(file, path);
      }
      png = files::ReadWhole(file, kMaxPngFileBytes);
      return SourcePicture{};
    });
  } catch (...) {
    next.fault = std::current_exception();
    return next;
  }
  if (isPng) {
    return std::nullopt;
  }
  return next;
}

void EncodeReadAhead::Make(BoundedAhead<Decoded>& ahead, std::size_t from, Bytes first) {
  for (std::size_t index = from; index < paths_.size() && ahead.Room(); ++index) {
    Decoded next;
    try {
      if (index == from) {
        next.png = ReadPng(ahead, std::move(first), index, next.ahead.notes);
      } else {
        Decode(ahead, index, next);
      }
    } catch (...) {
      next.ahead.fault = std::current_exception();
    }
    const SourcePicture& picture = next.ahead.picture;
    const std::size_t size = next.png ? next.png->pixels.size()
                             : next.pngFile
                                 ? next.pngFile->size()
                                 : picture.stored.storedRows.size() + picture.stored.palette.size();
    ahead.Put(std::move(next), size);
  }
}

void EncodeReadAhead::Decode(BoundedAhead<Decoded>& ahead, std::size_t index, Decoded& decoded) {
  const std::string& path = paths_[index];
  std::optional<Bytes> png = kept_.Take(index);
  if (!png) {
    files::UseFile(files_, path, [&](ByteSource& file) {
      if (StartsAsPng(file)) {
        png = files::ReadWhole(file, kMaxPngFileBytes);
      } else {
        decoded.ahead.picture = BitmapFileSource::ReadFrom(file, path);
      }
    });
  }
  if (!png) {
    return;
  }
  // Decoding costs this thread more than mapping and coding cost the run's
  // thread: once the target palette is made, a run's thread that keeps up
  // decodes the picture itself.
  if (mapper_ && ahead.TakerKeepsUp()) {
    decoded.pngFile = std::move(png);
  } else {
    decoded.png = ReadPng(ahead, std::move(*png), index, decoded.ahead.notes);
  }
}

formats::PngPicture EncodeReadAhead::DecodePng(ByteView file, std::size_t index) const {
  try {
    return formats::ReadPng(file, limits_);
  } catch (FaultError& error) {
    error.SetPath(paths_[index]);
    throw;
  }
}

formats::PngPicture EncodeReadAhead::ReadPng(const BoundedAhead<Decoded>& ahead, Bytes file,
                                             std::size_t index, std::vector<std::string>& notes) {
  formats::PngPicture picture = DecodePng(file, index);
  if (!mapper_ && mapping_.colours > 0) {
    mapper_ = ChosenPalette(
        files_, picture, index, paths_.subspan(index + 1), rule_, mapping_, kept_, notes,
        [&ahead] { return ahead.Stopping(); }, limits_);
  } else if (!mapper_) {
    mapper_ = TargetPaletteOf(files_, file, paths_.subspan(index + 1), index + 1, rule_, kept_);
    notes = PaletteNotes(*mapper_);
  }
  return picture;
}

AheadPicture EncodeReadAhead::Next() {
  if (!ahead_ && next_ < paths_.size()) {
    Bytes png;
    if (std::optional<AheadPicture> bitmap = ReadHereUnlessPng(next_, png)) {
      ++next_;
      return std::move(*bitmap);
    }
    ahead_.emplace(kMostAheadBytes, [this, from = next_,
                                     first = std::move(png)](BoundedAhead<Decoded>& ahead) mutable {
      Make(ahead, from, std::move(first));
    });
  }
  std::optional<Decoded> next = ahead_ ? ahead_->Take(shouldStop_) : std::nullopt;
  if (!next) {
    throw InvalidArgumentError("every listed picture was taken");
  }
  if (next->png || next->pngFile) {
    try {
      if (next->pngFile) {
        next->png = DecodePng(*next->pngFile, next_);
      }
      next->ahead.picture = MapPng(std::move(*next->png), paths_[next_], *mapper_);
    } catch (...) {
      next->ahead.fault = std::current_exception();
    }
  }
  ++next_;
  return std::move(next->ahead);
}

const PictureMapper* EncodeReadAhead::TargetPalette() {
  // The thread has ended once nothing is left to take.
  const bool left = ahead_ ? !ended_ && ahead_->Take() : next_ < paths_.size();
  if (left) {
    throw InvalidArgumentError("the target palette is asked for before every picture was taken");
  }
  ended_ = true;
  return mapper_ ? &*mapper_ : nullptr;
}

}  // namespace sprite::pipeline
