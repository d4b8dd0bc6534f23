#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/product.h"
#include "winsys/anchors.h"
#include "winsys/common_dialog_calls.h"
#include "winsys/control_host.h"
#include "winsys/menu.h"
#include "winsys/program_starter.h"
#include "winsys/registry_calls.h"
#include "winsys/settings_store.h"
#include "winsys/types.h"
#include "winsys/window_calls.h"

namespace sprite::winsys {

struct FontSpec {
  std::string name;  // falls back to a close sans-serif when not installed
  double points = 8.25;
  std::int32_t weight = 400;
  std::int32_t charset = 0;
};

// What every control is created with. Controls are created in tab order.
struct ControlSpec {
  std::string name;
  TwipsRect rect;
  // How it follows a window that the user made larger than its design.
  Anchors anchors{};
};

class ListBox {
 public:
  virtual ~ListBox() = default;
  virtual void Clear() = 0;
  // Lines keep the order in which they were appended; the box is not sorted.
  virtual void AddItem(const std::string& line) = 0;
  virtual std::int16_t ListCount() const = 0;
  virtual std::string List(std::int16_t index) const = 0;
  // -1 when no line is selected.
  virtual std::int16_t ListIndex() const = 0;
  // Selects a line and scrolls it into view; -1 clears the selection.
  virtual void SetListIndex(std::int16_t index) = 0;
  // Selects the last line and scrolls it into view, however long the list is:
  // a log may outgrow the 16-bit line numbers.
  virtual void SelectLast() = 0;
  virtual void RemoveItem(std::int16_t index) = 0;
  // Puts a line before the line at `index` (at the end for the count); the
  // selection is cleared.
  virtual void InsertItem(std::int16_t index, const std::string& line) = 0;

  // Files dropped onto the list from a file manager, as full paths in drop
  // order. Backends without drag and drop never call it.
  virtual void SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> /*handler*/) {
  }
  // The Delete key pressed while the list has the focus.
  virtual void SetOnDeleteKey(std::function<void()> /*handler*/) {}
  // The user selected another line (a click, the arrow keys), as LBN_SELCHANGE
  // says; ListIndex() tells which. Selections made through this interface
  // (SetListIndex, SelectLast, RemoveItem, Clear) are not reported.
  virtual void SetOnSelectionChanged(std::function<void()> /*handler*/) {}
  // A line double-clicked (LBN_DBLCLK), or Enter pressed while the list has
  // the focus and a line is selected; ListIndex() tells which line.
  virtual void SetOnOpenItem(std::function<void()> /*handler*/) {}
  // The user dragged the line `from` onto the line `to`, to move it there.
  // Only a list with a handler lets its lines be dragged.
  virtual void SetOnItemDragged(
      std::function<void(std::int16_t from, std::int16_t to)> /*handler*/) {}
};

class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // Files dropped onto the box, as full paths in drop order.
  virtual void SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> /*handler*/) {
  }
  // Enter pressed while the box has the focus (and not the window's default
  // button then). Backends without a keyboard never call it.
  virtual void SetOnEnter(std::function<void()> /*handler*/) {}
};

class PushButton {
 public:
  virtual ~PushButton() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  // A click runs the handler; a disabled button takes no clicks.
  virtual void SetOnClick(std::function<void()> handler) = 0;
  // Enter presses the default button, Esc the cancel button. Backends without
  // a keyboard ignore them.
  virtual void SetDefault(bool /*isDefault*/) {}
  virtual void SetCancel(bool /*isCancel*/) {}
};

// A picture for a window icon or a picture box: 24-bit colour, top row first.
struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes: red, green, blue

  bool Empty() const { return width <= 0 || height <= 0; }
};

// A point in a window's client area, in twips.
struct TwipsPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

class Label {
 public:
  virtual ~Label() = default;
  virtual void SetCaption(const std::string& caption) = 0;
};

