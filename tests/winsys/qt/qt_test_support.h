#pragma once

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>
#include <QtWidgets/QListView>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// The lines a list box's view shows, in order.
inline std::vector<std::string> Lines(const QListView& view) {
  std::vector<std::string> lines;
  const QAbstractItemModel& model = *view.model();
  for (int row = 0; row < model.rowCount(); ++row) {
    lines.push_back(model.index(row, 0).data().toString().toStdString());
  }
  return lines;
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

  int Seen() const { return seen_; }

 private:
  std::function<void(QWidget&)> inspect_;
  QTimer timer_;
  int elapsedMs_ = 0;
  int seen_ = 0;
};

// Acts on modal widgets as they come up, one step after another: a step waits
// until the active modal widget is of its kind (QFileDialog::staticMetaObject,
// ...), and acts on it. A step may open further modal widgets: every check runs
// from a timer of its own, so checks go on inside the event loops they open.
// After `limitMs` whatever is modal is rejected, so a test cannot hang.
class ModalScript {
 public:
  struct Step {
    const QMetaObject* kind;
    std::function<void(QWidget&)> act;
    // Like a user, a step that types waits until the window has the keyboard.
    bool typing = false;
  };

  explicit ModalScript(std::vector<Step> steps, int limitMs = 10000)
      : steps_(std::move(steps)), limitMs_(limitMs) {
    clock_.start();
    Schedule();
  }

  // Whether every step has run.
  bool Finished() const { return next_ == steps_.size(); }

 private:
  void Schedule() {
    QTimer::singleShot(10, &context_, [this] { Check(); });
  }

  void Check() {
    QWidget* modal = QApplication::activeModalWidget();
    if (clock_.elapsed() > limitMs_) {
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
        Schedule();
      }
      return;
    }
    Schedule();
    if (modal != nullptr && !Finished() && steps_[next_].kind->cast(modal) != nullptr &&
        (!steps_[next_].typing || modal->isActiveWindow())) {
      steps_[next_++].act(*modal);
    }
  }

  std::vector<Step> steps_;
  int limitMs_;
  QElapsedTimer clock_;
  std::size_t next_ = 0;
  QObject context_;
};

}  // namespace sprite::testing
