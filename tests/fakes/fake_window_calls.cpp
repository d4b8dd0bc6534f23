#include "fakes/fake_window_calls.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace sprite::fakes {

using winsys::HWND;
using winsys::LPARAM;
using winsys::LRESULT;
using winsys::UINT;
using winsys::WPARAM;

namespace {

std::string Hex(std::int64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value & 0xFFFFFFFF));
  return text;
}

bool SameClass(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::int32_t Low32(std::uint64_t value) {
  return static_cast<std::int32_t>(value & 0xFFFFFFFF);
}

std::int32_t Keep(FakeWindowCalls::RangeRule rule, std::int32_t limit) {
  return rule == FakeWindowCalls::RangeRule::kFaithful32 ? limit : (limit & 0xFFFF);
}

}  // namespace

std::string MessageName(UINT message) {
  switch (message) {
    case winsys::PBM_SETRANGE:
      return "PBM_SETRANGE";
    case winsys::PBM_SETPOS:
      return "PBM_SETPOS";
    case winsys::PBM_DELTAPOS:
      return "PBM_DELTAPOS";
    case winsys::PBM_SETSTEP:
      return "PBM_SETSTEP";
    case winsys::PBM_STEPIT:
      return "PBM_STEPIT";
    case winsys::PBM_SETRANGE32:
      return "PBM_SETRANGE32";
    case winsys::PBM_GETRANGE:
      return "PBM_GETRANGE";
    case winsys::PBM_GETPOS:
      return "PBM_GETPOS";
    case winsys::PBM_SETBARCOLOR:
      return "PBM_SETBARCOLOR";
    case winsys::PBM_SETBKCOLOR:
      return "PBM_SETBKCOLOR";
    default:
      return Hex(message);
  }
}

std::string RecordedCall::Describe() const {
  std::vector<std::string> shown;
  if (function == "CreateWindowExA" && args.size() == 10 && texts.size() == 2) {
    shown = {std::to_string(args[0]), "\"" + texts[0] + "\"", "\"" + texts[1] + "\"", Hex(args[1])};
    for (std::size_t i = 2; i < args.size(); ++i) {
      shown.push_back(std::to_string(args[i]));
    }
  } else if (function == "SendMessageA" && args.size() == 4) {
    const auto message = static_cast<UINT>(args[1]);
    shown = {std::to_string(args[0]), MessageName(message), std::to_string(args[2])};
    if (message == winsys::PBM_GETRANGE) {
      shown.push_back(args[3] != 0 ? "&range" : "0");
    } else if (message == winsys::PBM_SETRANGE || message == winsys::PBM_SETBARCOLOR ||
               message == winsys::PBM_SETBKCOLOR) {
      shown.push_back(Hex(args[3]));
    } else {
      shown.push_back(std::to_string(args[3]));
    }
  } else {
    for (std::size_t i = 0; i < args.size(); ++i) {
      const bool hex = (function == "SetWindowLongA" && i == 2) ||
                       (function == "SetWindowPos" && i == 6) ||
                       (function == "OleTranslateColor" && i == 0);
      shown.push_back(hex ? Hex(args[i]) : std::to_string(args[i]));
    }
  }
  std::string line = function + "(";
  for (std::size_t i = 0; i < shown.size(); ++i) {
    line += (i == 0 ? "" : ", ") + shown[i];
  }
  return line + ")";
}

std::vector<std::string> FakeWindowCalls::Log() const {
  return LogWithout({});
}

std::vector<std::string> FakeWindowCalls::LogWithout(const std::set<std::string>& functions) const {
  std::vector<std::string> lines;
  for (const RecordedCall& call : calls_) {
    if (functions.count(call.function) == 0) {
      lines.push_back(call.Describe());
    }
  }
  return lines;
}

const FakeWindowCalls::FakeWindow* FakeWindowCalls::Window(HWND window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

int FakeWindowCalls::LiveWindowCount() const {
  return static_cast<int>(std::count_if(windows_.begin(), windows_.end(),
                                        [](const auto& entry) { return entry.second.alive; }));
}

FakeWindowCalls::FakeWindow* FakeWindowCalls::Live(HWND window) {
  const auto found = windows_.find(window);
  return found == windows_.end() || !found->second.alive ? nullptr : &found->second;
}

void FakeWindowCalls::InitCommonControls() {
  calls_.push_back({"InitCommonControls", {}, {}});
}

HWND FakeWindowCalls::CreateWindowExA(std::int32_t exStyle, const std::string& className,
                                      const std::string& windowName, std::uint32_t style,
                                      std::int32_t x, std::int32_t y, std::int32_t width,
                                      std::int32_t height, HWND parent, std::int32_t menu,
                                      winsys::HINSTANCE instance, LPARAM param) {
  calls_.push_back({"CreateWindowExA",
                    {exStyle, style, x, y, width, height, parent, menu, instance, param},
                    {className, windowName}});
  if (failingCreations_ > 0) {
    --failingCreations_;
    return 0;
  }
  if (!SameClass(className, winsys::kProgressClass)) {
    return 0;
  }
  const HWND handle = nextHandle_++;
  FakeWindow& made = windows_[handle];
  made.className = className;
  made.style = style;
  made.exStyle = exStyle;
  made.parent = parent;
  made.x = x;
  made.y = y;
  made.width = width;
  made.height = height;
  made.visible = (style & winsys::WS_VISIBLE) != 0;
  lastCreated_ = handle;
  return handle;
}

bool FakeWindowCalls::DestroyWindow(HWND window) {
  calls_.push_back({"DestroyWindow", {window}, {}});
  FakeWindow* target = Live(window);
  if (target == nullptr) {
    return false;
  }
  target->alive = false;
  target->visible = false;
  return true;
}

bool FakeWindowCalls::MoveWindow(HWND window, std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height, bool repaint) {
  calls_.push_back({"MoveWindow", {window, x, y, width, height, repaint ? 1 : 0}, {}});
  FakeWindow* target = Live(window);
  if (target == nullptr) {
    return false;
  }
  target->x = x;
  target->y = y;
  target->width = width;
  target->height = height;
  return true;
}

LRESULT FakeWindowCalls::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool isPointer = message == winsys::PBM_GETRANGE;
  calls_.push_back({"SendMessageA",
                    {window, message, Low32(wParam),
                     isPointer ? (lParam != 0 ? 1 : 0) : Low32(static_cast<std::uint64_t>(lParam))},
                    {}});
  FakeWindow* target = Live(window);
  return target == nullptr ? 0 : Answer(*target, message, wParam, lParam);
}

