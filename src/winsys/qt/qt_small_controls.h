// The small controls of a window: text box, push button, label, picture box and line.
#pragma once

#include <QtCore/QPoint>
#include <QtGui/QIcon>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "winsys/window_system.h"

class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QWidget;

namespace sprite::winsys::qt {

class FileDropLineEdit;
class TopLevelWidget;

// A one-line text box without a length limit. Files dropped onto it go to the
// drop handler; dropped text is inserted as usual.
class QtTextBox : public TextBox {
 public:
  explicit QtTextBox(QWidget* parent);

  QLineEdit* Widget() const;

  std::string Text() const override;
  void SetText(const std::string& text) override;
  void SetEnabled(bool enabled) override;
  void SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> handler) override;
  void SetOnEnter(std::function<void()> handler) override;

 private:
  FileDropLineEdit* edit_;
};

// A push button; Enter and Esc reach the window's default and cancel buttons.
class QtPushButton : public PushButton {
 public:
  // `context` ends the clicks when it is destroyed.
  QtPushButton(const std::string& caption, TopLevelWidget* window, QObject* context);

  QPushButton* Widget() const { return button_; }

  void SetEnabled(bool enabled) override;
  bool Enabled() const override;
  void SetOnClick(std::function<void()> handler) override;
  void SetDefault(bool isDefault) override;
  void SetCancel(bool isCancel) override;

 private:
  QPushButton* button_;
  TopLevelWidget* window_;
  std::function<void()> handler_;
};

// A label of plain text that wraps; "&" before a letter marks an access key
// and is not shown.
class QtLabel : public Label {
 public:
  explicit QtLabel(QWidget* parent);

  QLabel* Widget() const { return label_; }

  void SetCaption(const std::string& caption) override;

 private:
  QLabel* label_;
};

// A picture box showing `picture` at its top left corner. Throws
// InvalidArgumentError for a picture whose bytes do not match its size.
QLabel* MakePictureBox(const Picture& picture, QWidget* parent);
// The picture as a window icon.
QIcon PictureIcon(const Picture& picture);

// The widget of a control that a Qt window made, for a tool or a test that
// fills and clicks it. InvalidArgumentError for a control of another backend.
QLineEdit* WidgetOf(TextBox& control);
QPushButton* WidgetOf(PushButton& control);
QLabel* WidgetOf(Label& control);

// A line from one point of the parent to another, in pixels, that takes no input.
QWidget* MakeLine(const QPoint& from, const QPoint& to, std::uint32_t rgb, QWidget* parent);

}  // namespace sprite::winsys::qt
