// The Qt picture window, the list box's open and selection events, and the
// stop signals: what a user and the system do reaches the handlers, and only that.
#include "winsys/qt/qt_picture_window.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QtCore/QElapsedTimer>
#include <QtGui/QKeyEvent>
#include <QtGui/QWheelEvent>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListView>
#include <cmath>
#include <string>
#include <vector>

#include "common/error.h"
#include "winsys/qt/qt_list_box.h"
#include "winsys/qt/qt_test_support.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"
#include "winsys/qt/stop_signals.h"

namespace sprite::winsys::qt {
namespace {

// Every report, as a line.
class RecordingHandler : public PictureWindowHandler {
 public:
  void AreaResized(PixelSize area) override {
    events.push_back("resized " + std::to_string(area.width) + "x" + std::to_string(area.height));
  }
  void KeyPressed(PictureKey key) override {
    events.push_back("key " + std::to_string(static_cast<int>(key)));
    if (onKey) {
      onKey();
    }
  }
  void WheelTurned(std::int32_t notches, bool control, bool shift) override {
    events.push_back("wheel " + std::to_string(notches) + (control ? " control" : "") +
                     (shift ? " shift" : ""));
  }
  void TimerTicked() override { events.push_back("tick"); }
  void Closed() override {
    events.push_back("closed");
    if (onClosed) {
      onClosed();
    }
  }
  std::vector<std::string> events;
  std::function<void()> onKey;
  std::function<void()> onClosed;
};

std::string Key(PictureKey key) {
  return "key " + std::to_string(static_cast<int>(key));
}

// Processes events until `done` or a second has passed.
template <typename Done>
bool Within(const Done& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

class QtPictureWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::TestApplication(); }

  QtPictureWindowTest() {
    PictureWindowSpec design;
    design.caption = "Sprite Viewer";
    design.clientWidth = 6000;
    design.clientHeight = 5400;
    design.font = FontSpec{"Tahoma", 8.25, 400, 238};
    window_ = system_.CreatePictureWindow(design);
    window_->SetHandler(&handler_);
  }
  ~QtPictureWindowTest() override {
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QtPictureWindow& Shown() { return dynamic_cast<QtPictureWindow&>(*window_); }
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(Shown().Area(), &press);
  }
  void Wheel(QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent turn(QPointF(10, 10), QPointF(10, 10), QPoint(), angle, Qt::NoButton, modifiers,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Shown().Area(), &turn);
  }

  QtWindowSystem system_;
  RecordingHandler handler_;
  std::unique_ptr<PictureWindow> window_;
};

TEST_F(QtPictureWindowTest, ShowsResizableWithTheAreaAboveTheLineAndReportsNothingOfItsOwnCalls) {
  EXPECT_FALSE(window_->Visible());
  window_->SetCaption("hero.bmp - Sprite Viewer");
  window_->SetText("38 \u00D7 44 pixels, 11 colours, shown at 7\u00D7");
  window_->Show();
  window_->SetPicture(Picture{1, 1, {1, 2, 3}});
  EXPECT_TRUE(window_->Visible());
  EXPECT_TRUE(handler_.events.empty());  // not even the first size
  QWidget* top = Shown().Widget();
  EXPECT_EQ(top->windowTitle().toStdString(), "hero.bmp - Sprite Viewer");
  EXPECT_NE(top->minimumSize(), top->maximumSize());  // the user may resize it
  const double perPixel = QtWindowSystem::TwipsPerPixelX();
  EXPECT_NEAR(top->width(), 6000 / perPixel, 1);
  const PixelSize area = window_->AreaSize();
  EXPECT_EQ(area.width, top->width());
  EXPECT_GT(area.height, top->height() * 3 / 4);
  EXPECT_LT(area.height, top->height());  // the line lies under it
  auto* line = top->findChild<QLabel*>();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text().toStdString(), "38 \u00D7 44 pixels, 11 colours, shown at 7\u00D7");
  EXPECT_GE(line->geometry().top(), area.height);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), Shown().Area());  // the keys go to the viewer
}

