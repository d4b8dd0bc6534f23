#include "winsys/qt/qt_window_calls.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QPalette>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

#include "winsys/qt/progress_bar_widget.h"
#include "winsys/qt/qt_colours.h"

namespace sprite::winsys::qt {
namespace {

bool SameClass(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Where each system colour index comes from in the palette.
struct SystemColour {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};
constexpr SystemColour kSystemColours[COLOR_MENUBAR + 1] = {
    {QPalette::Active, QPalette::Midlight},         // 0 scroll bar
    {QPalette::Active, QPalette::Dark},             // 1 desktop
    {QPalette::Active, QPalette::Highlight},        // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},      // 3 inactive caption
    {QPalette::Active, QPalette::Window},           // 4 menu
    {QPalette::Active, QPalette::Base},             // 5 window
    {QPalette::Active, QPalette::Shadow},           // 6 window frame
    {QPalette::Active, QPalette::WindowText},       // 7 menu text
    {QPalette::Active, QPalette::Text},             // 8 window text
    {QPalette::Active, QPalette::HighlightedText},  // 9 caption text
    {QPalette::Active, QPalette::Button},           // 10 active border
    {QPalette::Inactive, QPalette::Button},         // 11 inactive border
    {QPalette::Active, QPalette::Mid},              // 12 application workspace
    {QPalette::Active, QPalette::Highlight},        // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},  // 14 highlight text
    {QPalette::Active, QPalette::Button},           // 15 button face
    {QPalette::Active, QPalette::Dark},             // 16 button shadow
    {QPalette::Disabled, QPalette::Text},           // 17 grey text
    {QPalette::Active, QPalette::ButtonText},       // 18 button text
    {QPalette::Disabled, QPalette::WindowText},     // 19 inactive caption text
    {QPalette::Active, QPalette::Light},            // 20 button highlight
    {QPalette::Active, QPalette::Shadow},           // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},         // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},      // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},      // 24 tooltip background
    {QPalette::Active, QPalette::WindowText},       // 25 unassigned
    {QPalette::Active, QPalette::Link},             // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},        // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight},      // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},        // 29 menu highlight
    {QPalette::Active, QPalette::Window},           // 30 menu bar
};

}  // namespace

QtWindowCalls::QtWindowCalls() = default;

QtWindowCalls::~QtWindowCalls() {
  // Bar windows still alive belong to widgets that delete them with themselves;
  // the ones taken out of every parent are deleted here.
  for (const HWND handle : created_) {
    const auto found = windows_.find(handle);
    if (found != windows_.end() && found->second != nullptr &&
        found->second->parentWidget() == nullptr) {
      delete found->second.data();
    }
  }
}

HWND QtWindowCalls::Register(QWidget* widget) {
  if (widget == nullptr || nextHandle_ == std::numeric_limits<HWND>::max()) {
    return 0;
  }
  const HWND handle = nextHandle_++;
  windows_.emplace(handle, widget);
  return handle;
}

void QtWindowCalls::Forget(const QWidget* root) {
  for (auto it = windows_.begin(); it != windows_.end();) {
    QWidget* widget = it->second.data();
    if (widget == nullptr || widget == root || root->isAncestorOf(widget)) {
      created_.erase(it->first);
      it = windows_.erase(it);
    } else {
      ++it;
    }
  }
}

QWidget* QtWindowCalls::Widget(HWND window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : found->second.data();
}

ProgressBarWidget* QtWindowCalls::ProgressBar(HWND window) const {
  return created_.count(window) != 0 ? static_cast<ProgressBarWidget*>(Widget(window)) : nullptr;
}

HWND QtWindowCalls::Handle(const QWidget* widget) const {
  if (widget == nullptr) {
    return 0;
  }
  for (const auto& [handle, registered] : windows_) {
    if (registered == widget) {
      return handle;
    }
  }
  return 0;
}

HWND QtWindowCalls::CreateWindowExA(std::int32_t exStyle, const std::string& className,
                                    const std::string& /*windowName*/, std::uint32_t style,
                                    std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height, HWND parent, std::int32_t /*menu*/,
                                    HINSTANCE /*instance*/, LPARAM /*param*/) {
  if (!SameClass(className, kProgressClass)) {
    return 0;
  }
  QWidget* parentWidget = Widget(parent);
  // A child window needs a parent that exists.
  if ((parent != 0 && parentWidget == nullptr) ||
      ((style & WS_CHILD) != 0 && parentWidget == nullptr)) {
    return 0;
  }
  auto* bar = new ProgressBarWidget(style, exStyle, parentWidget);
  bar->setGeometry(x, y, std::max(0, width), std::max(0, height));
  const HWND handle = Register(bar);
  if (handle == 0) {
    delete bar;
    return 0;
  }
  created_.insert(handle);
  if ((style & WS_VISIBLE) != 0) {
    bar->show();
  }
  return handle;
}

bool QtWindowCalls::DestroyWindow(HWND window) {
  QWidget* widget = created_.count(window) != 0 ? Widget(window) : nullptr;
  if (widget == nullptr) {
    return false;
  }
  Forget(widget);
  delete widget;
  lastBar_.clear();
  return true;
}

bool QtWindowCalls::MoveWindow(HWND window, std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height, bool repaint) {
  QWidget* widget = Widget(window);
  if (widget == nullptr) {
    return false;
  }
  widget->setGeometry(x, y, std::max(0, width), std::max(0, height));
  if (repaint) {
    widget->update();
  }
  return true;
}

LRESULT QtWindowCalls::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A bar takes thousands of messages in a row: the last one found is kept.
  // Handles are never reused, and the guarded pointer clears itself when the
  // widget goes.
  if (window != lastBarHandle_ || lastBar_.isNull()) {
    lastBar_ = ProgressBar(window);
    lastBarHandle_ = window;
  }
  return lastBar_.isNull() ? 0 : lastBar_->HandleMessage(message, wParam, lParam);
}

HWND QtWindowCalls::SetParent(HWND child, HWND newParent) {
  QWidget* widget = Widget(child);
  QWidget* parentWidget = Widget(newParent);
  if (widget == nullptr || (newParent != 0 && parentWidget == nullptr) || widget == parentWidget ||
      (parentWidget != nullptr && widget->isAncestorOf(parentWidget))) {
    return 0;
  }
  const HWND previous = Handle(widget->parentWidget());
  const bool shown = !widget->isHidden();
  const QRect geometry = widget->geometry();
  widget->setParent(parentWidget);  // hides the widget
  widget->setGeometry(geometry);
  if (shown && parentWidget != nullptr) {
    widget->show();
  }
  return previous;
}

bool QtWindowCalls::ShowWindow(HWND window, std::int32_t command) {
  QWidget* widget = Widget(window);
  if (widget == nullptr) {
    return false;
  }
  const bool wasShown = !widget->isHidden();
  widget->setVisible(command != SW_HIDE);
  return wasShown;
}

std::int32_t QtWindowCalls::SetWindowLongA(HWND window, std::int32_t index, std::int32_t value) {
  ProgressBarWidget* bar = ProgressBar(window);
  if (bar == nullptr) {
    return 0;
  }
  if (index == GWL_EXSTYLE) {
    const std::int32_t previous = bar->ExStyle();
    bar->SetExStyle(value);
    return previous;
  }
  if (index == GWL_STYLE) {
    const auto previous = static_cast<std::int32_t>(bar->Style());
    bar->SetStyle(static_cast<std::uint32_t>(value));
    return previous;
  }
  return 0;
}

bool QtWindowCalls::SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y,
                                 std::int32_t cx, std::int32_t cy, UINT flags) {
  QWidget* widget = Widget(window);
  if (widget == nullptr) {
    return false;
  }
  if ((flags & SWP_NOMOVE) == 0) {
    widget->move(x, y);
  }
  if ((flags & SWP_NOSIZE) == 0) {
    widget->resize(std::max(0, cx), std::max(0, cy));
  }
  if ((flags & SWP_NOZORDER) == 0) {
    constexpr HWND kBottom = 1;  // HWND_BOTTOM; 0 is HWND_TOP
    if (insertAfter == 0) {
      widget->raise();
    } else if (insertAfter == kBottom) {
      widget->lower();
    } else if (QWidget* above = Widget(insertAfter);
               above != nullptr && above->parentWidget() == widget->parentWidget()) {
      widget->stackUnder(above);
    }
  }
  if ((flags & SWP_FRAMECHANGED) != 0) {
    if (ProgressBarWidget* bar = ProgressBar(window)) {
      bar->ApplyFrame();
    }
  }
  return true;
}

std::int32_t QtWindowCalls::OleTranslateColor(std::uint32_t colour, HPALETTE /*palette*/,
                                              std::uint32_t* rgb) {
  std::uint32_t result = 0;
  if ((colour & 0xFF000000) == 0) {
    result = colour;
  } else if ((colour & 0xFF000000) == kSystemColourFlag && (colour & 0x00FFFFFF) <= COLOR_MENUBAR) {
    const SystemColour& source = kSystemColours[colour & 0x00FFFFFF];
    result = ToColourRef(QGuiApplication::palette().color(source.group, source.role));
  } else {
    return E_INVALIDARG;
  }
  if (rgb != nullptr) {
    *rgb = result;
  }
  return 0;
}

}  // namespace sprite::winsys::qt
