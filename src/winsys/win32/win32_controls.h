// The controls of the Win32 backend: the system's list box, edit, button and
// static controls, and a plain child window for controls that draw themselves.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "winsys/win32/win32_windows.h"
#include "winsys/window_system.h"

namespace sprite::winsys::win32 {

class Win32Window;

using FilesHandler = std::function<void(const std::vector<std::string>&)>;

// Runs a handler of the user's doing; an exception it lets out is shown in a
// message box over `owner` instead of unwinding through the system's frames.
void RunGuarded(const std::function<void()>& handler, ::HWND owner);

// What a list box or text box is told of beyond its own work: files dropped
// onto it (WM_DROPFILES), the Delete key, and Enter while `takesEnter` says so
// (taken from the window's default button).
class InputHooks {
 public:
  explicit InputHooks(::HWND window);
  ~InputHooks();
  InputHooks(const InputHooks&) = delete;
  InputHooks& operator=(const InputHooks&) = delete;

  FilesHandler onFilesDropped;
  std::function<void()> onDeleteKey;
  std::function<bool()> takesEnter;
  std::function<void()> onEnterKey;

 private:
  static LRESULT CALLBACK Procedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self);
  ::HWND window_;
};

// The system's list box. A line wider than the list widens its horizontal
// scroll range; a list showing its last line follows each new one, one the
// user scrolled up stays where it is.
class Win32ListBox : public ListBox {
 public:
  explicit Win32ListBox(::HWND window) : window_(window), hooks_(window) {}

  void Clear() override;
  // Appends the line as a new last line.
  void AddItem(const std::string& line) override;
  std::int16_t ListCount() const override;
  std::string List(std::int16_t index) const override;
  std::int16_t ListIndex() const override;
  void SetListIndex(std::int16_t index) override;
  void SelectLast() override;
  void RemoveItem(std::int16_t index) override;
  void InsertItem(std::int16_t index, const std::string& line) override;
  void SetOnFilesDropped(FilesHandler handler) override;
  void SetOnDeleteKey(std::function<void()> handler) override;
  // LBN_SELCHANGE, which the list box sends for the user's selections only.
  void SetOnSelectionChanged(std::function<void()> handler) override;
  // LBN_DBLCLK on a line, or Enter with a line selected.
  void SetOnOpenItem(std::function<void()> handler) override;
  // The system's drag list (MakeDragList): an arrow shows where the line goes.
  void SetOnItemDragged(std::function<void(std::int16_t, std::int16_t)> handler) override;

  // A notification the list box sent its window (WM_COMMAND).
  void Notified(WORD code);
  // A drag list's message to its window `parent`; what the window returns.
  LRESULT Dragged(const DRAGLISTINFO& drag, ::HWND parent);
  ::HWND System() const { return window_; }

 private:
  std::int64_t Count() const;
  // Whether the last message's mouse position lies on a line.
  bool PointerOnLine() const;
  void Run(const std::function<void()>& handler) const;
  // Widens the horizontal scroll range to hold `text`.
  void Measure(const std::wstring& text);

  ::HWND window_;
  InputHooks hooks_;
  std::function<void()> onSelectionChanged_;
  std::function<void()> onOpenItem_;
  std::function<void(std::int16_t, std::int16_t)> onItemDragged_;
  int widest_ = 0;  // pixels
  ::HFONT advancesFont_ = nullptr;
  std::array<int, 256> advances_{};  // of the Latin-1 characters in advancesFont_
  int dragFrom_ = -1;
};

class Win32TextBox : public TextBox {
 public:
  explicit Win32TextBox(::HWND window) : window_(window), hooks_(window) {}

  std::string Text() const override;
  void SetText(const std::string& text) override;
  void SetEnabled(bool enabled) override;
  void SetOnFilesDropped(FilesHandler handler) override;
  void SetOnEnter(std::function<void()> handler) override;

 private:
  ::HWND window_;
  InputHooks hooks_;
};

class Win32PushButton : public PushButton {
 public:
  Win32PushButton(::HWND window, int id, Win32Window& owner)
      : window_(window), id_(id), owner_(owner) {}

  void SetEnabled(bool enabled) override;
  bool Enabled() const override;
  void SetOnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
  void SetDefault(bool isDefault) override;
  void SetCancel(bool isCancel) override;

  // A click as the system reports it: a disabled button takes none.
  void Click();
  int Id() const { return id_; }
  ::HWND System() const { return window_; }

 private:
  ::HWND window_;
  int id_;
  Win32Window& owner_;
  std::function<void()> onClick_;
};

class Win32Label : public Label {
 public:
  explicit Win32Label(::HWND window) : window_(window) {}
  void SetCaption(const std::string& caption) override;

 private:
  ::HWND window_;
};

// A plain child window that a control such as oProgressBar creates its own
// windows in. Its size in twips is its client area's in pixels at whole twips
// per pixel, so that the control's pixels fill it at any dots per inch.
class Win32ControlHost : public ControlHost {
 public:
  Win32ControlHost(::HWND window, const Win32Window& owner) : window_(window), owner_(owner) {}

  double ScaleWidth() const override;
  double ScaleHeight() const override;
  double TwipsPerPixelX() const override;
  double TwipsPerPixelY() const override { return TwipsPerPixelX(); }
  HWND hWnd() const override { return LayerWindow(window_); }
  // Window calls create windows with this program's instance whatever is given.
  HINSTANCE hInstance() const override { return 0; }
  void PropertyChanged(std::string_view) override {}
  void SetOnResize(std::function<void()> handler) override { onResize_ = std::move(handler); }

  ::HWND System() const { return window_; }
  // The host window's WM_SIZE.
  void Resized() const;

 private:
  ::HWND window_;
  const Win32Window& owner_;
  std::function<void()> onResize_;
};

}  // namespace sprite::winsys::win32
