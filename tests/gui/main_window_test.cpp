// The real window on Qt (offscreen): filled and clicked as a user would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QtCore/QMimeData>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtCore/QUrl>
#include <QtGui/QDropEvent>
#include <QtGui/QKeyEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListView>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <random>
#include <set>

#include "app/form1.h"
#include "app/test_files.h"
#include "files/posix/posix_file_system.h"
#include "winsys/qt/qt_list_box.h"
#include "winsys/qt/qt_small_controls.h"
#include "winsys/qt/qt_test_support.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;

// Types names into an open file dialog's name box in `folder` and presses Enter.
ModalScript::Step ChooseInDialog(const QString& folder, const QString& typed) {
  return {&QFileDialog::staticMetaObject, [folder, typed](QWidget& modal) {
            auto& dialog = static_cast<QFileDialog&>(modal);
            dialog.setDirectory(folder);
            auto* names = dialog.findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(names, nullptr);
            names->setText(typed);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(names, &enter);
          }};
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    TestApplication();
    windows_ = std::make_unique<winsys::qt::QtWindowSystem>();
    form_ = std::make_unique<app::Form1>(*windows_, files_);
    form_->Show();
    window_ = windows_->QtCalls().Widget(form_->Window().hWnd());
  }

  app::Form1Controls Controls() { return form_->Controls(); }
  template <typename Control>
  auto& Widget(Control& control) {
    return *winsys::qt::WidgetOf(control);
  }

  TempFolder folder_;
  files::PosixFileSystem files_;
  std::unique_ptr<winsys::qt::QtWindowSystem> windows_;
  std::unique_ptr<app::Form1> form_;
  QWidget* window_ = nullptr;
};

TEST_F(MainWindowTest, ShowsTheControlsWithTheirCaptionsAndFocusInTheLog) {
  ASSERT_NE(window_, nullptr);
  EXPECT_EQ(window_->windowTitle().toStdString(), "Sprite Encoder");
  EXPECT_EQ(Widget(Controls().txtOut).text().toStdString(), "#");
  EXPECT_EQ(Widget(Controls().Command1).text().toStdString(), "&Add");
  EXPECT_EQ(Widget(Controls().cmdAbout).text().toStdString(), "About ;]");
  // 6615 x 4995 twips: 441 x 333 pixels at 96 dots per inch, scaled with the
  // screen, below the menu bar; that is the least size.
  const double scale = 1440.0 / winsys::qt::QtWindowSystem::TwipsPerPixelX() / 96.0;
  const auto* menuBar = window_->findChild<QMenuBar*>();
  ASSERT_NE(menuBar, nullptr);
  const int menu = menuBar->height();
  EXPECT_GT(menu, 0);
  EXPECT_NEAR(window_->width(), 441 * scale, 2);
  EXPECT_NEAR(window_->height() - menu,
              333 * scale * winsys::qt::QtWindowSystem::TwipsPerPixelX() /
                  winsys::qt::QtWindowSystem::TwipsPerPixelY(),
              2);
  EXPECT_EQ(window_->minimumSize(), window_->size());
  EXPECT_EQ(Widget(Controls().lstFiles).geometry().top(), menu + 7);

  // Made larger, the lists take the room and the buttons keep their column
  // beside the file list; the bars follow the width.
  const QRect files = Widget(Controls().lstFiles).geometry();
  const QRect add = Widget(Controls().Command1).geometry();
  const QRect log = Widget(Controls().List1).geometry();
  window_->resize(window_->width() + 200, window_->height() + 100);
  EXPECT_EQ(Widget(Controls().lstFiles).geometry(), files.adjusted(0, 0, 200, 50));
  EXPECT_EQ(Widget(Controls().Command1).geometry(), add.translated(200, 0));
  EXPECT_EQ(Widget(Controls().List1).geometry(), log.adjusted(0, 50, 200, 100));
  auto& calls = windows_->QtCalls();
  EXPECT_EQ(calls.Widget(Controls().oProgressBar1.BarWindow())->width(), files.width() + 200);
  window_->resize(window_->minimumSize());
  EXPECT_EQ(calls.Widget(Controls().oProgressBar1.BarWindow())->width(), files.width());
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), &Widget(Controls().List1));

  // Tab walks log, Add, file list, output box, Browse, Encode, Decode, Remove, About.
  const app::Form1Controls c = Controls();
  const std::vector<QWidget*> tabOrder{
      &Widget(c.List1),    &Widget(c.Command1), &Widget(c.lstFiles),
      &Widget(c.txtOut),   &Widget(c.Command2), &Widget(c.Command3),
      &Widget(c.Command4), &Widget(c.Command5), &Widget(c.cmdAbout)};
  std::vector<QWidget*> order;
  QWidget* widget = tabOrder.front();
  for (std::size_t i = 0; i < tabOrder.size(); ++i) {
    order.push_back(widget);
    widget = widget->nextInFocusChain();
    while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(window_)) {
      widget = widget->nextInFocusChain();
    }
  }
  EXPECT_EQ(order, tabOrder);
}

