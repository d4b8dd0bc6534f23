#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "winsys/memory/memory_controls.h"
#include "winsys/memory/memory_menu.h"
#include "winsys/window_system.h"

namespace sprite::winsys {

// The place a control draws itself into, sized in twips at 15 twips a pixel.
class MemoryControlHost : public ControlHost {
 public:
  MemoryControlHost(TwipsRect rect, HWND window) : rect_(rect), window_(window) {}
  double ScaleWidth() const override { return rect_.width; }
  double ScaleHeight() const override { return rect_.height; }
  double TwipsPerPixelX() const override { return 15.0; }
  double TwipsPerPixelY() const override { return 15.0; }
  HWND hWnd() const override { return window_; }
  HINSTANCE hInstance() const override { return 1; }
  // Only whether the stored design needs saving is kept: a bar moved for every
  // decoded element must not grow memory.
  void PropertyChanged(std::string_view) override { designChanged_ = true; }
  bool DesignChanged() const { return designChanged_; }

 private:
  TwipsRect rect_;
  HWND window_;
  bool designChanged_ = false;
};

// A window whose controls live in memory and are found by name.
class MemoryWindow : public Window {
 public:
  MemoryWindow(WindowSpec design, HWND window) : design_(std::move(design)), window_(window) {}

  PushButton& AddButton(const ControlSpec& design, const std::string& caption) override;
  ListBox& AddListBox(const ControlSpec& design) override;
  TextBox& AddTextBox(const ControlSpec& design, const std::string& text) override;
  Label& AddLabel(const ControlSpec& design, const std::string& caption) override;
  ControlHost& AddControlHost(const ControlSpec& design) override;
  // Kept so that tests can see what a window shows; nothing draws it.
  void AddPictureBox(const ControlSpec& design, const Picture& picture) override;
  Menu& AddMenu(const std::string& caption) override;

  HWND hWnd() const override { return window_; }
  void Show() override { shown_ = true; }
  void Close() override { shown_ = false; }
  void SetCloseHandler(std::function<bool()> handler) override { onClose_ = std::move(handler); }

  // The user asks the window to close; returns whether it did.
  bool RequestClose();

  const WindowSpec& Design() const { return design_; }
  bool Shown() const { return shown_; }
  // Control names in the order they were created, which is the tab order.
  const std::vector<std::string>& TabOrder() const { return tabOrder_; }
  // The controls by name. Each throws InvalidArgumentError for a name that
  // names no control of its kind.
  const TwipsRect& RectOf(const std::string& name) const;
  MemoryListBox& ListBoxNamed(const std::string& name);
  MemoryTextBox& TextBoxNamed(const std::string& name);
  MemoryPushButton& ButtonNamed(const std::string& name);
  MemoryLabel& LabelNamed(const std::string& name);
  MemoryControlHost& ControlHostNamed(const std::string& name);
  const Picture& PictureNamed(const std::string& name) const;
  const ControlSpec& DesignOf(const std::string& name) const;
  // The menus in order, and one by its caption ("&Options").
  const std::vector<std::unique_ptr<MemoryMenu>>& Menus() const { return menus_; }
  MemoryMenu& MenuNamed(const std::string& caption) const;

 private:
  // Throws InvalidArgumentError for a name already taken: controls are found by name.
  void Place(const ControlSpec& design);

  WindowSpec design_;
  HWND window_;
  bool shown_ = false;
  std::function<bool()> onClose_;
  std::vector<std::string> tabOrder_;
  std::map<std::string, ControlSpec> designs_;
  std::map<std::string, std::unique_ptr<MemoryListBox>> listBoxes_;
  std::map<std::string, std::unique_ptr<MemoryTextBox>> textBoxes_;
  std::map<std::string, std::unique_ptr<MemoryPushButton>> buttons_;
  std::map<std::string, std::unique_ptr<MemoryLabel>> labels_;
  std::map<std::string, std::unique_ptr<MemoryControlHost>> hosts_;
  std::map<std::string, Picture> pictures_;
  std::vector<std::unique_ptr<MemoryMenu>> menus_;
};

}  // namespace sprite::winsys
