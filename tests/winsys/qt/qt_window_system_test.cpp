#include "winsys/qt/qt_window_system.h"

#include <gtest/gtest.h>

#include <QtCore/QElapsedTimer>
#include <QtCore/QMimeData>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtCore/QUrl>
#include <QtGui/QDropEvent>
#include <QtGui/QFontDatabase>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListView>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QScrollBar>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/error.h"
#include "winsys/qt/qt_test_support.h"
#include "winsys/qt/qt_window_calls.h"

namespace sprite::winsys::qt {
namespace {

int Pixels(std::int32_t twips, double perPixel) {
  return static_cast<int>(std::lround(twips / perPixel));
}

WindowSpec MainSpec() {
  WindowSpec design;
  design.caption = "Sprite Encoder";
  design.clientWidth = 6615;
  design.clientHeight = 4995;
  design.font = FontSpec{"Tahoma", 8.25, 400, 238};
  return design;
}

class QtWindowSystemTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::TestApplication(); }

  ~QtWindowSystemTest() override {
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QWidget& Top() { return *system_.QtCalls().Widget(window_->hWnd()); }
  template <typename T>
  T* Find(const char* name) {
    return Top().findChild<T*>(QString::fromLatin1(name));
  }
  void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
  }

  QtWindowSystem system_;
  std::unique_ptr<Window> window_ = system_.CreateWindow(MainSpec());
};

TEST_F(QtWindowSystemTest, FixedClientAreaFromTwipsAtTheScreensDpi) {
  const double perPixel = QtWindowSystem::TwipsPerPixelX();
  EXPECT_NEAR(perPixel * QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 1440.0, 1e-9);
  const QSize client(Pixels(6615, perPixel), Pixels(4995, QtWindowSystem::TwipsPerPixelY()));
  EXPECT_EQ(Top().size(), client);
  EXPECT_EQ(Top().minimumSize(), client);
  EXPECT_EQ(Top().maximumSize(), client);
  EXPECT_EQ(Top().windowTitle(), "Sprite Encoder");

  const Qt::WindowFlags flags = Top().windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));

  const QIcon icon = Top().windowIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.pixmap(48, 48).size(), QSize(48, 48));
}

TEST_F(QtWindowSystemTest, FontFallsBackToACloseSansSerif) {
  const QFont font = Top().font();
  const QString expected =
      QFontDatabase::hasFamily("Tahoma") ? QStringLiteral("Tahoma") : QStringLiteral("DejaVu Sans");
  EXPECT_EQ(font.family(), expected);
  EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
  EXPECT_EQ(font.weight(), QFont::Normal);
}

TEST_F(QtWindowSystemTest, TabFollowsTheOrderOfCreationFromTheFirstControl) {
  window_->AddListBox({"List1", {105, 3255, 6420, 1620}});
  window_->AddButton({"Command1", {5355, 105, 1170, 330}}, "&Add");
  window_->AddLabel({"lblNote", {0, 0, 600, 200}}, "no focus");
  window_->AddControlHost({"oProgressBar1", {105, 2835, 5160, 120}});
  window_->AddListBox({"lstFiles", {105, 105, 5160, 2205}});
  window_->AddTextBox({"txtOut", {105, 2415, 5160, 330}}, "#");
  window_->AddButton({"Command2", {5355, 2415, 1170, 330}}, "&Browse");
  window_->Show();
  QCoreApplication::processEvents();

  std::vector<std::string> visited;
  for (int i = 0; i < 5; ++i) {
    QWidget* focused = Top().focusWidget();
    ASSERT_NE(focused, nullptr);
    visited.push_back(focused->objectName().toStdString());
    PressKey(focused, Qt::Key_Tab);
  }
  EXPECT_EQ(visited,
            (std::vector<std::string>{"List1", "Command1", "lstFiles", "txtOut", "Command2"}));
  EXPECT_EQ(Top().focusWidget()->objectName(), "List1");  // round again
}

