#include "codec/row_alignment.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "codec/percent_progress.h"
#include "codec/picture_width.h"
#include "codec/row_writer.h"
#include "common/error.h"

namespace sprite::codec {
std::int32_t RowPadding(std::int32_t width) {
  const std::int32_t pad = 4 - width % 4;
  return pad == 4 ? 0 : pad;
}

Bytes StripRowAlignment(ByteView pixelArea, std::int32_t width) {
  CheckWidth(width);
  const auto rowBytes = static_cast<std::size_t>(width);
  const std::size_t stride = rowBytes + static_cast<std::size_t>(RowPadding(width));
  const std::size_t length = pixelArea.size();
  if (length == 0) {
    return {};
  }
  const std::size_t slices = (length - 1) / stride + 1;
  const std::size_t lastSlice = std::min(rowBytes, length - (slices - 1) * stride);
  Bytes out((slices - 1) * rowBytes + lastSlice);
  // Slice k goes in front of the slices before it: it ends where slice k - 1 begins.
  std::size_t end = out.size();
  for (std::size_t k = 0; k < slices; ++k) {
    const std::size_t start = k * stride;
    const std::size_t count = std::min(rowBytes, length - start);
    std::memcpy(out.data() + end - count, pixelArea.data() + start, count);
    end -= count;
  }
  return out;
}

Bytes AddRowAlignment(ByteView storedRows, std::int32_t width, RowsHost* host) {
  CheckWidth(width);
  const std::size_t length = storedRows.size();
  if (length > kMaxStoredRows) {
    throw OverflowError("stored rows of " + std::to_string(length) + " bytes: at most " +
                        std::to_string(kMaxStoredRows) + " bytes are supported");
  }
  if (length == 0) {
    return {};
  }
  const auto rowBytes = static_cast<std::size_t>(width);
  RowWriter writer(length, rowBytes);
  writer.PutRows(storedRows.data());
  Bytes area = writer.Finish();
  if (host != nullptr) {
    ReportRows(length, rowBytes, *host);
  }
  return area;
}

bool RowsRebuildArea(ByteView pixelArea, ByteView storedRows, std::int32_t width) {
  CheckWidth(width);
  const auto rowBytes = static_cast<std::size_t>(width);
  const std::size_t stride = rowBytes + static_cast<std::size_t>(RowPadding(width));
  if (pixelArea.size() % stride != 0) {
    const Bytes rebuilt = AddRowAlignment(storedRows, width);
    return std::ranges::equal(rebuilt, pixelArea);
  }
  // Each row comes back where it was, followed by zeros.
  for (std::size_t end = stride; end <= pixelArea.size(); end += stride) {
    for (std::size_t k = end - stride + rowBytes; k < end; ++k) {
      if (pixelArea[k] != 0) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace sprite::codec
