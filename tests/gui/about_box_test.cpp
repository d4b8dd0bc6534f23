// The About box on Qt (offscreen): shown modally and closed from the keyboard.
#include <gtest/gtest.h>

#include <algorithm>

#include <QtCore/QTimer>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>

#include "about/frm_about.h"
#include "files/posix/posix_file_system.h"
#include "winsys/qt/qt_test_support.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::testing {
namespace {

class AboutBoxTest : public ::testing::TestWithParam<int> {
 protected:
  QApplication& application_ = TestApplication();
  winsys::qt::QtWindowSystem windows_;
  files::PosixFileSystem files_;
  about::frmAbout about_{windows_, files_};
};

TEST_P(AboutBoxTest, KeyClosesTheShownWindow) {
  const int key = GetParam();
  QWidget* shown = nullptr;
  bool closedByKey = false;
  QTimer poll;
  int waitedMs = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    waitedMs += 10;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && shown == nullptr) {
      shown = modal;
      EXPECT_EQ(modal->windowTitle(), "About Sprite Encoder / Decoder");
      const QIcon icon = modal->windowIcon();
      EXPECT_FALSE(icon.pixmap(48, 48).isNull());
      // X11 drops an icon that has only sizes as large as 256 x 256.
      const QList<QSize> sizes = icon.availableSizes();
      EXPECT_TRUE(std::any_of(sizes.begin(), sizes.end(),
                              [](const QSize& size) { return size.width() <= 128; }));
      auto* picture = modal->findChild<QLabel*>("picIcon");
      ASSERT_NE(picture, nullptr);
      EXPECT_EQ(picture->pixmap().size(), QSize(75, 200));
      // The key goes where the user's would: to the focused control first.
      QWidget* target = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(target, &press);
      closedByKey = !modal->isVisible();
    }
    if (waitedMs > 5000 && modal != nullptr) {
      modal->close();  // so that a failing test ends
    }
  });
  poll.start(10);

  about_.Show();
  EXPECT_NE(shown, nullptr);
  EXPECT_TRUE(closedByKey);
  EXPECT_EQ(about_.LoadedWindow(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

INSTANTIATE_TEST_SUITE_P(EscAndEnter, AboutBoxTest,
                         ::testing::Values(Qt::Key_Escape, Qt::Key_Return), [](const auto& test) {
                           return std::string(test.param == Qt::Key_Escape ? "Esc" : "Enter");
                         });

}  // namespace
}  // namespace sprite::testing
