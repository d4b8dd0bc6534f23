// The progress bar control drawn by the Qt backend, judged by its pixels.
#include <gtest/gtest.h>

#include <QtGui/QImage>
#include <QtWidgets/QWidget>
#include <cmath>
#include <memory>
#include <vector>

#include "controls/progress/o_progress_bar.h"
#include "winsys/qt/progress_bar_widget.h"
#include "winsys/qt/qt_test_support.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::winsys::qt {
namespace {

using controls::oProgressBar;

constexpr std::uint32_t kRed = 0x0000FF;  // OLE colours: red in the low byte
constexpr std::uint32_t kWhite = 0xFFFFFF;

class ProgressLookTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::TestApplication(); }

  ProgressLookTest() {
    WindowSpec design;
    design.caption = "look";
    design.clientWidth = Twips(400);
    design.clientHeight = Twips(400);
    window_ = system_.CreateWindow(design);
  }
  ~ProgressLookTest() override {
    bars_.clear();
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  static std::int32_t Twips(int pixels) {
    return static_cast<std::int32_t>(std::lround(pixels * QtWindowSystem::TwipsPerPixelX()));
  }

  // A bar placed new at (left, top), sized in pixels.
  oProgressBar& Place(int left, int top, int width, int height) {
    ControlHost& host =
        window_->AddControlHost({"bar" + std::to_string(bars_.size()),
                                 {Twips(left), Twips(top), Twips(width), Twips(height)}});
    auto& bar = *bars_.emplace_back(std::make_unique<oProgressBar>(host, system_.Calls()));
    bar.UserControl_InitProperties();
    return bar;
  }

  QImage Shot(const oProgressBar& bar) {
    QWidget* widget = system_.QtCalls().Widget(bar.BarWindow());
    EXPECT_NE(widget, nullptr);
    return widget == nullptr ? QImage() : widget->grab().toImage();
  }
  QRect BarArea(const oProgressBar& bar) {
    return system_.QtCalls().ProgressBar(bar.BarWindow())->BarRect();
  }

  static double Share(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        count += image.pixelColor(x, y) == colour ? 1 : 0;
      }
    }
    return static_cast<double>(count) / (area.width() * area.height());
  }

  QtWindowSystem system_;
  std::unique_ptr<Window> window_;
  std::vector<std::unique_ptr<oProgressBar>> bars_;
};

TEST_F(ProgressLookTest, FilledShareMatchesTheValue) {
  struct Case {
    std::int32_t orientation;
    std::int32_t min;
    std::int32_t max;
    std::int32_t value;
  };
  const Case cases[] = {{0, 0, 200, 50}, {0, 1, 100, 1},       {0, -1000, 1000, 900},
                        {1, 0, 200, 50}, {1, 0, 70000, 63000}, {0, 0, 100, 250}};
  window_->Show();
  int top = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.orientation << " " << c.value);
    oProgressBar& bar =
        c.orientation == 1 ? Place(350 - top / 4, 20, 30, 300) : Place(10, top, 300, 30);
    top += 40;
    bar.SetOrientation(c.orientation);
    bar.SetSmooth(kVbTrue);
    bar.SetMin(c.min);
    bar.SetMax(c.max);
    bar.SetValue(c.value);
    bar.SetBarColor(kRed);
    bar.SetBackColor(kWhite);

    const QImage image = Shot(bar);
    const QRect area = BarArea(bar);
    const double expected =
        std::clamp(static_cast<double>(c.value - c.min) / (c.max - c.min), 0.0, 1.0);
    EXPECT_NEAR(Share(image, area, Qt::red), expected, 0.03);
    EXPECT_NEAR(Share(image, area, Qt::white), 1.0 - expected, 0.03);
    // Horizontal bars fill from the left, vertical ones from the bottom.
    const QPoint start = c.orientation == 1 ? QPoint(area.center().x(), area.bottom())
                                            : QPoint(area.left(), area.center().y());
    if (expected > 0.02) {
      EXPECT_EQ(image.pixelColor(start), QColor(Qt::red));
    }
  }
}

TEST_F(ProgressLookTest, BlocksReachTheValueWithinOneBlock) {
  window_->Show();
  for (const std::int32_t orientation : {0, 1}) {
    SCOPED_TRACE(orientation);
    oProgressBar& bar = orientation == 1 ? Place(350, 20, 24, 300) : Place(10, 10, 300, 24);
    bar.SetOrientation(orientation);
    bar.SetMin(0);
    bar.SetMax(100);
    bar.SetValue(40);
    bar.SetBarColor(kRed);
    bar.SetBackColor(kWhite);
    const QImage image = Shot(bar);
    const QRect area = BarArea(bar);
    const bool vertical = orientation == 1;
    const int length = vertical ? area.height() : area.width();
    const int block = (vertical ? area.width() : area.height()) * 2 / 3;
    // The farthest red pixel along the bar, and gaps between the blocks.
    int reach = 0;
    int gaps = 0;
    bool inGap = false;
    for (int along = 0; along < length; ++along) {
      const QPoint at = vertical ? QPoint(area.center().x(), area.bottom() - along)
                                 : QPoint(area.left() + along, area.center().y());
      const bool red = image.pixelColor(at) == QColor(Qt::red);
      if (red) {
        reach = along + 1;
        gaps += inGap ? 1 : 0;
      }
      inGap = !red && reach > 0;
    }
    EXPECT_GE(reach, length * 40 / 100);
    EXPECT_LE(reach, length * 40 / 100 + block + 2);
    EXPECT_GE(gaps, 3);
  }
}

TEST_F(ProgressLookTest, DefaultColoursComeFromThePalette) {
  window_->Show();
  oProgressBar& bar = Place(10, 10, 300, 30);
  bar.SetSmooth(kVbTrue);
  bar.SetValue(100);
  const QImage image = Shot(bar);
  const QPalette palette = system_.QtCalls().Widget(bar.BarWindow())->palette();
  EXPECT_EQ(image.pixelColor(BarArea(bar).center()), palette.color(QPalette::Highlight));
  bar.SetValue(1);
  const QImage empty = Shot(bar);
  EXPECT_EQ(empty.pixelColor(BarArea(bar).center()), palette.color(QPalette::Button));
}

TEST_F(ProgressLookTest, EdgeStylesLookDifferent) {
  window_->Show();
  std::vector<QImage> shots;
  for (const std::int32_t borderstyle : {0, 1, 2, 3}) {
    oProgressBar& bar = Place(10, 10 + borderstyle * 40, 200, 30);
    bar.SetBorderstyle(borderstyle);
    bar.SetValue(50);
    shots.push_back(Shot(bar));
  }
  for (std::size_t a = 0; a < shots.size(); ++a) {
    for (std::size_t b = a + 1; b < shots.size(); ++b) {
      SCOPED_TRACE(::testing::Message() << a << " " << b);
      EXPECT_NE(shots[a], shots[b]);
    }
  }
}

}  // namespace
}  // namespace sprite::winsys::qt
