// Shows the progress bar control in every style: block and smooth drawing,
// horizontal and vertical, the three edge styles and none, palette and custom
// colours, and the main window's own thin bars.
//
//   progress-gallery [--quit-after MS] [--grab FILE.png]
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "controls/progress/o_progress_bar.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"

namespace {

using sprite::controls::oProgressBar;
using sprite::winsys::ControlSpec;
using sprite::winsys::TwipsRect;
using sprite::winsys::qt::QtWindowSystem;

struct Style {
  const char* label;
  std::int32_t orientation;
  sprite::winsys::VbBool smooth;
  std::int32_t borderstyle;
  std::int32_t value;
  std::uint32_t barColor;  // 0: the default
  std::uint32_t backColor;
};

constexpr std::uint32_t kDefault = 0;

const Style kHorizontal[] = {
    {"Blocks, window edge (Borderstyle 0)", 0, 0, 0, 35, kDefault, kDefault},
    {"Blocks, static edge (Borderstyle 1, the default)", 0, 0, 1, 60, kDefault, kDefault},
    {"Blocks, client edge (Borderstyle 2)", 0, 0, 2, 85, kDefault, kDefault},
    {"Blocks, no edge (Borderstyle 3)", 0, 0, 3, 45, kDefault, kDefault},
    {"Smooth, static edge", 0, -1, 1, 70, kDefault, kDefault},
    {"Smooth, client edge, green on black", 0, -1, 2, 50, 0x0040C040, 0x00000000},
    {"Blocks, window edge, orange on cream", 0, 0, 0, 25, 0x000080FF, 0x00D0F8FF},
};

const Style kVertical[] = {
    {"Blocks", 1, 0, 1, 30, kDefault, kDefault},
    {"Smooth", 1, -1, 2, 55, kDefault, kDefault},
    {"Red", 1, -1, 0, 80, 0x002020D0, 0x00FFFFFF},
    {"Full", 1, 0, 2, 100, kDefault, kDefault},
};

std::int32_t Twips(int pixels) {
  return static_cast<std::int32_t>(std::lround(pixels * QtWindowSystem::TwipsPerPixelX()));
}

ControlSpec At(const std::string& name, int left, int top, int width, int height) {
  return {name, TwipsRect{Twips(left), Twips(top), Twips(width), Twips(height)}};
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int quitAfterMs = 0;
  QString grabPath;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--quit-after" && i + 1 < arguments.size()) {
      quitAfterMs = arguments[++i].toInt();
    } else if (arguments[i] == "--grab" && i + 1 < arguments.size()) {
      grabPath = arguments[++i];
    } else {
      std::cerr << "usage: progress-gallery [--quit-after MS] [--grab FILE.png]\n";
      return 2;
    }
  }

  QtWindowSystem windows;
  sprite::winsys::WindowSpec design;
  design.caption = "oProgressBar gallery";
  design.clientWidth = Twips(660);
  design.clientHeight = Twips(470);
  design.font = {"Tahoma", 8.25, 400, 238};
  auto window = windows.CreateWindow(design);

  std::vector<std::unique_ptr<oProgressBar>> bars;
  const auto place = [&](const Style& style, const ControlSpec& where) {
    auto& bar = *bars.emplace_back(
        std::make_unique<oProgressBar>(window->AddControlHost(where), windows.Calls()));
    bar.UserControl_InitProperties();
    bar.SetOrientation(style.orientation);
    bar.SetSmooth(style.smooth);
    bar.SetBorderstyle(style.borderstyle);
    bar.SetMin(0);
    bar.SetValue(style.value);
    if (style.barColor != kDefault || style.backColor != kDefault) {
      bar.SetBarColor(style.barColor);
      bar.SetBackColor(style.backColor);
    }
  };

  int top = 10;
  int index = 0;
  for (const Style& style : kHorizontal) {
    window->AddLabel(At("label" + std::to_string(index), 12, top, 400, 16), style.label);
    place(style, At("bar" + std::to_string(index), 12, top + 17, 400, 22));
    top += 50;
    ++index;
  }
  // The main window's bars: 5160 x 120 twips, stored with Min 1 only.
  window->AddLabel(At("labelMain", 12, top, 400, 16),
                   "The main window's two bars (Min 1), at 40 and 75 of 100");
  for (const std::int32_t value : {40, 75}) {
    ControlSpec where{"main" + std::to_string(value),
                      TwipsRect{Twips(12), Twips(top + 18), 5160, 120}};
    auto& bar = *bars.emplace_back(
        std::make_unique<oProgressBar>(window->AddControlHost(where), windows.Calls()));
    bar.UserControl_InitProperties();
    bar.SetValue(value);
    top += 14;
  }

  int left = 440;
  for (const Style& style : kVertical) {
    window->AddLabel(At("vlabel" + std::to_string(left), left, 10, 52, 16), style.label);
    place(style, At("vbar" + std::to_string(left), left + 8, 30, 26, 420));
    left += 54;
  }

  window->Show();
  if (!grabPath.isEmpty()) {
    QWidget* shown = windows.QtCalls().Widget(window->hWnd());
    if (!shown->grab().save(grabPath)) {
      std::cerr << "progress-gallery: cannot write " << grabPath.toStdString() << "\n";
      return 1;
    }
  }
  if (quitAfterMs > 0) {
    QTimer::singleShot(quitAfterMs, &application, &QApplication::quit);
  }
  return windows.RunEventLoop();
}
