// The window's own work in a Decode, without decoding or writing a file: for
// every entry of an archive, its log line, the bar steps and yields the
// decoder asks for, and its line in the file list, through the real window's
// run delegate. Prints the seconds it took, for bench/e2e.py to set beside
// sprite-cli's whole run: `window_work ARCHIVE`.
#include <QtCore/QElapsedTimer>
#include <QtWidgets/QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/window_run_delegate.h"
#include "codec/rle_decoder.h"
#include "formats/sprite_archive.h"
#include "shown_main_window.h"

namespace {

// The bar steps one entry's decode asks for, kept to be told again.
class BarSteps : public sprite::codec::RowsHost {
 public:
  void Yield() override {}
  void ElementsDecoded(std::int32_t percent, std::int64_t /*elements*/) override {
    elements.push_back(percent);
  }
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    rows.insert(rows.end(), percents.begin(), percents.end());
  }

  std::vector<std::int32_t> elements;
  std::vector<std::int32_t> rows;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    return 2;
  }
  using Bar = sprite::pipeline::RunDelegate::Bar;
  sprite::tools::ShownMainWindow window;
  const std::string archive = argv[1];
  std::vector<BarSteps> entries;
  {
    sprite::files::PosixFileSystem files;
    const auto source = files.OpenForReading(archive);
    sprite::formats::ArchiveReader reader(*source);
    while (const auto entry = reader.Next()) {
      sprite::codec::RLEDecompressRows(entry->coded, entry->width, entries.emplace_back());
    }
  }
  QApplication::processEvents();

  QElapsedTimer clock;
  clock.start();
  const bool stopRequested = false;
  {
    // As DecodeRun and its decoder's host tell the window a run.
    sprite::app::WindowRunDelegate delegate(window.Windows(), window.Controls(), stopRequested,
                                            sprite::app::WindowRunDelegate::Pause::kYield);
    delegate.Log("Decoding...", false);
    char number[24];
    for (std::size_t k = 0; k < entries.size(); ++k) {
      std::snprintf(number, sizeof number, "%04zu", k + 1);
      delegate.Log("Processing bitmap: " + std::to_string(k + 1), false);
      for (const std::int32_t percent : entries[k].elements) {
        delegate.Progress(Bar::kFirst, percent);
        delegate.ShouldStop();
      }
      for (const std::int32_t percent : entries[k].rows) {
        delegate.ShouldStop();
        delegate.Progress(Bar::kSecond, percent);
      }
      delegate.Written(archive + "." + number + ".bmp");
    }
    delegate.Finishing();
  }
  QApplication::processEvents();
  std::printf("%.6f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
  return 0;
}
