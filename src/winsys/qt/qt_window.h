// A top-level window on Qt and the controls placed on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "winsys/window_system.h"

#include <QtCore/QSize>
#include <QtGui/QFont>
#include <QtGui/QIcon>

class QMenuBar;
class QObject;
class QWidget;

namespace sprite::winsys::qt {

// The font of a design; a family that is not installed falls back to a close
// sans-serif.
QFont MakeFont(const FontSpec& design);
// The program's own icon, at every size a window system asks for.
QIcon ProgramIcon();

class QtControlHost;
class QtLabel;
class QtListBox;
class QtMenu;
class QtPushButton;
class QtTextBox;
class QtWindowCalls;
class TopLevelWidget;

// A window laid out in twips converted with the screen's real dots per inch,
// below its menu bar when it has one. A fixed-size one keeps its design's
// size; one that can be resized is at least that large, and its controls
// follow their anchors. Controls that take the focus join the tab chain in
// the order they are added. The widget is deleted later when the window is
// destroyed, since that may happen inside one of its own click handlers.
class QtWindow : public Window {
 public:
  QtWindow(const WindowSpec& design, QtWindowCalls& calls);
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

  PushButton& AddButton(const ControlSpec& design, const std::string& caption) override;
  ListBox& AddListBox(const ControlSpec& design) override;
  TextBox& AddTextBox(const ControlSpec& design, const std::string& text) override;
  Label& AddLabel(const ControlSpec& design, const std::string& caption) override;
  ControlHost& AddControlHost(const ControlSpec& design) override;
  void AddPictureBox(const ControlSpec& design, const Picture& picture) override;
  void AddLine(TwipsPoint from, TwipsPoint to, std::uint32_t colour) override;
  Menu& AddMenu(const std::string& caption) override;

  HWND hWnd() const override { return handle_; }
  void Show() override;
  void Close() override;
  void SetCloseHandler(std::function<bool()> handler) override;

  TopLevelWidget* Widget() const { return widget_; }
  // The menu bar; nullptr before the first menu.
  QMenuBar* MenuBar() const { return menuBar_; }

 private:
  struct PlacedControl {
    QWidget* widget;
    PixelRect design;
    Anchors anchors;
  };

  int PixelsX(std::int32_t twips) const;
  int PixelsY(std::int32_t twips) const;
  void Place(QWidget* control, const ControlSpec& design, bool takesFocus);
  // The window's least size (its size, when fixed) for the client area and the menu bar.
  void SetSizeLimits();
  // Places the menu bar and every control for the window's size.
  void LayOut();
  int MenuHeight() const;

  QtWindowCalls& calls_;
  double twipsPerPixelX_;
  double twipsPerPixelY_;
  TopLevelWidget* widget_;
  std::unique_ptr<QObject> context_;  // clicks reach handlers while it exists
  HWND handle_ = 0;
  bool centred_;
  bool fixed_;
  QSize client_;  // the design's client area, in pixels
  QMenuBar* menuBar_ = nullptr;
  bool placed_ = false;
  QWidget* firstFocus_ = nullptr;
  QWidget* lastFocus_ = nullptr;
  std::vector<std::unique_ptr<QtPushButton>> buttons_;
  std::vector<std::unique_ptr<QtListBox>> listBoxes_;
  std::vector<std::unique_ptr<QtTextBox>> textBoxes_;
  std::vector<std::unique_ptr<QtLabel>> labels_;
  std::vector<std::unique_ptr<QtControlHost>> hosts_;
  std::vector<std::unique_ptr<QtMenu>> menus_;
  std::vector<PlacedControl> placedControls_;
};

}  // namespace sprite::winsys::qt
