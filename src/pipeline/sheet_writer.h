// A sheet written while its frames are decoded, a band of cells at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/yielder.h"
#include "common/byte_io.h"
#include "common/bytes.h"
#include "formats/png_row_writer.h"
#include "formats/png_writer.h"
#include "pipeline/indexed_image.h"
#include "pipeline/sprite_sheet.h"

namespace sprite::pipeline {

// Each band of cells goes to the PNG a row at a time once its last frame is
// in, so that memory stays one band's frames and a row of the sheet, however
// large the sheet. A row of the sheet crosses every frame of its band, so the
// band's frames are kept until its last row is written.
class SheetWriter {
 public:
  // Writes the PNG's head to `out` at once; `palette` is 1024 bytes in archive
  // order. The rows are deflated at a level of the writer's own.
  SheetWriter(const SheetLayout& layout, ByteSink& out, ByteView palette,
              const formats::PngWriteOptions& options);

  // The next frame, in order, of the size the layout was made with. `host`
  // yields before every row written, and may end the writing by throwing.
  void Add(IndexedImage frame, codec::Yielder& host);
  // The rest of the sheet: the frames added, and empty cells for those that
  // never came; then the PNG's end.
  void Finish(codec::Yielder& host);

 private:
  void WriteBand(codec::Yielder& host);

  const SheetLayout& layout_;
  formats::PngRowWriter png_;
  std::uint32_t band_ = 0;
  std::vector<IndexedImage> frames_;
  Bytes row_;
};

}  // namespace sprite::pipeline