TEST_F(QtPictureWindowTest, DrawsThePictureAtTheTopLeftAndLeavesTheRestBlank) {
  window_->Show();
  window_->SetPicture(Picture{2, 1, {255, 0, 0, 0, 0, 255}});
  QImage shot = Shown().Area()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(1, 0), QColor(0, 0, 255));
  const QColor blank = Shown().Area()->palette().window().color();
  EXPECT_EQ(shot.pixelColor(2, 0), blank);
  EXPECT_EQ(shot.pixelColor(0, 1), blank);
  window_->SetPicture({});  // empty: blank
  shot = Shown().Area()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(0, 0), blank);
  EXPECT_THROW(window_->SetPicture(Picture{2, 1, {1, 2, 3}}), InvalidArgumentError);
  EXPECT_THROW(window_->SetPicture(Picture{-1, 1, {}}), InvalidArgumentError);
}

TEST_F(QtPictureWindowTest, PlusMinusEscAndTheArrowsAreReportedOtherKeysAreNot) {
  window_->Show();
  Press(Qt::Key_Plus, Qt::ShiftModifier);
  Press(Qt::Key_Equal);
  Press(Qt::Key_Plus, Qt::KeypadModifier);
  Press(Qt::Key_Minus);
  Press(Qt::Key_Minus, Qt::KeypadModifier);
  Press(Qt::Key_Escape);
  Press(Qt::Key_Left);
  Press(Qt::Key_Right);
  Press(Qt::Key_Up);
  Press(Qt::Key_Down);
  Press(Qt::Key_A);
  Press(Qt::Key_Plus, Qt::AltModifier);
  EXPECT_EQ(handler_.events,
            (std::vector<std::string>{Key(PictureKey::kZoomIn), Key(PictureKey::kZoomIn),
                                      Key(PictureKey::kZoomIn), Key(PictureKey::kZoomOut),
                                      Key(PictureKey::kZoomOut), Key(PictureKey::kEscape),
                                      Key(PictureKey::kLeft), Key(PictureKey::kRight),
                                      Key(PictureKey::kUp), Key(PictureKey::kDown)}));
  EXPECT_TRUE(window_->Visible());  // Esc is the handler's to act on
}

TEST_F(QtPictureWindowTest, TheKeysOfAnArchivesEntriesAndTheTimerAreReported) {
  window_->Show();
  Press(Qt::Key_PageUp);
  Press(Qt::Key_PageDown);
  Press(Qt::Key_Home);
  Press(Qt::Key_End);
  Press(Qt::Key_Space, Qt::NoModifier, " ");
  // The brackets as typed, whatever key brings them (AltGr and 8 on some layouts).
  Press(Qt::Key_8, Qt::GroupSwitchModifier, "[");
  Press(Qt::Key_BracketRight, Qt::NoModifier, "]");
  EXPECT_EQ(handler_.events,
            (std::vector<std::string>{Key(PictureKey::kPageUp), Key(PictureKey::kPageDown),
                                      Key(PictureKey::kHome), Key(PictureKey::kEnd),
                                      Key(PictureKey::kPlay), Key(PictureKey::kSlower),
                                      Key(PictureKey::kFaster)}));
  handler_.events.clear();
  window_->SetTimer(5);
  EXPECT_TRUE(Within([&] { return handler_.events.size() >= 2; }));
  window_->SetTimer(0);
  QCoreApplication::processEvents();
  handler_.events.clear();
  QTest::qWait(30);
  EXPECT_TRUE(handler_.events.empty());
}

TEST_F(QtPictureWindowTest, TheWheelIsReportedInWholeNotchesWithItsKeys) {
  window_->Show();
  Wheel({0, 60});  // half a notch from a fine wheel: nothing yet
  EXPECT_TRUE(handler_.events.empty());
  Wheel({0, 60});
  Wheel({0, -240}, Qt::ControlModifier);
  Wheel({0, 120}, Qt::ShiftModifier);
  Wheel({-120, 0});  // a wheel turned sideways
  EXPECT_EQ(handler_.events, (std::vector<std::string>{"wheel 1", "wheel -2 control",
                                                       "wheel 1 shift", "wheel -1 shift"}));
}

