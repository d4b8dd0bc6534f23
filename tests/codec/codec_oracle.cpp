#include "codec/codec_oracle.h"

#include <cmath>
#include <deque>
#include <string>

#include "common/error.h"

namespace sprite::codec::oracle {
namespace {

constexpr std::int32_t kInt16Max = 32767;

std::int16_t ToInt16(std::size_t value) {
  if (value > static_cast<std::size_t>(kInt16Max)) {
    throw OverflowError("16-bit conversion of " + std::to_string(value));
  }
  return static_cast<std::int16_t>(value);
}

void Advance16(std::int16_t& counter, std::int32_t step = 1) {
  if (counter + step > kInt16Max) {
    throw OverflowError("16-bit counter passes 32767");
  }
  counter = static_cast<std::int16_t>(counter + step);
}

// The byte at 1-based `position`; the only read past the end is that of a
// zero run's missing count byte.
std::uint8_t At(ByteView bytes, std::int64_t position) {
  if (position < 1 || position > static_cast<std::int64_t>(bytes.size())) {
    throw FaultError({.kind = FaultKind::kLoneRunMarker});
  }
  return bytes[static_cast<std::size_t>(position - 1)];
}

std::int32_t Percent(std::int64_t part, std::int64_t whole) {
  return static_cast<std::int32_t>(
      std::nearbyint(static_cast<double>(part) * 100.0 / static_cast<double>(whole)));
}

void CheckWidth(std::int32_t width) {
  if (width <= 0) {
    throw FaultError({.kind = FaultKind::kWidthWithoutRows, .value = width});
  }
}

}  // namespace

Bytes Compress2(ByteView input) {
  Bytes out;
  std::int32_t prev = 0;
  std::int32_t count = -1;
  const auto n = static_cast<std::int64_t>(input.size());
  for (std::int64_t j = 1; j <= n + 1; ++j) {
    const std::int32_t cur = j <= n ? At(input, j) : -1;
    ++count;
    if (j != 1) {
      if (prev == 0 && cur == 0) {
        if (count == 255) {
          out.push_back(0x00);
          out.push_back(0xFF);
          count = 0;
        }
      } else {
        if (prev != 0) {
          out.push_back(static_cast<std::uint8_t>(prev));
        } else {
          out.push_back(0x00);
          out.push_back(static_cast<std::uint8_t>(count));
        }
        count = 0;
      }
    }
    prev = cur;
  }
  return out;
}

Bytes Decompress(ByteView coded) {
  const std::int16_t n = ToInt16(coded.size());
  Bytes out;
  std::int16_t i = 1;
  while (i <= n) {
    const std::uint8_t b = At(coded, i);
    if (b != 0) {
      out.push_back(b);
    } else {
      Advance16(i);
      out.insert(out.end(), At(coded, i), 0);
    }
    Advance16(i);
  }
  return out;
}

Bytes DecompressRows(ByteView coded, std::int16_t width, StepHost& host) {
  CheckWidth(width);
  const auto n = static_cast<std::int32_t>(coded.size());
  Bytes result;
  Bytes work;
  for (std::int32_t i = 1; i <= n; ++i) {
    const std::uint8_t b = At(coded, i);
    if (b != 0) {
      work.push_back(b);
    } else {
      ++i;
      work.insert(work.end(), At(coded, i), 0);
    }
    if (work.size() > 4024) {
      result.insert(result.end(), work.begin(), work.end());
      work.clear();
    }
    host.SetFirstBar(Percent(i, n));
    host.Yield();
  }
  result.insert(result.end(), work.begin(), work.end());
  return AddAlignment(result, width, &host);
}

Bytes AddAlignment(ByteView storedRows, std::int32_t width, StepHost* host) {
  CheckWidth(width);
  std::int32_t pad = 4 - (width & 3);
  if (pad == 4) {
    pad = 0;
  }
  const auto m = static_cast<std::int64_t>(storedRows.size());
  std::deque<std::uint8_t> area;
  for (std::int64_t h = 1; h <= m; h += width) {
    area.insert(area.begin(), static_cast<std::size_t>(pad), 0);
    if (host != nullptr) {
      host->Yield();
    }
    const std::int64_t last = std::min(m, h + width - 1);
    area.insert(area.begin(), storedRows.begin() + (h - 1), storedRows.begin() + last);
    if (host != nullptr) {
      host->SetSecondBar(Percent(h, m));
    }
  }
  return Bytes(area.begin(), area.end());
}

Bytes Strip(ByteView pixelArea, std::int32_t width) {
  CheckWidth(width);
  std::int32_t pad = 4 - (width % 4);
  if (pad == 4) {
    pad = 0;
  }
  const std::int64_t stride = width + pad;
  const auto length = static_cast<std::int64_t>(pixelArea.size());
  std::deque<std::uint8_t> result;
  for (std::int64_t i = 1; i <= length; i += stride) {
    const std::int64_t last = std::min(length, i + width - 1);
    result.insert(result.begin(), pixelArea.begin() + (i - 1), pixelArea.begin() + last);
  }
  return Bytes(result.begin(), result.end());
}

Bytes SwapRedBlue(ByteView palette) {
  const std::int16_t n = ToInt16(palette.size());
  Bytes out;
  std::int16_t i = 1;
  while (i <= n) {
    for (const std::int32_t offset : {2, 1, 0}) {
      if (i + offset <= n) {
        out.push_back(At(palette, i + offset));
      }
    }
    out.push_back(0);
    Advance16(i, 4);
  }
  return out;
}

}  // namespace sprite::codec::oracle
