#include "winsys/qt/qt_window_calls.h"

#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QPalette>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <climits>
#include <memory>

#include "winsys/qt/progress_bar_widget.h"
#include "winsys/qt/qt_test_support.h"

namespace sprite::winsys::qt {
namespace {

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;

// Signed values travel sign-extended, as the control sends them.
WPARAM W(std::int32_t value) {
  return static_cast<WPARAM>(static_cast<std::intptr_t>(value));
}
LPARAM L(std::int32_t value) {
  return static_cast<LPARAM>(value);
}

class QtWindowCallsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::TestApplication(); }

  QtWindowCallsTest() : parent_(std::make_unique<QWidget>()) {
    parent_->resize(400, 100);
    parentHandle_ = calls_.Register(parent_.get());
    bar_ = NewBar(kChild);
  }

  HWND NewBar(std::uint32_t style, int width = 200, int height = 20) {
    return calls_.CreateWindowExA(0, kProgressClass, "", style, 0, 0, width, height, parentHandle_,
                                  0, 1, 0);
  }
  std::int32_t Send(UINT message, std::int32_t wParam = 0, LPARAM lParam = 0) {
    return static_cast<std::int32_t>(calls_.SendMessageA(bar_, message, W(wParam), lParam));
  }
  std::int32_t Position() { return Send(PBM_GETPOS); }

  QtWindowCalls calls_;
  std::unique_ptr<QWidget> parent_;
  HWND parentHandle_ = 0;
  HWND bar_ = 0;
};

TEST_F(QtWindowCallsTest, CreatesOnlyProgressBarsUnderAnExistingParent) {
  EXPECT_NE(bar_, 0);
  EXPECT_NE(calls_.ProgressBar(bar_), nullptr);
  EXPECT_EQ(calls_.Widget(bar_)->parentWidget(), parent_.get());
  EXPECT_EQ(calls_.CreateWindowExA(0, "MSCTLS_PROGRESS32", "", kChild, 0, 0, 5, 5, parentHandle_, 0,
                                   1, 0) == 0,
            false);
  EXPECT_EQ(calls_.CreateWindowExA(0, "msctls_trackbar32", "", kChild, 0, 0, 5, 5, parentHandle_, 0,
                                   1, 0),
            0);
  EXPECT_EQ(calls_.CreateWindowExA(0, kProgressClass, "", kChild, 0, 0, 5, 5, 9999, 0, 1, 0), 0);
  EXPECT_EQ(calls_.CreateWindowExA(0, kProgressClass, "", kChild, 0, 0, 5, 5, 0, 0, 1, 0), 0);
}

TEST_F(QtWindowCallsTest, PositionIsKeptInsideTheRange) {
  struct Step {
    UINT message;
    std::int32_t wParam;
    std::int32_t returned;  // the previous position
    std::int32_t position;
  };
  ASSERT_EQ(Send(PBM_SETRANGE32, -50, L(50)), 100 << 16);  // the previous range 0..100
  const Step steps[] = {
      {PBM_SETPOS, 1000, 0, 50},        {PBM_SETPOS, -1000, 50, -50},
      {PBM_DELTAPOS, 30, -50, -20},     {PBM_DELTAPOS, INT_MAX, -20, 50},
      {PBM_DELTAPOS, INT_MIN, 50, -50}, {PBM_SETPOS, 7, -50, 7},
      {PBM_SETPOS, INT_MIN, 7, -50},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.wParam);
    EXPECT_EQ(Send(step.message, step.wParam), step.returned);
    EXPECT_EQ(Position(), step.position);
  }
  // A narrower range moves the position inside it.
  Send(PBM_SETPOS, 40);
  Send(PBM_SETRANGE32, 0, L(10));
  EXPECT_EQ(Position(), 10);
  // Crossed limits: the position ends on the high one.
  Send(PBM_SETRANGE32, 100, L(1));
  EXPECT_EQ(Position(), 1);
}

TEST_F(QtWindowCallsTest, StepItStartsOverPastTheHighLimit) {
  Send(PBM_SETRANGE32, 1, L(100));
  Send(PBM_SETPOS, 95);
  EXPECT_EQ(Send(PBM_SETSTEP, 10), 10);  // the previous step
  EXPECT_EQ(Send(PBM_STEPIT), 95);
  EXPECT_EQ(Position(), 1);
  EXPECT_EQ(Send(PBM_STEPIT), 1);
  EXPECT_EQ(Position(), 11);

  Send(PBM_SETPOS, 90);
  Send(PBM_STEPIT);
  EXPECT_EQ(Position(), 100);  // reaching the limit is not passing it

  Send(PBM_SETSTEP, INT_MAX);
  Send(PBM_STEPIT);
  EXPECT_EQ(Position(), 1);

  Send(PBM_SETSTEP, -30);
  Send(PBM_SETPOS, 20);
  Send(PBM_STEPIT);
  EXPECT_EQ(Position(), 1);  // a step below the low limit stops there
}

