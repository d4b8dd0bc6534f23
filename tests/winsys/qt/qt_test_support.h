#pragma once

#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QWidget>
#include <functional>
#include <memory>

namespace sprite::testing {

// The one QApplication of the test program, made on first use and kept to the
// end: widgets deleted later may still need it.
inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "qt_backend_tests";
  static char* argv[] = {name, nullptr};
  static auto* application = new QApplication(argc, argv);
  return *application;
}

// Waits, inside whatever event loop runs, for a modal widget to come up, hands
// it to `inspect` and closes it. Gives up after `limitMs` so a test cannot hang.
class ModalCloser {
 public:
  explicit ModalCloser(std::function<void(QWidget&)> inspect, int limitMs = 5000)
      : inspect_(std::move(inspect)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this, limitMs] {
      elapsedMs_ += 10;
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) {
        if (elapsedMs_ > limitMs) {
          timer_.stop();
        }
        return;
      }
      timer_.stop();
      ++seen_;
      if (inspect_) {
        inspect_(*modal);
      }
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        box->done(QMessageBox::Ok);
      } else {
        modal->close();
      }
    });
    timer_.start();
  }

  int seen() const { return seen_; }

 private:
  std::function<void(QWidget&)> inspect_;
  QTimer timer_;
  int elapsedMs_ = 0;
  int seen_ = 0;
};

}  // namespace sprite::testing
