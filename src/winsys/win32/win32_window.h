// A top-level window of the Win32 backend and the controls placed on it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "winsys/win32/win32_base_window.h"
#include "winsys/win32/win32_controls.h"
#include "winsys/win32/win32_drawing.h"
#include "winsys/win32/win32_menu.h"
#include "winsys/win32/win32_windows.h"
#include "winsys/window_system.h"

namespace sprite::winsys::win32 {

class Win32WindowSystem;

class Win32Window : public Window, public BaseWindow<Win32Window> {
 public:
  Win32Window(const WindowSpec& design, Win32WindowSystem& system);
  ~Win32Window() override;

  PushButton& AddButton(const ControlSpec& design, const std::string& caption) override;
  ListBox& AddListBox(const ControlSpec& design) override;
  TextBox& AddTextBox(const ControlSpec& design, const std::string& text) override;
  Label& AddLabel(const ControlSpec& design, const std::string& caption) override;
  ControlHost& AddControlHost(const ControlSpec& design) override;
  void AddPictureBox(const ControlSpec& design, const Picture& picture) override;
  void AddLine(TwipsPoint from, TwipsPoint to, std::uint32_t colour) override;
  // A menu of the menu bar in the non-client area: the client area keeps its size.
  Menu& AddMenu(const std::string& caption) override;

  HWND hWnd() const override { return LayerWindow(window_); }
  // Shows the window with the focus in the first control of the tab order.
  void Show() override;
  // Hides the window; the program ends when no window is left open.
  void Close() override;
  void SetCloseHandler(std::function<bool()> handler) override { onClose_ = std::move(handler); }

  bool Visible() const { return ::IsWindowVisible(window_) != 0; }
  unsigned Dpi() const { return dpi_; }
  // The menu items' shortcut keys; nullptr for none.
  ::HACCEL Accelerators() const { return menuBar_ ? menuBar_->Accelerators() : nullptr; }
  // Enter presses the default button, Esc the cancel button.
  void SetDefaultButton(Win32PushButton* button) { defaultButton_ = button; }
  void SetCancelButton(Win32PushButton* button) { cancelButton_ = button; }

  // Registers the window classes of the backend once.
  static void RegisterClasses();
  // The window of this backend a top-level window is; nullptr for any other.
  static const Win32Window* Of(::HWND window);

 private:
  struct PlacedControl {
    ::HWND window;
    TwipsRect rect;
    Anchors anchors;
  };
  struct Line {
    TwipsPoint from;
    TwipsPoint to;
    std::uint32_t colour;
  };

  friend class BaseWindow<Win32Window>;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  ::HWND Place(const ControlSpec& design, const wchar_t* className, const std::string& text,
               DWORD style, DWORD exStyle = 0);
  // Sizes the window for its design at `dpi` and lays it out.
  void LayOut(unsigned dpi);
  // The window's frame for its design's client area and menu bar at the window's dpi.
  ::SIZE DesignFrame() const;
  // Places every control for the client area's size, following its anchors.
  void PlaceControls();
  ::RECT ControlRect(const PlacedControl& control) const;
  void SetIcons(unsigned dpi);
  void Command(int id);
  void ListNotified(::HWND list, WORD code);
  LRESULT ListDragged(const DRAGLISTINFO& drag);
  void Paint();

  WindowSpec design_;
  Win32WindowSystem& system_;
  unsigned dpi_ = 96;
  ::HFONT font_ = nullptr;
  ::HICON bigIcon_ = nullptr;
  ::HICON smallIcon_ = nullptr;
  std::function<bool()> onClose_;
  std::vector<PlacedControl> placed_;
  std::vector<std::unique_ptr<Win32PushButton>> buttons_;
  std::vector<std::unique_ptr<Win32ListBox>> listBoxes_;
  std::vector<std::unique_ptr<Win32TextBox>> textBoxes_;
  std::vector<std::unique_ptr<Win32Label>> labels_;
  std::vector<std::unique_ptr<Win32ControlHost>> hosts_;
  std::vector<std::unique_ptr<DeviceBitmap>> pictures_;
  std::vector<Line> lines_;
  std::unique_ptr<Win32MenuBar> menuBar_;
  Win32PushButton* defaultButton_ = nullptr;
  Win32PushButton* cancelButton_ = nullptr;
  int nextId_ = 100;
};

}  // namespace sprite::winsys::win32
