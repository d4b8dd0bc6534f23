// The real window on Qt (offscreen): an entry of the file list opened in the
// viewer with the mouse and the keyboard, and the stop signals during a run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <QtCore/QElapsedTimer>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListView>
#include <QtWidgets/QPushButton>
#include <random>

#include "app/form1.h"
#include "app/test_files.h"
#include "files/posix/posix_file_system.h"
#include "viewer/frm_viewer.h"
#include "winsys/qt/qt_list_box.h"
#include "winsys/qt/qt_picture_window.h"
#include "winsys/qt/qt_small_controls.h"
#include "winsys/qt/qt_test_support.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::testing {
namespace {

using ::testing::StartsWith;

class ViewerWindowTest : public ::testing::Test {
 protected:
  ViewerWindowTest() {
    TestApplication();
    windows_ = std::make_unique<winsys::qt::QtWindowSystem>();
    form_ = std::make_unique<app::Form1>(*windows_, files_);
    form_->Show();
    window_ = windows_->QtCalls().Widget(form_->Window().hWnd());
  }
  ~ViewerWindowTest() override {
    form_.reset();
    windows_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QListView& FileList() { return *winsys::qt::WidgetOf(form_->Controls().lstFiles); }
  QPoint LineCentre(int row) {
    QApplication::processEvents();  // appended lines reach the view
    return FileList().visualRect(FileList().model()->index(row, 0)).center();
  }
  winsys::qt::QtPictureWindow& Viewer() {
    return dynamic_cast<winsys::qt::QtPictureWindow&>(*form_->Viewer()->LoadedWindow());
  }
  std::string Line() { return Viewer().Widget()->findChild<QLabel*>()->text().toStdString(); }
  // A bitmap of the given size: a frame of colour 1 around background.
  std::string WriteFramed(const std::string& name, std::int32_t width, std::int32_t height) {
    const std::int32_t stride = (width + 3) / 4 * 4;
    Bytes area(static_cast<std::size_t>(stride * height), 0);
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::int32_t x = 0; x < width; ++x) {
        if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
          area[static_cast<std::size_t>(y * stride + x)] = 1;
        }
      }
    }
    Bytes palette(1024, 0);
    palette[4] = 0x30;  // colour 1: blue 0x30, green 0x60, red 0xD0 (bitmap order)
    palette[5] = 0x60;
    palette[6] = 0xD0;
    palette[0] = 0xFF;  // colour 0 is pure blue, which the checkerboard hides
    const std::string path = folder_.Path(name);
    WriteFile(path, BuildBitmap(
                        {.width = width, .height = height, .palette = palette, .pixelArea = area}));
    return path;
  }

  TempFolder folder_;
  files::PosixFileSystem files_;
  std::unique_ptr<winsys::qt::QtWindowSystem> windows_;
  std::unique_ptr<app::Form1> form_;
  QWidget* window_ = nullptr;
};

