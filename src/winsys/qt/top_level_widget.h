// The widget of a top-level window: asks before it closes, and presses the
// default and cancel buttons for Enter and Esc.
#pragma once

#include <QtCore/QPointer>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QWidget>
#include <functional>

namespace sprite::winsys::qt {

class TopLevelWidget : public QWidget {
 public:
  TopLevelWidget() = default;

  // Asked before the window closes at the user's request; false keeps it open.
  std::function<bool()> closeHandler;
  std::function<void()> closed;  // after the window closed, for a modal loop
  std::function<void()> resized;
  bool closingByProgram = false;
  QPointer<QPushButton> defaultButton;
  QPointer<QPushButton> cancelButton;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Enter presses the focused button, else the default one; Esc the cancel one.
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace sprite::winsys::qt