TEST_F(MainWindowTest, EncodeThenDecodeFillsTheListsTheBarsAndTheFolder) {
  std::mt19937 random(3);
  for (int i = 0; i < 3; ++i) {
    const std::string path = folder_.Path("p" + std::to_string(i) + ".bmp");
    WriteFile(path, BuildBitmap({.width = 20 + i,
                                 .height = 10,
                                 .palette = TestPalette(1),
                                 .pixelArea = SpritePixelArea(random, 20 + i, 10)}));
    Controls().lstFiles.AddItem(path);
  }
  const std::string archive = folder_.Path("pack.spr");
  Widget(Controls().txtOut).setText(QString::fromStdString(archive));

  Widget(Controls().Command3).click();
  QApplication::processEvents();
  auto& log = Widget(Controls().List1);
  const auto encoded = Lines(log);
  ASSERT_EQ(encoded.size(), 9u);
  EXPECT_EQ(encoded.front(), "Init");
  EXPECT_EQ(encoded[7], "Completed ");
  EXPECT_THAT(encoded.back(), ::testing::StartsWith("Stored 3 of 3 pictures in \"" + archive));
  EXPECT_EQ(log.currentIndex().row(), 7);  // the selection follows "Completed "
  EXPECT_EQ(Controls().oProgressBar1.Value(), 100);

  Widget(Controls().Command4).click();
  QApplication::processEvents();
  EXPECT_THAT(Lines(log), ElementsAre("Decoding...", "Processing bitmap: 1", "Processing bitmap: 2",
                                      "Processing bitmap: 3", "Decoded 3 pictures in .spr to .bmp",
                                      "Wrote 3 bitmaps into \"" + folder_.Root().string() + "\""));
  EXPECT_THAT(Lines(Widget(Controls().lstFiles)),
              ElementsAre(archive + ".0001.bmp", archive + ".0002.bmp", archive + ".0003.bmp"));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadFile(archive + ".000" + std::to_string(i + 1) + ".bmp"),
              ReadFile(folder_.Path("p" + std::to_string(i) + ".bmp")));
  }
  // The bars' own windows show what the control was told.
  auto& calls = windows_->QtCalls();
  const auto position = [&](const controls::oProgressBar& bar) {
    return calls.SendMessageA(bar.BarWindow(), winsys::PBM_GETPOS, 0, 0);
  };
  EXPECT_EQ(position(Controls().oProgressBar1), 100);
  EXPECT_EQ(position(Controls().oProgressBar2), Controls().oProgressBar2.Value());
  EXPECT_TRUE(Widget(Controls().Command4).isEnabled());
  EXPECT_TRUE(Widget(Controls().txtOut).isEnabled());
}

