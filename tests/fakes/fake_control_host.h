#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "winsys/control_host.h"

namespace sprite::fakes {

// A control host with settable sizes that records the change notifications.
class FakeControlHost : public winsys::ControlHost {
 public:
  static constexpr winsys::HWND kWindow = 7;
  static constexpr winsys::HINSTANCE kInstance = 3;

  // The main window's bars: 5160 x 120 twips, at 96 dots per inch 344 x 8 pixels.
  FakeControlHost() = default;

  void SetScaleSize(double width, double height) {
    scaleWidth_ = width;
    scaleHeight_ = height;
  }
  void SetTwipsPerPixel(double x, double y) {
    twipsPerPixelX_ = x;
    twipsPerPixelY_ = y;
  }
  // While set, PropertyChanged throws, as a failing host call does.
  void FailPropertyChanged(bool fail) { failPropertyChanged_ = fail; }

  const std::vector<std::string>& Changes() const { return changes_; }
  void ClearChanges() { changes_.clear(); }

  double ScaleWidth() const override { return scaleWidth_; }
  double ScaleHeight() const override { return scaleHeight_; }
  double TwipsPerPixelX() const override { return twipsPerPixelX_; }
  double TwipsPerPixelY() const override { return twipsPerPixelY_; }
  winsys::HWND hWnd() const override { return kWindow; }
  winsys::HINSTANCE hInstance() const override { return kInstance; }
  void PropertyChanged(std::string_view name) override {
    if (failPropertyChanged_) {
      throw std::runtime_error("host refused the change notification for " + std::string(name));
    }
    changes_.emplace_back(name);
  }

 private:
  double scaleWidth_ = 5160;
  double scaleHeight_ = 120;
  double twipsPerPixelX_ = 15;
  double twipsPerPixelY_ = 15;
  bool failPropertyChanged_ = false;
  std::vector<std::string> changes_;
};

}  // namespace sprite::fakes
