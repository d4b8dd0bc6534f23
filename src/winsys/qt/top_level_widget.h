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

  // Disables or enables a control of this window. Qt moves the focus of a
  // control it disables on to the next one; the control takes it back when
  // it is enabled again and the focus is still where it went, as a Windows
  // control keeps the focus while it is disabled. So a run that disables the
  // buttons leaves the keyboard on the one that started it.
  void SetControlEnabled(QWidget& control, bool enabled);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Enter presses the focused button, else the default one; Esc the cancel one.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The first control disabled with the focus, and where the focus went.
  QPointer<QWidget> focusLeft_;
  QPointer<QWidget> focusWentTo_;
};

}  // namespace sprite::winsys::qt
