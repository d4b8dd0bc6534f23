// The picture window on Qt: a resizable top-level widget with the picture
// area above a line of text.
#pragma once

#include <QtCore/QPointer>
#include <string>

#include "winsys/window_system.h"

class QWidget;

namespace sprite::winsys::qt {

class PictureWindowWidget;

// The widget is deleted later when the window is destroyed, since that may
// happen inside one of its own handlers.
class QtPictureWindow : public PictureWindow {
 public:
  QtPictureWindow(const PictureWindowSpec& design, double twipsPerPixelX, double twipsPerPixelY);
  ~QtPictureWindow() override;
  QtPictureWindow(const QtPictureWindow&) = delete;
  QtPictureWindow& operator=(const QtPictureWindow&) = delete;

  void SetHandler(PictureWindowHandler* handler) override;
  void SetCaption(const std::string& caption) override;
  void SetPicture(const Picture& picture) override;
  void SetText(const std::string& text) override;
  PixelSize AreaSize() const override;
  void Show() override;
  void Close() override;
  bool Visible() const override;
  void SetTimer(std::int32_t intervalMs) override;

  // The top-level widget, for a test.
  QWidget* Widget() const;
  // The picture area, which takes the keyboard.
  QWidget* Area() const;

 private:
  QPointer<PictureWindowWidget> widget_;
};

}  // namespace sprite::winsys::qt