struct WindowSpec {
  std::string caption;
  std::int32_t clientWidth = 0;  // twips
  std::int32_t clientHeight = 0;
  FontSpec font;
  // The user cannot resize; no minimise or maximise box. A window that can be
  // resized is at least as large as its design, and its controls follow their
  // anchors.
  bool fixedBorder = true;
  bool centred = true;  // placed at the centre of the screen
  bool showInTaskbar = true;
  Picture icon;  // empty: the program's own icon
};

// A top-level or modal window and the controls placed on it.
class Window {
 public:
  virtual ~Window() = default;

  // `caption` may hold "&" before the access-key letter.
  virtual PushButton& AddButton(const ControlSpec& design, const std::string& caption) = 0;
  virtual ListBox& AddListBox(const ControlSpec& design) = 0;
  virtual TextBox& AddTextBox(const ControlSpec& design, const std::string& text) = 0;
  virtual Label& AddLabel(const ControlSpec& design, const std::string& caption) = 0;
  // A window that a control such as oProgressBar draws itself into.
  virtual ControlHost& AddControlHost(const ControlSpec& design) = 0;
  // Decorations that take no input; backends without a screen ignore them. The
  // colour is an RGB value (red in the low byte).
  virtual void AddPictureBox(const ControlSpec& /*design*/, const Picture& /*picture*/) {}
  virtual void AddLine(TwipsPoint /*from*/, TwipsPoint /*to*/, std::uint32_t /*colour*/) {}
  // A menu at the end of the window's menu bar, which sits above the client
  // area: the client area keeps its design's size.
  virtual Menu& AddMenu(const std::string& caption) = 0;

  virtual HWND hWnd() const = 0;
  // Shows the window with the focus in the first control of the tab order.
  virtual void Show() = 0;
  virtual void Close() = 0;
  // Asked before the window closes at the user's request; false keeps it open.
  virtual void SetCloseHandler(std::function<bool()> handler) = 0;
};

struct AppInfo {
  std::string title;
  std::int32_t major = 0;
  std::int32_t minor = 0;
  std::int32_t revision = 0;
};

// The program's version information, as every backend reports it: the
// product's name and the version of the build.
inline AppInfo ThisApplication() {
  return AppInfo{kProductName, kVersionMajor, kVersionMinor, kVersionRevision};
}

// A size in screen pixels.
struct PixelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;

  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The keys a picture window reports; others do what the system does with them.
// kZoomIn is "+" or "=" (main keyboard or keypad), kZoomOut "-"; kPlay the
// space bar, kSlower "[" and kFaster "]" as typed, whatever the layout.
enum class PictureKey : std::uint8_t {
  kZoomIn,
  kZoomOut,
  kEscape,
  kLeft,
  kRight,
  kUp,
  kDown,
  kPageUp,
  kPageDown,
  kHome,
  kEnd,
  kPlay,
  kSlower,
  kFaster,
};

// What a picture window tells the code that draws it: the user's doings, never
// reported from inside a call made to the window (its owner reads AreaSize
// after Show).
class PictureWindowHandler {
 public:
  virtual ~PictureWindowHandler() = default;
  // The user or the system resized the window: the picture area has a new
  // size, to be drawn anew.
  virtual void AreaResized(PixelSize area) = 0;
  virtual void KeyPressed(PictureKey key) = 0;
  // The mouse wheel turned over the window by whole notches: positive away
  // from the user; a backend adds up the fractions a fine wheel sends.
  // `control` and `shift`: the keys held meanwhile.
  virtual void WheelTurned(std::int32_t notches, bool control, bool shift) = 0;
  // The user closed the window (its close button, Alt+F4); it is hidden, not
  // destroyed, and shows again with Show.
  virtual void Closed() = 0;
  // The interval SetTimer asked for has passed.
  virtual void TimerTicked() {}
};

struct PictureWindowSpec {
  std::string caption;
  // The client area at first, in twips: the picture area and the text line under it.
  std::int32_t clientWidth = 0;
  std::int32_t clientHeight = 0;
  FontSpec font;  // the text line's
};