TEST_F(MainWindowTest, BothListsShowTheirNewestLinesWhileDecodeRuns) {
  for (int i = 0; i < 1500; ++i) {
    const std::string path = folder_.Path("p" + std::to_string(i) + ".bmp");
    WriteFile(path, BuildBitmap({.width = 16, .height = 16, .pixelArea = Bytes(256, 1)}));
    Controls().lstFiles.AddItem(path);
  }
  Widget(Controls().txtOut).setText(QString::fromStdString(folder_.Path("pack.spr")));
  Widget(Controls().Command3).click();
  ASSERT_TRUE(form_->LastRun().completed);

  // Whenever the running Decode lets the window repaint, the bottom strip of
  // each list, where its newest line is, holds more than the background.
  const auto newestLineDrawn = [](QListView& list) {
    const QImage shown = list.viewport()->grab().toImage();
    std::set<QRgb> colours;
    for (int y = shown.height() * 3 / 4; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) {
        colours.insert(shown.pixel(x, y));
      }
    }
    return colours.size() > 1;
  };
  int looks = 0;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    // Lines the view has been given: asking the list box would hand it the rest.
    if (Widget(Controls().Command4).isEnabled() ||
        Widget(Controls().lstFiles).model()->rowCount() < 20) {
      return;
    }
    ++looks;
    EXPECT_TRUE(newestLineDrawn(Widget(Controls().List1))) << "look " << looks;
    EXPECT_TRUE(newestLineDrawn(Widget(Controls().lstFiles))) << "look " << looks;
  });
  look.start(0);
  QThread::msleep(winsys::qt::QtWindowSystem::kYieldIntervalMs + 5);
  Widget(Controls().Command4).click();
  look.stop();
  ASSERT_TRUE(form_->LastRun().completed);
  EXPECT_GT(looks, 0);
}

TEST_F(MainWindowTest, FileThatIsNotAnArchiveShowsTheErrorBox) {
  const std::string path = folder_.Path("not.spr");
  WriteFile(path, Bytes(1500, 'x'));
  Widget(Controls().txtOut).setText(QString::fromStdString(path));
  std::string title;
  std::string text;
  ModalCloser closer([&](QWidget& modal) {
    title = modal.windowTitle().toStdString();
    if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
      text = box->text().toStdString();
    }
  });
  Widget(Controls().Command4).click();
  EXPECT_EQ(closer.Seen(), 1);
  EXPECT_EQ(title, "Sprite Encoder / Decoder");
  EXPECT_EQ(text, "Error");
  EXPECT_THAT(Lines(Widget(Controls().List1)), ElementsAre("Decoding..."));
  EXPECT_TRUE(Widget(Controls().Command4).isEnabled());
}

TEST_F(MainWindowTest, ClosingTheWindowDuringDecodeStopsCleanlyAndCloses) {
  std::mt19937 random(9);
  for (int i = 0; i < 20; ++i) {
    const std::string path = folder_.Path("p" + std::to_string(i) + ".bmp");
    WriteFile(path, BuildBitmap({.width = 64,
                                 .height = 64,
                                 .palette = TestPalette(1),
                                 .pixelArea = SpritePixelArea(random, 64, 64)}));
    Controls().lstFiles.AddItem(path);
  }
  const std::string archive = folder_.Path("pack.spr");
  Widget(Controls().txtOut).setText(QString::fromStdString(archive));
  Widget(Controls().Command3).click();
  ASSERT_TRUE(form_->LastRun().completed);

  // The user closes the window as soon as Decode first lets events through,
  // which it does once the interval since Encode's last repaint has passed.
  bool closedAtOnce = true;
  QTimer::singleShot(0, window_, [&] { closedAtOnce = window_->close(); });
  QThread::msleep(winsys::qt::QtWindowSystem::kYieldIntervalMs + 5);
  Widget(Controls().Command4).click();

  EXPECT_FALSE(closedAtOnce);  // not while the decoder is inside a yield
  EXPECT_TRUE(form_->LastRun().cancelled);
  EXPECT_FALSE(window_->isVisible());  // closed once the run had stopped
  for (const auto& name : folder_.Names()) {
    EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
    if (name.rfind("pack.spr.", 0) == 0) {
      EXPECT_EQ(ReadFile(folder_.Path(name)).size(), 1078u + 64 * 64) << name;
    }
  }
}