TEST_F(QtWindowSystemTest, ListBoxKeepsOrderSelectsAndChecksIndexes) {
  ListBox& list = window_->AddListBox({"lstFiles", {105, 105, 5160, 2205}});
  EXPECT_EQ(list.ListCount(), 0);
  EXPECT_EQ(list.ListIndex(), -1);
  for (const char* line : {"b.bmp", "a.bmp", "b.bmp", "Zürich.bmp"}) {
    list.AddItem(line);
  }
  EXPECT_EQ(list.ListCount(), 4);
  EXPECT_EQ(list.List(0), "b.bmp");
  EXPECT_EQ(list.List(1), "a.bmp");
  EXPECT_EQ(list.List(3), "Zürich.bmp");

  list.SetListIndex(3);
  EXPECT_EQ(list.ListIndex(), 3);
  list.RemoveItem(1);
  EXPECT_EQ(list.ListCount(), 3);
  EXPECT_EQ(list.List(1), "b.bmp");
  EXPECT_EQ(list.ListIndex(), 2);
  list.SetListIndex(-1);
  EXPECT_EQ(list.ListIndex(), -1);

  EXPECT_THROW(list.List(3), InvalidArgumentError);
  EXPECT_THROW(list.List(-1), InvalidArgumentError);
  EXPECT_THROW(list.RemoveItem(5), InvalidArgumentError);
  EXPECT_THROW(list.SetListIndex(-2), InvalidArgumentError);
  list.SetListIndex(1);
  list.Clear();
  EXPECT_EQ(list.ListCount(), 0);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_THROW(list.SetListIndex(0), InvalidArgumentError);
  // A name that is not UTF-8 (a Latin-1 é) comes back as its bytes.
  list.AddItem("caf\xE9.bmp");
  EXPECT_EQ(list.List(0), "caf\xE9.bmp");
}

TEST_F(QtWindowSystemTest, ArrowKeysMoveTheSelectionThroughTheLines) {
  ListBox& list = window_->AddListBox({"lstFiles", {105, 105, 5160, 2205}});
  for (const char* line : {"a.bmp", "b.bmp", "c.bmp"}) {
    list.AddItem(line);
  }
  window_->Show();
  list.SetListIndex(0);
  QCoreApplication::processEvents();
  auto* widget = Find<QListView>("lstFiles");
  widget->setFocus();
  PressKey(widget, Qt::Key_Down);
  PressKey(widget, Qt::Key_Down);
  EXPECT_EQ(list.ListIndex(), 2);
  PressKey(widget, Qt::Key_Up);
  EXPECT_EQ(list.ListIndex(), 1);
}

