#pragma once

#include <QtCore/QPointer>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "winsys/qt/progress_bar_widget.h"
#include "winsys/window_calls.h"

class QWidget;

namespace sprite::winsys::qt {

class ProgressBarWidget;

// Window calls on Qt widgets. Every window the calls can reach has an integer
// handle in one table: the windows and control hosts registered by the window
// system, and the "msctls_progress32" windows CreateWindowExA makes (the only
// class it knows; any other name fails with 0). Handles are never reused.
class QtWindowCalls : public WindowCalls {
 public:
  QtWindowCalls();
  ~QtWindowCalls() override;
  QtWindowCalls(const QtWindowCalls&) = delete;
  QtWindowCalls& operator=(const QtWindowCalls&) = delete;

  // Gives a widget a handle. Returns 0 once the handles are used up.
  HWND Register(QWidget* widget);
  // Drops the handles of `root` and of every registered widget inside it.
  void Forget(const QWidget* root);
  // nullptr for 0, an unknown handle or a widget that no longer exists.
  QWidget* Widget(HWND window) const;
  ProgressBarWidget* ProgressBar(HWND window) const;
  // 0 when the widget has no handle.
  HWND Handle(const QWidget* widget) const;

  void InitCommonControls() override {}
  HWND CreateWindowExA(std::int32_t exStyle, const std::string& className,
                       const std::string& windowName, std::uint32_t style, std::int32_t x,
                       std::int32_t y, std::int32_t width, std::int32_t height, HWND parent,
                       std::int32_t menu, HINSTANCE instance, LPARAM param) override;
  // Only windows made by CreateWindowExA can be destroyed through here.
  bool DestroyWindow(HWND window) override;
  bool MoveWindow(HWND window, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, bool repaint) override;
  LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // A window taken out of its parent stays hidden until it is given one again.
  HWND SetParent(HWND child, HWND newParent) override;
  bool ShowWindow(HWND window, std::int32_t command) override;
  std::int32_t SetWindowLongA(HWND window, std::int32_t index, std::int32_t value) override;
  bool SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y, std::int32_t cx,
                    std::int32_t cy, UINT flags) override;
  // RGB values pass unchanged; system colours come from the application palette.
  std::int32_t OleTranslateColor(std::uint32_t colour, HPALETTE palette,
                                 std::uint32_t* rgb) override;

 private:
  std::unordered_map<HWND, QPointer<QWidget>> windows_;
  std::unordered_set<HWND> created_;
  HWND nextHandle_ = 1;
  HWND lastBarHandle_ = 0;
  QPointer<ProgressBarWidget> lastBar_;
};

}  // namespace sprite::winsys::qt
