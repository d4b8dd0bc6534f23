// The colour library on shaded true-colour sprites, for bench/e2e_colour.py:
//   colour_quality sheet COUNT OUT.pam       the sprites in one RGBA sheet, 64 × 64 a cell
//   colour_quality quality COUNT COLOURS [PNG]
//                                            mean OKLab error over opaque pixels of the
//                                            sprites quantised to COLOURS and mapped
//                                            without dithering; with PNG (the sheet as
//                                            another quantiser left it), that one's too
//   colour_quality bitmaps COUNT DIR         the sprites quantised to 255 colours, as bitmaps
//   colour_quality time COUNT                processor seconds for one histogram and
//                                            palette, and for mapping with each dithering
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "colour/colour_mapper.h"
#include "colour/quantiser.h"
#include "formats/bitmap.h"
#include "formats/png_picture.h"
#include "shaded_sprites.h"

namespace {

using namespace sprite::colour;
using bench::RgbaSprite;

constexpr std::uint32_t kCell = 64;
constexpr std::uint32_t kColumns = 32;

ColourHistogram HistogramOf(const std::vector<RgbaSprite>& sprites) {
  ColourHistogram histogram;
  for (std::size_t i = 0; i < sprites.size(); ++i) {
    histogram.AddPixels(static_cast<std::uint32_t>(i), sprites[i].rgba, 128);
  }
  return histogram;
}

std::vector<Rgb> PaletteFor(const ColourHistogram& histogram, std::size_t colours) {
  std::vector<Rgb> palette = {{0, 0, 0}};
  for (const Rgb& c : Quantise(histogram, colours)) {
    palette.push_back(c);
  }
  return palette;
}

std::vector<Rgb> PaletteFor(const std::vector<RgbaSprite>& sprites, std::size_t colours) {
  return PaletteFor(HistogramOf(sprites), colours);
}

// Where pixel (x, y) of sprite `i` lies in the sheet.
std::size_t SheetPixel(std::size_t i, std::uint32_t x, std::uint32_t y) {
  const std::size_t sheetWidth = std::size_t{kColumns} * kCell;
  return (i / kColumns * kCell + y) * sheetWidth + (i % kColumns) * kCell + x;
}

int Sheet(const std::vector<RgbaSprite>& sprites, const char* path) {
  const std::size_t rows = (sprites.size() + kColumns - 1) / kColumns;
  std::vector<std::uint8_t> sheet(std::size_t{4} * kColumns * kCell * rows * kCell, 0);
  for (std::size_t i = 0; i < sprites.size(); ++i) {
    for (std::uint32_t y = 0; y < sprites[i].height; ++y) {
      for (std::uint32_t x = 0; x < sprites[i].width; ++x) {
        std::copy_n(sprites[i].rgba.data() + 4 * (std::size_t{y} * sprites[i].width + x), 4,
                    sheet.data() + 4 * SheetPixel(i, x, y));
      }
    }
  }
  std::ofstream out(path, std::ios::binary);
  out << "P7\nWIDTH " << kColumns * kCell << "\nHEIGHT " << rows * kCell
      << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  out.write(reinterpret_cast<const char*>(sheet.data()),
            static_cast<std::streamsize>(sheet.size()));
  return out ? 0 : 1;
}

int Quality(const std::vector<RgbaSprite>& sprites, std::size_t colours, const char* other) {
  const std::vector<Rgb> palette = PaletteFor(sprites, colours);
  ColourMapper mapper(palette);
  std::optional<sprite::formats::PngPicture> theirs;
  if (other) {
    std::ifstream in(other, std::ios::binary);
    const sprite::Bytes file{std::istreambuf_iterator<char>(in), {}};
    theirs = sprite::formats::ReadPng(file);
  }
  double ours = 0, their = 0;
  std::size_t pixels = 0;
  for (std::size_t i = 0; i < sprites.size(); ++i) {
    const RgbaSprite& s = sprites[i];
    std::vector<std::uint8_t> indexes(std::size_t{s.width} * s.height);
    mapper.Map({s.width, s.height, s.rgba}, 128, Dither::kNone, indexes);
    for (std::uint32_t y = 0; y < s.height; ++y) {
      for (std::uint32_t x = 0; x < s.width; ++x) {
        const std::uint8_t* p = s.rgba.data() + 4 * (std::size_t{y} * s.width + x);
        if (p[3] == 0) {
          continue;
        }
        const Lab own = ToOklab({p[0], p[1], p[2]});
        ++pixels;
        ours += Distance(SquaredDistance(own, ToOklab(palette[indexes[y * s.width + x]])));
        if (theirs) {
          const std::size_t at = SheetPixel(i, x, y);
          const auto c = theirs->At(static_cast<std::uint32_t>(at % (kColumns * kCell)),
                                    static_cast<std::uint32_t>(at / (kColumns * kCell)));
          their += Distance(SquaredDistance(own, ToOklab({c.red, c.green, c.blue})));
        }
      }
    }
  }
  std::printf("ours %.6f\n", ours / static_cast<double>(pixels));
  if (theirs) {
    std::printf("theirs %.6f\n", their / static_cast<double>(pixels));
  }
  return 0;
}

// Each sprite as "WIDTH HEIGHT\n" and its RGBA bytes, for e2e_colour.py to
// write as a true-colour PNG.
int Pictures(const std::vector<RgbaSprite>& sprites, const std::string& folder) {
  for (std::size_t i = 0; i < sprites.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/s%05zu.rgba", i);
    std::ofstream out(folder + name, std::ios::binary);
    out << sprites[i].width << ' ' << sprites[i].height << '\n';
    out.write(reinterpret_cast<const char*>(sprites[i].rgba.data()),
              static_cast<std::streamsize>(sprites[i].rgba.size()));
  }
  return 0;
}

int Bitmaps(const std::vector<RgbaSprite>& sprites, const std::string& folder) {
  const std::vector<Rgb> palette = PaletteFor(sprites, 255);
  ColourMapper mapper(palette);
  sprite::Bytes bitmapPalette(1024, 0);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    bitmapPalette[4 * i] = palette[i].blue;
    bitmapPalette[4 * i + 1] = palette[i].green;
    bitmapPalette[4 * i + 2] = palette[i].red;
  }
  for (std::size_t i = 0; i < sprites.size(); ++i) {
    const RgbaSprite& s = sprites[i];
    std::vector<std::uint8_t> indexes(std::size_t{s.width} * s.height);
    mapper.Map({s.width, s.height, s.rgba}, 128, Dither::kNone, indexes);
    // Rows bottom first, each padded to 4 bytes.
    const std::size_t stride = (s.width + 3) / 4 * 4;
    sprite::Bytes area(stride * s.height, 0);
    for (std::uint32_t y = 0; y < s.height; ++y) {
      std::copy_n(indexes.data() + std::size_t{y} * s.width, s.width,
                  area.data() + (s.height - 1 - y) * stride);
    }
    const sprite::Bytes file =
        sprite::formats::WriteBitmap(static_cast<std::int16_t>(s.width),
                                     static_cast<std::int16_t>(s.height), bitmapPalette, area);
    char name[32];
    std::snprintf(name, sizeof name, "/s%05zu.bmp", i);
    std::ofstream(folder + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
  }
  return 0;
}

// Processor time, which other work on the machine does not stretch.
template <typename Work>
double Seconds(Work work) {
  const std::clock_t start = std::clock();
  work();
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

int Time(const std::vector<RgbaSprite>& sprites) {
  std::vector<Rgb> palette;
  std::printf("quantise %.6f\n", Seconds([&] { palette = PaletteFor(sprites, 255); }));
  std::optional<ColourHistogram> histogram;
  std::printf("histogram %.6f\n", Seconds([&] { histogram = HistogramOf(sprites); }));
  std::vector<std::uint8_t> indexes(std::size_t{64} * 64);
  for (const Dither dither : {Dither::kNone, Dither::kFloydSteinberg, Dither::kOrdered}) {
    const double seconds = Seconds([&] {
      ColourMapper mapper(palette);
      for (const RgbaSprite& s : sprites) {
        mapper.Map({s.width, s.height, s.rgba}, 128, dither, indexes);
      }
    });
    std::printf("map-%s %.6f\n", std::string(DitherName(dither)).c_str(), seconds);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 2 ? argv[1] : "";
  const auto sprites =
      argc > 2 ? bench::ShadedSprites(std::stoul(argv[2])) : std::vector<RgbaSprite>{};
  if (command == "sheet" && argc == 4) {
    return Sheet(sprites, argv[3]);
  }
  if (command == "quality" && (argc == 4 || argc == 5)) {
    return Quality(sprites, std::stoul(argv[3]), argc == 5 ? argv[4] : nullptr);
  }
  if (command == "bitmaps" && argc == 4) {
    return Bitmaps(sprites, argv[3]);
  }
  if (command == "pictures" && argc == 4) {
    return Pictures(sprites, argv[3]);
  }
  if (command == "time" && argc == 3) {
    return Time(sprites);
  }
  std::fprintf(stderr, "usage: colour_quality sheet|quality|bitmaps|pictures|time COUNT ...\n");
  return 2;
}