TEST_F(QtWindowSystemTest, SelectingTheLastOfManyLinesScrollsItIntoView) {
  ListBox& log = window_->AddListBox({"List1", {105, 3255, 6420, 1620}});
  window_->Show();
  for (int i = 0; i < 5000; ++i) {
    log.AddItem("Adding: picture " + std::to_string(i));
  }
  log.SetListIndex(10);
  log.SetListIndex(static_cast<std::int16_t>(log.ListCount() - 1));
  EXPECT_EQ(log.ListIndex(), 4999);
  QCoreApplication::processEvents();
  auto* widget = Find<QListView>("List1");
  EXPECT_EQ(log.ListIndex(), 4999);
  EXPECT_EQ(widget->currentIndex().row(), 4999);
  EXPECT_EQ(widget->selectionModel()->selectedIndexes().size(), 1);
  const QRect last = widget->visualRect(widget->model()->index(4999, 0));
  EXPECT_TRUE(widget->viewport()->rect().contains(last.center()));
  EXPECT_EQ(widget->selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(QtWindowSystemTest, LogFollowsItsNewestLineUnlessScrolledUpAndScrollsSideways) {
  ListBox& log = window_->AddListBox({"List1", {105, 3255, 6420, 1620}});
  window_->Show();
  auto* widget = Find<QListView>("List1");
  QScrollBar* bar = widget->verticalScrollBar();
  const auto append = [&](int lines) {
    for (int i = 0; i < lines; ++i) {
      log.AddItem("Processing bitmap: " + std::to_string(i));
    }
    QCoreApplication::processEvents();
  };
  append(200);
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(log.ListIndex(), -1);  // followed without selecting

  bar->setValue(10);  // the user scrolls up to read
  append(200);
  EXPECT_EQ(bar->value(), 10);

  bar->setValue(bar->maximum());  // and back down
  append(50);
  EXPECT_EQ(bar->value(), bar->maximum());

  EXPECT_EQ(widget->horizontalScrollBar()->maximum(), 0);
  log.AddItem("ERROR: \"/home/ann/sprites/" + std::string(300, 'x') + ".bmp\" is damaged");
  QCoreApplication::processEvents();
  EXPECT_GT(widget->horizontalScrollBar()->maximum(), 0);
}

TEST_F(QtWindowSystemTest, ALongLogStillTakesEveryLineAndShowsTheNewest) {
  ListBox& log = window_->AddListBox({"List1", {105, 3255, 6420, 1620}});
  window_->Show();
  auto* widget = Find<QListView>("List1");
  // Long enough for new lines to come in spaced batches; events now and then, as in a run.
  constexpr int kLines = 12000;
  for (int i = 0; i < kLines; ++i) {
    log.AddItem("Processing bitmap: " + std::to_string(i + 1));
    if (i % 100 == 99) {
      QCoreApplication::processEvents();
    }
  }
  const QAbstractItemModel& lines = *widget->model();
  const auto newestShown = [&] {
    const QRect newest = widget->visualRect(lines.index(kLines - 1, 0));
    return lines.rowCount() == kLines && widget->viewport()->rect().contains(newest.center());
  };
  EXPECT_TRUE(QTest::qWaitFor(newestShown, 10000));
}

TEST_F(QtWindowSystemTest, SidewaysScrollReachesTheEndOfEveryLine) {
  ListBox& log = window_->AddListBox({"List1", {105, 3255, 6420, 1620}});
  window_->Show();
  auto* widget = Find<QListView>("List1");
  // Lines measured from their characters' advances, kerned pairs, and others shaped.
  for (const std::string& line :
       {"Processing bitmap: 12345 " + std::string(60, 'W'),
        std::string("AVAVAVAV To Ty Wa Yo LT AVAVAVAV To Ty Wa Yo LT AVAVAVAV To Ty Wa Yo LT AVAV"),
        "\"/home/ann/\xC3\xA9t\xC3\xA9/" + std::string(80, 'i') + "\"",
        "\"/home/ann/\xE6\xBC\xA2\xE5\xAD\x97/" + std::string(70, 'm') + "\""}) {
    SCOPED_TRACE(line);
    log.Clear();
    log.AddItem(line);
    QCoreApplication::processEvents();
    const int shaped = widget->fontMetrics().horizontalAdvance(QString::fromStdString(line));
    EXPECT_GE(widget->horizontalScrollBar()->maximum() + widget->viewport()->width(), shaped);
  }
}

TEST_F(QtWindowSystemTest, DroppedFilesAndTheDeleteKeyReachTheirHandlers) {
  ListBox& list = window_->AddListBox({"lstFiles", {105, 105, 5160, 2205}});
  TextBox& box = window_->AddTextBox({"txtOut", {105, 2415, 5160, 330}}, "#");
  std::vector<std::string> listDrops;
  std::vector<std::string> boxDrops;
  int deletes = 0;
  list.SetOnFilesDropped([&](const std::vector<std::string>& paths) { listDrops = paths; });
  list.SetOnDeleteKey([&] { ++deletes; });
  box.SetOnFilesDropped([&](const std::vector<std::string>& paths) { boxDrops = paths; });

  QMimeData files;
  files.setUrls({QUrl::fromLocalFile("/home/ann/b.bmp"), QUrl("https://example.org/x.bmp"),
                 QUrl::fromLocalFile("/home/ann/a é.bmp")});
  // A drop comes after the drag entered and was accepted, as from a file manager.
  const auto drop = [&](QWidget* target) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
  };
  window_->Show();
  drop(Find<QListView>("lstFiles")->viewport());
  EXPECT_EQ(listDrops, (std::vector<std::string>{"/home/ann/b.bmp", "/home/ann/a é.bmp"}));
  drop(Find<QLineEdit>("txtOut"));
  EXPECT_EQ(boxDrops, listDrops);

  PressKey(Find<QListView>("lstFiles"), Qt::Key_Delete);
  EXPECT_EQ(deletes, 1);
}

TEST_F(QtWindowSystemTest, RefreshDropsUserInputButLetsACloseThrough) {
  PushButton& button = window_->AddButton({"Command1", {5355, 105, 1170, 330}}, "&Add");
  int clicks = 0;
  button.SetOnClick([&] { ++clicks; });
  bool askedToClose = false;
  window_->SetCloseHandler([&] {
    askedToClose = true;
    return false;
  });
  window_->Show();
  auto* widget = Find<QPushButton>("Command1");
  const QPoint centre = widget->rect().center();
  QCoreApplication::postEvent(
      widget, new QMouseEvent(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(
      widget, new QMouseEvent(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre),
                              Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
  QTimer::singleShot(0, &Top(), [&] { Top().close(); });
  QThread::msleep(QtWindowSystem::kYieldIntervalMs + 5);
  system_.Refresh();
  EXPECT_TRUE(askedToClose);
  QCoreApplication::processEvents();
  EXPECT_EQ(clicks, 0);  // dropped, not held back for later
}

TEST_F(QtWindowSystemTest, ListCountPast16BitsIsAnOverflow) {
  ListBox& list = window_->AddListBox({"List1", {105, 3255, 6420, 1620}});
  for (int i = 0; i < 32767; ++i) {
    list.AddItem("x");
  }
  EXPECT_EQ(list.ListCount(), 32767);
  list.AddItem("one too many");
  EXPECT_THROW(list.ListCount(), OverflowError);
}

TEST_F(QtWindowSystemTest, TextBoxHasNoLengthLimit) {
  TextBox& box = window_->AddTextBox({"txtOut", {105, 2415, 5160, 330}}, "#");
  EXPECT_EQ(box.Text(), "#");
  const std::string path = "/tmp/" + std::string(100000, 'p') + "/Łódź.spr";
  box.SetText(path);
  EXPECT_EQ(box.Text(), path);
}

TEST_F(QtWindowSystemTest, ButtonsRunTheirHandlerOnlyWhenEnabled) {
  PushButton& button = window_->AddButton({"Command4", {5355, 1995, 1170, 330}}, "&Decode");
  int clicks = 0;
  button.SetOnClick([&] { ++clicks; });
  auto* widget = Find<QPushButton>("Command4");
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->text(), "&Decode");
  EXPECT_FALSE(widget->autoDefault());
  widget->click();
  button.SetEnabled(false);
  EXPECT_FALSE(button.Enabled());
  widget->click();
  EXPECT_EQ(clicks, 1);
}

TEST_F(QtWindowSystemTest, AControlDisabledWithTheFocusTakesItBackUnlessItMoved) {
  window_->AddListBox({"List1", {105, 3255, 6420, 1620}});
  window_->AddListBox({"lstFiles", {105, 105, 5160, 2205}});
  TextBox& out = window_->AddTextBox({"txtOut", {105, 2415, 5160, 330}}, "#");
  PushButton& decode = window_->AddButton({"Command4", {5355, 1995, 1170, 330}}, "&Decode");
  PushButton& remove = window_->AddButton({"Command5", {5355, 525, 1170, 330}}, "&Remove");
  // As a Decode disables them, in the order of creation.
  const auto setEnabled = [&](bool enabled) {
    out.SetEnabled(enabled);
    decode.SetEnabled(enabled);
    remove.SetEnabled(enabled);
  };
  window_->Show();
  QCoreApplication::processEvents();
  struct Row {
    const char* focused;
    const char* movedTo;  // by the user while the controls were disabled
    const char* expected;
  };
  for (const Row& row : {Row{"Command4", nullptr, "Command4"}, Row{"txtOut", nullptr, "txtOut"},
                         Row{"Command4", "lstFiles", "lstFiles"}}) {
    SCOPED_TRACE(row.focused);
    Find<QWidget>(row.focused)->setFocus();
    setEnabled(false);
    if (row.movedTo != nullptr) {
      Find<QWidget>(row.movedTo)->setFocus();
    }
    setEnabled(true);
    ASSERT_NE(Top().focusWidget(), nullptr);
    EXPECT_EQ(Top().focusWidget()->objectName().toStdString(), row.expected);
  }
}

TEST_F(QtWindowSystemTest, AFailingHandlerIsReportedInAMessageBox) {
  PushButton& button = window_->AddButton({"Command3", {5355, 1575, 1170, 330}}, "&Encode");
  button.SetOnClick([] { throw std::runtime_error("disk full"); });
  QString shown;
  testing::ModalCloser closer([&](QWidget& modal) {
    if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
      shown = box->text();
    }
  });
  Find<QPushButton>("Command3")->click();
  EXPECT_EQ(closer.Seen(), 1);
  EXPECT_EQ(shown, "disk full");
}

TEST_F(QtWindowSystemTest, HandlerMayDestroyItsOwnWindow) {
  PushButton& button = window_->AddButton({"cmdOK", {4095, 3360, 1260, 345}}, "OK");
  button.SetOnClick([this] { window_.reset(); });
  QPointer<QPushButton> widget = Find<QPushButton>("cmdOK");
  widget->click();
  EXPECT_EQ(window_, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(widget.isNull());
}

TEST_F(QtWindowSystemTest, EnterAndEscPressTheDefaultAndCancelButtons) {
  PushButton& ok = window_->AddButton({"cmdOK", {4095, 3360, 1260, 345}}, "OK");
  PushButton& info = window_->AddButton({"cmdSysInfo", {4095, 3780, 1245, 345}}, "&System Info...");
  window_->AddTextBox({"txtOut", {105, 105, 3000, 330}}, "");
  ok.SetDefault(true);
  ok.SetCancel(true);
  std::vector<std::string> pressed;
  ok.SetOnClick([&] { pressed.push_back("OK"); });
  info.SetOnClick([&] { pressed.push_back("info"); });
  window_->Show();
  PressKey(&Top(), Qt::Key_Return);
  PressKey(&Top(), Qt::Key_Escape);
  Find<QPushButton>("cmdSysInfo")->setFocus();
  PressKey(Find<QPushButton>("cmdSysInfo"), Qt::Key_Return);
  EXPECT_EQ(pressed, (std::vector<std::string>{"OK", "OK", "info"}));
}

TEST_F(QtWindowSystemTest, UserCloseAsksTheHandlerProgramCloseDoesNot) {
  int asked = 0;
  bool allow = false;
  window_->SetCloseHandler([&] {
    ++asked;
    return allow;
  });
  window_->Show();
  Top().close();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(Top().isVisible());
  allow = true;
  Top().close();
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(Top().isVisible());

  window_->Show();
  window_->Close();
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(Top().isVisible());
}

TEST_F(QtWindowSystemTest, MessageBoxIsTitledWithTheApplicationAndHasOnlyOk) {
  QString title;
  QString text;
  QString informativeText;
  Qt::TextFormat informativeFormat = Qt::AutoText;
  int buttons = 0;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool wideEnough = false;
  testing::ModalCloser closer([&](QWidget& modal) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    icon = box->icon();
    // The whole title fits above a short text.
    wideEnough = box->width() > box->fontMetrics().horizontalAdvance(title);
    text = box->text();
    informativeText = box->informativeText();
    for (const QLabel* label : box->findChildren<QLabel*>()) {
      if (label->text() == informativeText) {
        informativeFormat = label->textFormat();
      }
    }
    buttons = static_cast<int>(box->buttons().size());
  });
  system_.MessageBox("Error <b>not bold</b>", "\"<i>.spr\" is not", MessageIcon::kError);
  EXPECT_EQ(closer.Seen(), 1);
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_TRUE(wideEnough);
  EXPECT_EQ(title, "Sprite Encoder / Decoder");
  EXPECT_EQ(text, "Error <b>not bold</b>");
  EXPECT_EQ(informativeText, "\"<i>.spr\" is not");
  EXPECT_EQ(informativeFormat, Qt::PlainText);
  EXPECT_EQ(buttons, 1);
}

TEST_F(QtWindowSystemTest, ShowModalReturnsWhenTheWindowCloses) {
  WindowSpec design;
  design.caption = "About Sprite Encoder / Decoder";
  design.clientWidth = 5475;
  design.clientHeight = 4215;
  auto about = system_.CreateWindow(design);
  PushButton& ok = about->AddButton({"cmdOK", {4095, 3360, 1260, 345}}, "OK");
  ok.SetOnClick([&] { about->Close(); });
  QWidget* aboutWidget = system_.QtCalls().Widget(about->hWnd());
  QTimer::singleShot(20, [&] {
    EXPECT_EQ(QApplication::activeModalWidget(), aboutWidget);
    aboutWidget->findChild<QPushButton*>("cmdOK")->click();
  });
  system_.ShowModal(*about);
  EXPECT_FALSE(aboutWidget->isVisible());

  // Unloaded from its own handler: the call returns as well.
  ok.SetOnClick([&] { about.reset(); });
  QTimer::singleShot(20, [&] { aboutWidget->findChild<QPushButton*>("cmdOK")->click(); });
  system_.ShowModal(*about);
  EXPECT_EQ(about, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(QtWindowSystemTest, YieldProcessesPendingEventsAtMostEvery15Ms) {
  int ran = 0;
  QElapsedTimer clock;
  clock.start();
  system_.Yield();  // the first yield processes at once
  QTimer::singleShot(0, [&] { ++ran; });
  system_.Yield();
  if (clock.elapsed() < QtWindowSystem::kYieldIntervalMs) {
    EXPECT_EQ(ran, 0);  // too soon: returned at once
  }
  QThread::msleep(QtWindowSystem::kYieldIntervalMs + 5);
  // The clock is read every few calls: one of the next handful processes.
  for (int call = 0; call < 16 && ran == 0; ++call) {
    system_.Yield();
  }
  EXPECT_EQ(ran, 1);
}

TEST_F(QtWindowSystemTest, ApplicationInformation) {
  const AppInfo info = system_.AppInformation();
  EXPECT_EQ(info.title, "Sprite Encoder / Decoder");
  EXPECT_EQ(info.major, 1);
  EXPECT_EQ(info.minor, 2);
  EXPECT_EQ(info.revision, 11);
  EXPECT_FALSE(system_.InterruptRequested());
}

TEST_F(QtWindowSystemTest, ControlHostMeasuresInTwips) {
  ControlHost& host = window_->AddControlHost({"oProgressBar1", {105, 2835, 5160, 120}});
  const double perPixel = QtWindowSystem::TwipsPerPixelX();
  EXPECT_DOUBLE_EQ(host.TwipsPerPixelX(), perPixel);
  EXPECT_DOUBLE_EQ(host.ScaleWidth(), Pixels(5160, perPixel) * perPixel);
  EXPECT_DOUBLE_EQ(host.ScaleHeight(), Pixels(120, host.TwipsPerPixelY()) * host.TwipsPerPixelY());
  QWidget* area = system_.QtCalls().Widget(host.hWnd());
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(area->parentWidget(), &Top());
  EXPECT_NE(host.hInstance(), 0);
  host.PropertyChanged("Value");
}

TEST_F(QtWindowSystemTest, PicturesAndLinesAreDrawnAndCheckedForSize) {
  Picture picture{2, 1, {255, 0, 0, 0, 0, 255}};
  window_->AddPictureBox({"picIcon", {105, 105, 1125, 3000}}, picture);
  window_->AddLine({105, 3255}, {5355, 3255}, 0x808080);
  const QImage shot = Top().grab().toImage();
  const double perPixel = QtWindowSystem::TwipsPerPixelX();
  const QPoint corner(Pixels(105, perPixel), Pixels(105, perPixel));
  EXPECT_EQ(shot.pixelColor(corner), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(corner + QPoint(1, 0)), QColor(0, 0, 255));
  EXPECT_EQ(shot.pixelColor(Pixels(2000, perPixel), Pixels(3255, perPixel)), QColor(128, 128, 128));

  picture.rgb.pop_back();
  EXPECT_THROW(window_->AddPictureBox({"bad", {0, 0, 10, 10}}, picture), InvalidArgumentError);
}

}  // namespace
}  // namespace sprite::winsys::qt