TEST_F(QtWindowCallsTest, GetRangeAnswersTheAskedLimitAndFillsTheBuffer) {
  Send(PBM_SETRANGE32, -70000, L(70000));
  PBRANGE range;
  EXPECT_EQ(Send(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range)), 70000);
  EXPECT_EQ(range.iLow, -70000);
  EXPECT_EQ(range.iHigh, 70000);
  PBRANGE other{5, 5};
  EXPECT_EQ(Send(PBM_GETRANGE, 1, reinterpret_cast<LPARAM>(&other)), -70000);
  EXPECT_EQ(other.iLow, -70000);
  EXPECT_EQ(Send(PBM_GETRANGE, 1, 0), -70000);  // no buffer is fine
}

TEST_F(QtWindowCallsTest, SixteenBitRangeReadsTwoUnsignedHalves) {
  struct Case {
    std::uint32_t lParam;
    std::int32_t low;
    std::int32_t high;
  };
  for (const Case& c : {Case{0x00640001, 1, 100}, Case{0x11700001, 1, 0x1170},
                        Case{0x0064FFFE, 65534, 100}, Case{0xFFFF0000, 0, 65535}}) {
    SCOPED_TRACE(c.lParam);
    Send(PBM_SETRANGE, 0, L(static_cast<std::int32_t>(c.lParam)));
    PBRANGE range;
    Send(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, c.low);
    EXPECT_EQ(range.iHigh, c.high);
  }
  // Both forms answer with the previous range cut to two 16-bit halves.
  Send(PBM_SETRANGE32, -2, L(70000));
  EXPECT_EQ(static_cast<std::uint32_t>(Send(PBM_SETRANGE, 0, L(0x00640000))), 0x1170FFFEu);
}

TEST_F(QtWindowCallsTest, ColoursAnswerThePreviousOne) {
  EXPECT_EQ(static_cast<std::uint32_t>(Send(PBM_SETBARCOLOR, 0, L(0x0000FF))), CLR_DEFAULT);
  EXPECT_EQ(Send(PBM_SETBARCOLOR, 0, L(0x00FF00)), 0x0000FF);
  EXPECT_EQ(static_cast<std::uint32_t>(Send(PBM_SETBKCOLOR, 0, L(-1))), CLR_DEFAULT);
  EXPECT_EQ(Send(PBM_GETBKCOLOR), -1);
  EXPECT_EQ(Send(PBM_GETBARCOLOR), 0x00FF00);
}

TEST_F(QtWindowCallsTest, RepaintsOnlyWhenWhatIsShownChanges) {
  ProgressBarWidget* bar = calls_.ProgressBar(bar_);
  parent_->show();
  QApplication::processEvents();  // shown and exposed: repaint() paints at once
  Send(PBM_SETRANGE32, 0, L(1000000));
  bar->repaint();
  const int before = bar->RepaintRequests();
  for (int position = 1; position <= 2000; ++position) {
    Send(PBM_SETPOS, position);  // under one pixel of a 198-pixel bar
  }
  EXPECT_EQ(bar->RepaintRequests(), before);
  Send(PBM_SETPOS, 500000);
  EXPECT_EQ(bar->RepaintRequests(), before + 1);
  // Until that paint comes, further moves ask for nothing more.
  Send(PBM_SETPOS, 900000);
  EXPECT_EQ(bar->RepaintRequests(), before + 1);
  bar->repaint();
  Send(PBM_SETBARCOLOR, 0, L(0x00FF00));
  Send(PBM_SETBARCOLOR, 0, L(0x00FF00));
  EXPECT_EQ(bar->RepaintRequests(), before + 2);
  bar->repaint();

  // Blocks: one repaint per block, not per pixel.
  const int length = bar->BarRect().width();
  Send(PBM_SETRANGE32, 0, L(length));
  Send(PBM_SETPOS, 0);
  bar->repaint();
  const int blocks = bar->RepaintRequests();
  for (int position = 0; position <= length; ++position) {
    Send(PBM_SETPOS, position);
    bar->repaint();
  }
  const int chunk = bar->BarRect().height() * 2 / 3 + 2;
  EXPECT_EQ(bar->RepaintRequests() - blocks, (length + chunk - 1) / chunk);
}