// A resizable top-level window that shows a picture drawn by its owner, pixel
// for pixel, above one line of text. It draws nothing of its own in the
// picture area: the owner hands it a picture of the area's size (one that is
// smaller leaves the rest in the window's background colour) and hands it a
// new one when the area is resized. It is placed as the system places new
// windows, and shows in the task bar.
class PictureWindow {
 public:
  virtual ~PictureWindow() = default;
  // Reports resizes, keys, wheel turns and the user's close to `handler` (or
  // to nobody: nullptr), which must outlive the window or be replaced first.
  virtual void SetHandler(PictureWindowHandler* handler) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // Drawn at the top left of the picture area; the window keeps its own copy
  // until the next one. An empty picture leaves the area blank. Throws
  // InvalidArgumentError for a picture whose bytes do not match its size.
  virtual void SetPicture(const Picture& picture) = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual PixelSize AreaSize() const = 0;
  // Shows the window, brings it to the front and gives it the keyboard.
  virtual void Show() = 0;
  // Hides the window without telling the handler.
  virtual void Close() = 0;
  virtual bool Visible() const = 0;
  // Tells the handler TimerTicked every `intervalMs` milliseconds from now
  // on, until another call; 0 stops it. A tick that comes while the handler
  // still draws the last one is left out, never queued.
  virtual void SetTimer(std::int32_t intervalMs) = 0;
};

// The symbol a message box shows beside its text.
enum class MessageIcon : std::uint8_t { kNone, kInformation, kWarning, kError };

// The host window system: windows, the message box, the yield.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  virtual std::unique_ptr<Window> CreateWindow(const WindowSpec& design) = 0;
  // A picture window, hidden until its Show.
  virtual std::unique_ptr<PictureWindow> CreatePictureWindow(const PictureWindowSpec& design) = 0;
  // Returns when the window has been closed.
  virtual void ShowModal(Window& window) = 0;
  // A text and an OK button, titled with the application title and wide
  // enough to show it; returns when closed. `informativeText`, when given,
  // explains the text below it.
  virtual void MessageBox(const std::string& text, const std::string& informativeText = {},
                          MessageIcon icon = MessageIcon::kNone) = 0;
  // Lets the windows process pending messages (repaint, clicks).
  virtual void Yield() = 0;
  // How many calls of Yield in a row one call may stand for: a system that
  // lets messages through at most every few milliseconds, and looks at its
  // clock only every so many calls, says how many. A caller that yields every
  // microsecond or so (a decode) makes one call in so many.
  virtual unsigned YieldsPerLook() const { return 1; }
  // Lets the windows repaint and take requests of the window system (a close)
  // without taking user input: for a command that takes no clicks while it runs.
  virtual void Refresh() {}
  // The user asked the whole program to stop from outside the window (Ctrl+C on
  // the console). Windows ask through their close handler instead.
  virtual bool InterruptRequested() const = 0;
  virtual AppInfo AppInformation() const = 0;
  // The raw window calls, for controls that own platform windows.
  virtual WindowCalls& Calls() = 0;
  // The common file, colour, font and print dialogs.
  virtual CommonDialogCalls& DialogCalls() = 0;
  virtual RegistryCalls& Registry() = 0;
  virtual ProgramStarter& Programs() = 0;
  // What the windows keep between runs.
  virtual SettingsStore& Settings() = 0;

  // `call` runs each time a Yield or Refresh is about to let the windows
  // process messages, until another is set; an empty one runs nothing. What
  // only shows on screen, a run's bars, may so be brought up to date there
  // instead of at every change: a decode changes them after every element.
  void SetBeforeMessages(std::function<void()> call) { beforeMessages_ = std::move(call); }

 protected:
  // For Yield and Refresh, just before the windows process messages.
  void BeforeMessages() const {
    if (beforeMessages_) {
      beforeMessages_();
    }
  }

 private:
  std::function<void()> beforeMessages_;
};

}  // namespace sprite::winsys