TEST_F(QtPictureWindowTest, AResizeByTheUserIsReported) {
  window_->Show();
  Shown().Widget()->resize(500, 420);
  ASSERT_TRUE(Within([&] { return !handler_.events.empty(); }));
  const PixelSize area = window_->AreaSize();
  EXPECT_EQ(area.width, 500);
  EXPECT_EQ(handler_.events.back(),
            "resized " + std::to_string(area.width) + "x" + std::to_string(area.height));
}

TEST_F(QtPictureWindowTest, TheUsersCloseIsReportedTheProgramsIsNot) {
  window_->Show();
  window_->Close();
  EXPECT_FALSE(window_->Visible());
  EXPECT_TRUE(handler_.events.empty());
  window_->Show();
  bool hiddenAtTheReport = false;
  handler_.onClosed = [&] { hiddenAtTheReport = !window_->Visible(); };
  Shown().Widget()->close();  // the close button
  EXPECT_EQ(handler_.events, std::vector<std::string>{"closed"});
  EXPECT_TRUE(hiddenAtTheReport);
  window_->Show();  // and it shows again
  EXPECT_TRUE(window_->Visible());
}

TEST_F(QtPictureWindowTest, AHandlerMayDestroyTheWindowAndNoneMayBeSet) {
  window_->Show();
  handler_.onKey = [&] { window_.reset(); };
  Press(Qt::Key_Escape);
  EXPECT_EQ(window_, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  PictureWindowSpec design;
  design.clientWidth = 3000;
  design.clientHeight = 3000;
  window_ = system_.CreatePictureWindow(design);
  window_->SetHandler(nullptr);
  window_->Show();
  Press(Qt::Key_Plus);
  Shown().Widget()->close();
  EXPECT_EQ(handler_.events.size(), 1u);
}

class QtListBoxEventsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::TestApplication(); }

  QtListBoxEventsTest() {
    WindowSpec design;
    design.clientWidth = 6615;
    design.clientHeight = 4995;
    window_ = system_.CreateWindow(design);
    list_ = &window_->AddListBox({"lstFiles", {105, 105, 5160, 2205}});
    for (const char* line : {"a.bmp", "b.bmp", "c.bmp"}) {
      list_->AddItem(line);
    }
    list_->SetOnOpenItem([this] { opened_.push_back(list_->ListIndex()); });
    list_->SetOnSelectionChanged([this] { selected_.push_back(list_->ListIndex()); });
    window_->Show();
    QCoreApplication::processEvents();
  }
  ~QtListBoxEventsTest() override {
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QListView& Widget() { return *WidgetOf(*list_); }
  QPoint LineCentre(int row) {
    return Widget().visualRect(Widget().model()->index(row, 0)).center();
  }

  QtWindowSystem system_;
  std::unique_ptr<Window> window_;
  ListBox* list_ = nullptr;
  std::vector<int> opened_;
  std::vector<int> selected_;
};

TEST_F(QtListBoxEventsTest, ADoubleClickOpensTheLineUnderIt) {
  QTest::mouseDClick(Widget().viewport(), Qt::LeftButton, Qt::NoModifier, LineCentre(1));
  EXPECT_EQ(opened_, std::vector<int>{1});
  // Below the last line there is nothing to open.
  QTest::mouseDClick(Widget().viewport(), Qt::LeftButton, Qt::NoModifier,
                     LineCentre(2) + QPoint(0, 100));
  EXPECT_EQ(opened_, std::vector<int>{1});
}

