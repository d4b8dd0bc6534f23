#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "winsys/window_calls.h"

namespace sprite::fakes {

// One call as it was made: the function, its numeric arguments in order (a
// pointer argument is recorded as 1 when given, 0 when not) and its texts.
struct RecordedCall {
  std::string function;
  std::vector<std::int64_t> args;
  std::vector<std::string> texts;

  // "SendMessageA(100, PBM_SETPOS, 5, 0)", "SetWindowLongA(100, -20, 0x20000)", ...
  std::string Describe() const;
};

// Window calls that record every call and answer from a small model of the
// windows they hand out. Handles start at kFirstHandle and are never reused.
class FakeWindowCalls : public winsys::WindowCalls {
 public:
  static constexpr winsys::HWND kFirstHandle = 100;

  // How a bar window keeps the limits it is given, as PBM_GETRANGE reports them.
  enum class RangeRule {
    kFaithful32,    // the 32-bit limits as given
    kTruncating16,  // only the low 16 bits of each limit, as an older control keeps them
  };

  // What the model keeps of one window.
  struct FakeWindow {
    std::string className;
    std::uint32_t style = 0;
    std::int32_t exStyle = 0;
    winsys::HWND parent = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool visible = false;
    bool alive = true;
    std::int32_t low = 0;
    std::int32_t high = 100;
    std::int32_t position = 0;
    std::int32_t step = 10;
    std::uint32_t barColour = kColourDefault;
    std::uint32_t backColour = kColourDefault;
    int frameRedraws = 0;  // SetWindowPos calls with SWP_FRAMECHANGED
  };
  static constexpr std::uint32_t kColourDefault = 0xFF000000;  // CLR_DEFAULT

  // The RGB values system colours translate to (button face, highlight).
  static constexpr std::uint32_t kButtonFaceRgb = 0xF0F0F0;
  static constexpr std::uint32_t kHighlightRgb = 0xD77800;

  // Scripting.
  void SetRangeRule(RangeRule rule) { rangeRule_ = rule; }
  // The next `count` CreateWindowExA calls fail and return 0.
  void FailCreations(int count) { failingCreations_ = count; }
  // OleTranslateColor of this value fails.
  // OleTranslateColor fails for `colour` with `result` (E_INVALIDARG unless given).
  void FailTranslationOf(std::uint32_t colour, std::int32_t result = winsys::E_INVALIDARG) {
    untranslatable_[colour] = result;
  }

  // Inspection.
  const std::vector<RecordedCall>& Calls() const { return calls_; }
  std::vector<std::string> Log() const;
  // The log without the calls of the named functions.
  std::vector<std::string> LogWithout(const std::set<std::string>& functions) const;
  void ClearCalls() { calls_.clear(); }
  // nullptr for a handle never handed out.
  const FakeWindow* Window(winsys::HWND window) const;
  winsys::HWND LastCreated() const { return lastCreated_; }
  int LiveWindowCount() const;

  void InitCommonControls() override;
  winsys::HWND CreateWindowExA(std::int32_t exStyle, const std::string& className,
                               const std::string& windowName, std::uint32_t style, std::int32_t x,
                               std::int32_t y, std::int32_t width, std::int32_t height,
                               winsys::HWND parent, std::int32_t menu, winsys::HINSTANCE instance,
                               winsys::LPARAM param) override;
  bool DestroyWindow(winsys::HWND window) override;
  bool MoveWindow(winsys::HWND window, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, bool repaint) override;
  winsys::LRESULT SendMessageA(winsys::HWND window, winsys::UINT message, winsys::WPARAM wParam,
                               winsys::LPARAM lParam) override;
  winsys::HWND SetParent(winsys::HWND child, winsys::HWND newParent) override;
  bool ShowWindow(winsys::HWND window, std::int32_t command) override;
  std::int32_t SetWindowLongA(winsys::HWND window, std::int32_t index, std::int32_t value) override;
  bool SetWindowPos(winsys::HWND window, winsys::HWND insertAfter, std::int32_t x, std::int32_t y,
                    std::int32_t cx, std::int32_t cy, winsys::UINT flags) override;
  std::int32_t OleTranslateColor(std::uint32_t colour, winsys::HPALETTE palette,
                                 std::uint32_t* rgb) override;

 private:
  FakeWindow* Live(winsys::HWND window);
  winsys::LRESULT Answer(FakeWindow& bar, winsys::UINT message, winsys::WPARAM wParam,
                         winsys::LPARAM lParam);

  std::vector<RecordedCall> calls_;
  std::map<winsys::HWND, FakeWindow> windows_;
  winsys::HWND nextHandle_ = kFirstHandle;
  winsys::HWND lastCreated_ = 0;
  RangeRule rangeRule_ = RangeRule::kFaithful32;
  int failingCreations_ = 0;
  std::map<std::uint32_t, std::int32_t> untranslatable_;  // colour -> failure result
};

// A message's published name ("PBM_SETPOS"), or its number in hex.
std::string MessageName(winsys::UINT message);

}  // namespace sprite::fakes
