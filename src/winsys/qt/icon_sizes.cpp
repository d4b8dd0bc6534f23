// sprite-icon-sizes IMAGE SIZE OUT: writes the square picture IMAGE scaled to
// SIZE x SIZE pixels as the PNG file OUT, for the icon theme's folders.
#include <QtGui/QImage>
#include <QtGui/QImageWriter>
#include <cstdio>
#include <exception>
#include <string>

namespace {

// The icon is drawn on a 16 x 16 grid: sizes that give every cell whole pixels
// are scaled without blending, as the window's own icon is; others are smoothed.
constexpr int kGridCells = 16;
constexpr int kLargestSize = 1024;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: sprite-icon-sizes IMAGE SIZE OUT\n", stderr);
    return 2;
  }
  const QImage image(QString::fromLocal8Bit(argv[1]));
  if (image.isNull()) {
    std::fprintf(stderr, "sprite-icon-sizes: %s: not a picture Qt can read\n", argv[1]);
    return 1;
  }
  int size = 0;
  try {
    size = std::stoi(argv[2]);
  } catch (const std::exception&) {
    size = 0;
  }
  if (size < 1 || size > kLargestSize) {
    std::fprintf(stderr, "sprite-icon-sizes: size '%s' is not 1 to %d\n", argv[2], kLargestSize);
    return 2;
  }
  const Qt::TransformationMode mode =
      size % kGridCells == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
  const QImage scaled = image.scaled(size, size, Qt::IgnoreAspectRatio, mode);
  QImageWriter writer(QString::fromLocal8Bit(argv[3]), "png");
  if (!writer.write(scaled)) {
    std::fprintf(stderr, "sprite-icon-sizes: %s: %s\n", argv[3],
                 writer.errorString().toLocal8Bit().constData());
    return 1;
  }
  return 0;
}