TEST_F(QtListBoxEventsTest, EnterOpensTheSelectedLineOnly) {
  Widget().setFocus();
  QTest::keyClick(&Widget(), Qt::Key_Return);
  EXPECT_TRUE(opened_.empty());  // nothing selected
  QTest::mouseClick(Widget().viewport(), Qt::LeftButton, Qt::NoModifier, LineCentre(2));
  QTest::keyClick(&Widget(), Qt::Key_Return);
  QTest::keyClick(&Widget(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(opened_, (std::vector<int>{2, 2}));
}

TEST_F(QtListBoxEventsTest, TheUsersSelectionsAreReportedTheProgramsAreNot) {
  QTest::mouseClick(Widget().viewport(), Qt::LeftButton, Qt::NoModifier, LineCentre(0));
  Widget().setFocus();
  QTest::keyClick(&Widget(), Qt::Key_Down);
  EXPECT_EQ(selected_, (std::vector<int>{0, 1}));

  list_->SetListIndex(2);
  QCoreApplication::processEvents();
  list_->SelectLast();
  QCoreApplication::processEvents();
  list_->RemoveItem(2);
  list_->AddItem("d.bmp");
  list_->Clear();
  QCoreApplication::processEvents();
  EXPECT_EQ(selected_, (std::vector<int>{0, 1}));
  EXPECT_TRUE(opened_.empty());
}

// The handlers of the stop signals are in place only while the object lives.
TEST(StopSignalsTest, EachSignalReachesTheEventLoopAndThePreviousHandlingComesBack) {
  testing::TestApplication();
  struct sigaction before {};
  sigaction(SIGHUP, nullptr, &before);
  std::vector<int> seen;
  {
    StopSignals stopSignals([&](int signal) { seen.push_back(signal); });
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
      raise(signal);
    }
    EXPECT_TRUE(seen.empty());  // nothing happens inside the handler
    ASSERT_TRUE(Within([&] { return seen.size() == 3; }));
  }
  EXPECT_EQ(seen, (std::vector<int>{SIGTERM, SIGHUP, SIGINT}));
  struct sigaction after {};
  sigaction(SIGHUP, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST(StopSignalsTest, ASignalStartedIgnoredStaysIgnored) {
  testing::TestApplication();
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  struct sigaction before {};
  sigaction(SIGHUP, &ignore, &before);  // as nohup starts a program
  std::vector<int> seen;
  {
    StopSignals stopSignals([&](int signal) { seen.push_back(signal); });
    struct sigaction now {};
    sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
    raise(SIGHUP);
    raise(SIGTERM);
    ASSERT_TRUE(Within([&] { return !seen.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(StopSignals::FirstSignal(), SIGTERM);
  }
  EXPECT_EQ(seen, std::vector<int>{SIGTERM});
  struct sigaction after {};
  sigaction(SIGHUP, &before, &after);
  EXPECT_EQ(after.sa_handler, SIG_IGN);  // left as it was found
}

TEST(StopSignalsTest, TheWindowSystemClosesDialogsAndWindowsAsTheirCloseButtonsDo) {
  testing::TestApplication();
  QtWindowSystem system;
  system.CatchStopSignals();
  WindowSpec design;
  design.clientWidth = 3000;
  design.clientHeight = 3000;
  const std::unique_ptr<Window> busy = system.CreateWindow(design);
  const std::unique_ptr<Window> idle = system.CreateWindow(design);
  int asked = 0;
  busy->SetCloseHandler([&] {
    ++asked;
    return false;  // a run is going on
  });
  busy->Show();
  idle->Show();
  const std::unique_ptr<PictureWindow> viewer = system.CreatePictureWindow({});
  RecordingHandler handler;
  viewer->SetHandler(&handler);
  viewer->Show();
  EXPECT_FALSE(system.InterruptRequested());

  raise(SIGTERM);
  ASSERT_TRUE(Within([&] { return asked == 1; }));
  EXPECT_TRUE(system.InterruptRequested());
  EXPECT_EQ(system.StopSignal(), SIGTERM);
  EXPECT_TRUE(system.QtCalls().Widget(busy->hWnd())->isVisible());
  EXPECT_FALSE(system.QtCalls().Widget(idle->hWnd())->isVisible());
  EXPECT_FALSE(viewer->Visible());
  EXPECT_EQ(handler.events, std::vector<std::string>{"closed"});
  // Nobody is left to answer a message box: it does not wait.
  QElapsedTimer clock;
  clock.start();
  system.MessageBox("Error", "it went wrong");
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  raise(SIGHUP);  // a second signal asks again; the first one is the one kept
  ASSERT_TRUE(Within([&] { return asked == 2; }));
  EXPECT_EQ(system.StopSignal(), SIGTERM);
}

}  // namespace
}  // namespace sprite::winsys::qt