TEST_F(ViewerWindowTest, DoubleClickShowsTheSpriteEnlargedPlusZoomsEscCloses) {
  const std::string frame = WriteFramed("frame.bmp", 40, 30);
  const std::string wide = WriteFramed("wide.bmp", 50, 30);
  form_->Controls().lstFiles.AddItem(frame);
  form_->Controls().lstFiles.AddItem(wide);

  QTest::mouseDClick(FileList().viewport(), Qt::LeftButton, Qt::NoModifier, LineCentre(0));
  ASSERT_NE(form_->Viewer(), nullptr);
  ASSERT_TRUE(Viewer().Visible());
  QWidget* top = Viewer().Widget();
  EXPECT_EQ(top->windowTitle().toStdString(), "frame.bmp - Sprite Viewer");
  const std::int32_t zoom = form_->Viewer()->Zoom();
  EXPECT_EQ(zoom, viewer::FitZoom(40, 30, Viewer().AreaSize()));
  ASSERT_GT(zoom, 2);
  ASSERT_LT(zoom, 15);
  EXPECT_THAT(Line(), StartsWith("frame.bmp: 40 \u00D7 30 pixels, 2 colours, shown at " +
                                 std::to_string(zoom) + "\u00D7"));

  // On the screen: the frame in its colour, the inside checkered, never blue.
  QImage shot = Viewer().Area()->grab().toImage();
  const winsys::PixelSize area = Viewer().AreaSize();
  const QPoint corner((area.width - 40 * zoom) / 2, (area.height - 30 * zoom) / 2);
  EXPECT_EQ(shot.pixelColor(corner), QColor(0xD0, 0x60, 0x30));
  EXPECT_EQ(shot.pixelColor(corner + QPoint(zoom, zoom)), QColor(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(shot.pixelColor(corner + QPoint(zoom + 8, zoom)), QColor(0xD0, 0xD0, 0xD0));

  // + and Ctrl+wheel on the viewer, which has the keyboard.
  QTest::keyClick(Viewer().Area(), Qt::Key_Minus);
  EXPECT_EQ(form_->Viewer()->Zoom(), zoom - 1);
  QWheelEvent turn(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 240), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Viewer().Area(), &turn);
  EXPECT_EQ(form_->Viewer()->Zoom(), zoom + 1);
  EXPECT_THAT(Line(), ::testing::EndsWith("shown at " + std::to_string(zoom + 1) + "\u00D7"));

  // Selecting the other entry shows it in the same window.
  QTest::mouseClick(FileList().viewport(), Qt::LeftButton, Qt::NoModifier, LineCentre(1));
  EXPECT_EQ(top->windowTitle().toStdString(), "wide.bmp - Sprite Viewer");
  EXPECT_EQ(Viewer().Widget(), top);

  QTest::keyClick(Viewer().Area(), Qt::Key_Escape);
  EXPECT_FALSE(top->isVisible());
  EXPECT_TRUE(window_->isVisible());

  // Enter on the selected entry opens it again.
  FileList().setFocus();
  QTest::keyClick(&FileList(), Qt::Key_Return);
  EXPECT_TRUE(top->isVisible());
  // The main window's close button closes the viewer with it.
  window_->close();
  EXPECT_FALSE(top->isVisible());
}

// A stop signal during a run stops it as the close button does: the old
// archive stays, no temporary file, and the window closes once it stopped.
class SignalDuringRunTest : public ViewerWindowTest,
                            public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(SignalDuringRunTest, StopsAsTheCloseButtonDoesAndLeavesOnlyWholeFiles) {
  const auto [signal, encode] = GetParam();
  windows_->CatchStopSignals();
  std::mt19937 random(7);
  constexpr int kPictures = 300;
  for (int i = 0; i < kPictures; ++i) {
    const std::string path = folder_.Path("p" + std::to_string(i) + ".bmp");
    WriteFile(path, BuildBitmap({.width = 64,
                                 .height = 64,
                                 .palette = TestPalette(1),
                                 .pixelArea = SpritePixelArea(random, 64, 64)}));
    form_->Controls().lstFiles.AddItem(path);
  }
  const std::string archive = folder_.Path("pack.spr");
  winsys::qt::WidgetOf(form_->Controls().txtOut)->setText(QString::fromStdString(archive));
  winsys::qt::WidgetOf(form_->Controls().Command3)->click();
  ASSERT_TRUE(form_->LastRun().completed);
  const Bytes old = ReadFile(archive);
  QTest::mouseDClick(FileList().viewport(), Qt::LeftButton, Qt::NoModifier, LineCentre(0));
  ASSERT_TRUE(Viewer().Visible());

  // The signal comes as soon as the run first lets events through, once the
  // interval since the last repaint has passed.
  QTimer::singleShot(0, window_, [signal = signal] { raise(signal); });
  QThread::msleep(winsys::qt::QtWindowSystem::kYieldIntervalMs + 5);
  if (encode) {
    // A run over other pictures, which would replace the archive.
    form_->Controls().lstFiles.RemoveItem(0);
    winsys::qt::WidgetOf(form_->Controls().Command3)->click();
  } else {
    winsys::qt::WidgetOf(form_->Controls().Command4)->click();
  }
  EXPECT_TRUE(form_->LastRun().cancelled);
  EXPECT_TRUE(windows_->InterruptRequested());
  // The windows close as soon as the event loop hears of the signal, if the
  // run did not let it meanwhile.
  QElapsedTimer clock;
  clock.start();
  while (window_->isVisible() && clock.elapsed() < 2000) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_EQ(windows_->StopSignal(), signal);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(Viewer().Visible());
  EXPECT_EQ(ReadFile(archive), old);
  std::size_t decoded = 0;
  for (const auto& name : folder_.Names()) {
    EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
    if (name.rfind("pack.spr.", 0) == 0) {
      ++decoded;
      EXPECT_EQ(ReadFile(folder_.Path(name)).size(), 1078u + 64 * 64) << name;
    }
  }
  EXPECT_LT(decoded, std::size_t{kPictures});
}

INSTANTIATE_TEST_SUITE_P(EachSignalDuringEachRun, SignalDuringRunTest,
                         ::testing::Combine(::testing::Values(SIGTERM, SIGHUP, SIGINT),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<int, bool>>& param) {
                           const int signal = std::get<0>(param.param);
                           return std::string(signal == SIGTERM  ? "SIGTERM"
                                              : signal == SIGHUP ? "SIGHUP"
                                                                 : "SIGINT") +
                                  (std::get<1>(param.param) ? "DuringEncode" : "DuringDecode");
                         });

}  // namespace
}  // namespace sprite::testing