// Keeps what the control was told; the drawing rules (clamping, wrapping) are
// the real window class's business and are tested there.
LRESULT FakeWindowCalls::Answer(FakeWindow& bar, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::int32_t w = Low32(wParam);
  const std::int32_t l = Low32(static_cast<std::uint64_t>(lParam));
  switch (message) {
    case winsys::PBM_SETRANGE32:
      bar.low = Keep(rangeRule_, w);
      bar.high = Keep(rangeRule_, l);
      return 0;
    case winsys::PBM_SETRANGE:
      bar.low = l & 0xFFFF;
      bar.high = (l >> 16) & 0xFFFF;
      return 0;
    case winsys::PBM_GETRANGE:
      if (lParam != 0) {
        auto* range = reinterpret_cast<winsys::PBRANGE*>(lParam);
        range->iLow = bar.low;
        range->iHigh = bar.high;
      }
      return w != 0 ? bar.low : bar.high;
    case winsys::PBM_SETPOS:
      return std::exchange(bar.position, w);
    case winsys::PBM_DELTAPOS:
      return std::exchange(bar.position, Low32(std::uint64_t(bar.position) + std::uint64_t(w)));
    case winsys::PBM_STEPIT:
      return std::exchange(bar.position,
                           Low32(std::uint64_t(bar.position) + std::uint64_t(bar.step)));
    case winsys::PBM_SETSTEP:
      return std::exchange(bar.step, w);
    case winsys::PBM_GETPOS:
      return bar.position;
    case winsys::PBM_SETBARCOLOR:
      return std::exchange(bar.barColour, static_cast<std::uint32_t>(l));
    case winsys::PBM_SETBKCOLOR:
      return std::exchange(bar.backColour, static_cast<std::uint32_t>(l));
    default:
      return 0;
  }
}

HWND FakeWindowCalls::SetParent(HWND child, HWND newParent) {
  calls_.push_back({"SetParent", {child, newParent}, {}});
  FakeWindow* target = Live(child);
  return target == nullptr ? 0 : std::exchange(target->parent, newParent);
}

bool FakeWindowCalls::ShowWindow(HWND window, std::int32_t command) {
  calls_.push_back({"ShowWindow", {window, command}, {}});
  FakeWindow* target = Live(window);
  if (target == nullptr) {
    return false;
  }
  return std::exchange(target->visible, command != winsys::SW_HIDE);
}

std::int32_t FakeWindowCalls::SetWindowLongA(HWND window, std::int32_t index, std::int32_t value) {
  calls_.push_back({"SetWindowLongA", {window, index, value}, {}});
  FakeWindow* target = Live(window);
  if (target == nullptr) {
    return 0;
  }
  if (index == winsys::GWL_EXSTYLE) {
    return std::exchange(target->exStyle, value);
  }
  if (index == winsys::GWL_STYLE) {
    return static_cast<std::int32_t>(
        std::exchange(target->style, static_cast<std::uint32_t>(value)));
  }
  return 0;
}

bool FakeWindowCalls::SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y,
                                   std::int32_t cx, std::int32_t cy, UINT flags) {
  calls_.push_back({"SetWindowPos", {window, insertAfter, x, y, cx, cy, flags}, {}});
  FakeWindow* target = Live(window);
  if (target != nullptr && (flags & winsys::SWP_FRAMECHANGED) != 0) {
    ++target->frameRedraws;
  }
  return target != nullptr;
}

std::int32_t FakeWindowCalls::OleTranslateColor(std::uint32_t colour, winsys::HPALETTE palette,
                                                std::uint32_t* rgb) {
  calls_.push_back({"OleTranslateColor", {colour, palette}, {}});
  if (const auto failed = untranslatable_.find(colour); failed != untranslatable_.end()) {
    return failed->second;
  }
  std::uint32_t result = 0;
  if ((colour & 0xFF000000) == 0) {
    result = colour;
  } else if ((colour & 0xFF000000) == winsys::kSystemColourFlag &&
             (colour & 0x00FFFFFF) <= winsys::COLOR_MENUBAR) {
    const std::uint32_t index = colour & 0x00FFFFFF;
    result = index == winsys::COLOR_BTNFACE     ? kButtonFaceRgb
             : index == winsys::COLOR_HIGHLIGHT ? kHighlightRgb
                                                : index * 0x010101;
  } else {
    return winsys::E_INVALIDARG;
  }
  if (rgb != nullptr) {
    *rgb = result;
  }
  return 0;
}

}  // namespace sprite::fakes