TEST_F(MainWindowTest, FileListCommandsThroughTheRealDialogsAndADrop) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
    WriteFile(folder_.Path(name), BuildBitmap({}));
  }
  const QString folder = QString::fromStdString(folder_.Root().string());
  auto& fileList = Widget(Controls().lstFiles);

  // Add: two files chosen at once join in the order of their names.
  ModalScript add({ChooseInDialog(folder, R"("b.bmp" "a.bmp")")});
  Widget(Controls().Command1).click();
  ASSERT_TRUE(add.Finished());
  QApplication::processEvents();  // appended lines reach the view when events are processed
  EXPECT_THAT(Lines(fileList), ElementsAre(folder_.Path("a.bmp"), folder_.Path("b.bmp")));

  // Alt+Up moves the selected entry up, wherever the focus is; a line
  // dragged with the mouse goes where it is dropped.
  fileList.setCurrentIndex(fileList.model()->index(1, 0));
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
  QTest::keyClick(&Widget(Controls().txtOut), Qt::Key_Up, Qt::AltModifier);
  QApplication::processEvents();
  EXPECT_THAT(Lines(fileList), ElementsAre(folder_.Path("b.bmp"), folder_.Path("a.bmp")));
  const QPoint first = fileList.visualRect(fileList.model()->index(0, 0)).center();
  const QPoint second = fileList.visualRect(fileList.model()->index(1, 0)).center();
  const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, at, fileList.viewport()->mapToGlobal(at), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(fileList.viewport(), &event);
  };
  mouse(QEvent::MouseButtonPress, first, Qt::LeftButton);
  mouse(QEvent::MouseMove, second, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, second, Qt::NoButton);
  QApplication::processEvents();
  EXPECT_THAT(Lines(fileList), ElementsAre(folder_.Path("a.bmp"), folder_.Path("b.bmp")));

  // Remove the selected entry.
  fileList.setCurrentIndex(fileList.model()->index(0, 0));
  Widget(Controls().Command5).click();
  EXPECT_THAT(Lines(fileList), ElementsAre(folder_.Path("b.bmp")));
  EXPECT_TRUE(fileList.selectionModel()->selectedIndexes().isEmpty());

  // Browse: a typed name gets the archive extension.
  ModalScript browse({ChooseInDialog(folder, "hero")});
  Widget(Controls().Command2).click();
  ASSERT_TRUE(browse.Finished());
  EXPECT_EQ(Widget(Controls().txtOut).text().toStdString(), folder_.Path("hero.spr"));

  // About opens modally and Esc closes it.
  std::string caption;
  ModalScript about({{&QWidget::staticMetaObject, [&](QWidget& modal) {
                        caption = modal.windowTitle().toStdString();
                        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                        QApplication::sendEvent(modal.focusWidget(), &escape);
                      }}});
  Widget(Controls().cmdAbout).click();
  EXPECT_EQ(caption, "About Sprite Encoder / Decoder");

  // Bitmaps dropped from a file manager join the list; other files do not.
  QMimeData dragged;
  dragged.setUrls({QUrl::fromLocalFile(folder + "/c.bmp"), QUrl::fromLocalFile(folder + "/x.txt")});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(fileList.viewport(), &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(fileList.viewport(), &drop);
  QApplication::processEvents();
  EXPECT_THAT(Lines(fileList), ElementsAre(folder_.Path("b.bmp"), folder_.Path("c.bmp")));
}

}  // namespace
}  // namespace sprite::testing