TEST_F(QtWindowCallsTest, FrameChangesShowAfterSetWindowPos) {
  ProgressBarWidget* bar = calls_.ProgressBar(bar_);
  const QRect plain = bar->ClientRect();
  EXPECT_EQ(calls_.SetWindowLongA(bar_, GWL_EXSTYLE, WS_EX_CLIENTEDGE), 0);
  EXPECT_EQ(bar->ClientRect(), plain);
  calls_.SetWindowPos(bar_, 0, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
  EXPECT_EQ(bar->ClientRect(), plain.adjusted(2, 2, -2, -2));
  EXPECT_EQ(calls_.SetWindowLongA(bar_, GWL_EXSTYLE, WS_EX_STATICEDGE), WS_EX_CLIENTEDGE);
  calls_.SetWindowPos(bar_, 0, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
  EXPECT_EQ(bar->ClientRect(), plain.adjusted(1, 1, -1, -1));
  EXPECT_EQ(calls_.Widget(bar_)->size(), QSize(200, 20));
}

TEST_F(QtWindowCallsTest, DestroyHideAndReparent) {
  QWidget* widget = calls_.Widget(bar_);
  EXPECT_TRUE(calls_.MoveWindow(bar_, 3, 4, 50, 10, true));
  EXPECT_EQ(widget->geometry(), QRect(3, 4, 50, 10));
  EXPECT_TRUE(calls_.ShowWindow(bar_, SW_HIDE));
  EXPECT_FALSE(calls_.ShowWindow(bar_, SW_HIDE));

  EXPECT_EQ(calls_.SetParent(bar_, 0), parentHandle_);
  EXPECT_EQ(widget->parentWidget(), nullptr);
  EXPECT_TRUE(widget->isHidden());
  EXPECT_EQ(calls_.SetParent(bar_, parentHandle_), 0);
  EXPECT_EQ(widget->parentWidget(), parent_.get());

  // The control's own window is not the calls' to destroy.
  EXPECT_FALSE(calls_.DestroyWindow(parentHandle_));
  EXPECT_TRUE(calls_.DestroyWindow(bar_));
  EXPECT_EQ(calls_.Widget(bar_), nullptr);
  EXPECT_FALSE(calls_.DestroyWindow(bar_));
  EXPECT_EQ(calls_.SendMessageA(bar_, PBM_GETRANGE, 0, 0), 0);
  EXPECT_FALSE(calls_.MoveWindow(bar_, 0, 0, 1, 1, true));
  EXPECT_FALSE(calls_.MoveWindow(0, 0, 0, 1, 1, true));
  EXPECT_TRUE(parent_->findChildren<QWidget*>().isEmpty());
}

TEST_F(QtWindowCallsTest, ForgettingAWindowDropsTheHandlesInside) {
  const HWND second = NewBar(kChild);
  calls_.Forget(parent_.get());
  EXPECT_EQ(calls_.Widget(parentHandle_), nullptr);
  EXPECT_EQ(calls_.Widget(bar_), nullptr);
  EXPECT_EQ(calls_.Widget(second), nullptr);
  // Deleted widgets drop out of the table by themselves.
  const HWND again = calls_.Register(parent_.get());
  parent_.reset();
  EXPECT_EQ(calls_.Widget(again), nullptr);
}

TEST_F(QtWindowCallsTest, TranslatesRgbAndSystemColours) {
  const QPalette palette = QGuiApplication::palette();
  const auto ref = [](const QColor& c) {
    return static_cast<std::uint32_t>(c.red() | (c.green() << 8) | (c.blue() << 16));
  };
  struct Case {
    std::uint32_t colour;
    std::uint32_t rgb;
  };
  const Case cases[] = {
      {0x00123456, 0x00123456},
      {0x00000000, 0x00000000},
      {0x8000000F, ref(palette.color(QPalette::Active, QPalette::Button))},
      {0x8000000D, ref(palette.color(QPalette::Active, QPalette::Highlight))},
      {0x80000005, ref(palette.color(QPalette::Active, QPalette::Base))},
      {0x8000001E, ref(palette.color(QPalette::Active, QPalette::Window))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.colour);
    std::uint32_t rgb = 0xDEADBEEF;
    EXPECT_EQ(calls_.OleTranslateColor(c.colour, 0, &rgb), 0);
    EXPECT_EQ(rgb, c.rgb);
  }
  for (const std::uint32_t bad :
       {0x8000001Fu, 0x80FFFFFFu, 0x01000005u, 0xFF000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(bad);
    std::uint32_t rgb = 0xDEADBEEF;
    EXPECT_NE(calls_.OleTranslateColor(bad, 0, &rgb), 0);
    EXPECT_EQ(rgb, 0xDEADBEEFu);
  }
}

}  // namespace
}  // namespace sprite::winsys::qt
