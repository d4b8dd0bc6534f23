#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "winsys/window_system.h"

namespace sprite::winsys {

// Controls held in memory: the in-memory backend's, and the base of the
// recording fakes the tests use.

class MemoryListBox : public ListBox {
 public:
  void Clear() override;
  void AddItem(const std::string& line) override;
  std::int16_t ListCount() const override;
  std::string List(std::int16_t index) const override;
  std::int16_t ListIndex() const override { return selected_; }
  void SetListIndex(std::int16_t index) override;
  void SelectLast() override;
  void RemoveItem(std::int16_t index) override;
  void InsertItem(std::int16_t index, const std::string& line) override;

  // Called with every appended line.
  void SetOnAdd(std::function<void(const std::string&)> onAdd) { onAdd_ = std::move(onAdd); }
  const std::vector<std::string>& Lines() const { return lines_; }

  void SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> handler) override {
    onDrop_ = std::move(handler);
  }
  void SetOnDeleteKey(std::function<void()> handler) override { onDelete_ = std::move(handler); }
  // What the user does with a file manager and the keyboard.
  void Drop(const std::vector<std::string>& paths) {
    if (onDrop_) {
      onDrop_(paths);
    }
  }
  void PressDelete() {
    if (onDelete_) {
      onDelete_();
    }
  }
  void SetOnSelectionChanged(std::function<void()> handler) override {
    onSelect_ = std::move(handler);
  }
  void SetOnOpenItem(std::function<void()> handler) override { onOpen_ = std::move(handler); }
  void SetOnItemDragged(std::function<void(std::int16_t, std::int16_t)> handler) override {
    onDragged_ = std::move(handler);
  }
  // The user drags line `from` onto line `to` with the mouse.
  void Drag(std::int16_t from, std::int16_t to) {
    if (onDragged_) {
      onDragged_(from, to);
    }
  }
  // The user clicks a line (or moves to it with the arrow keys): it is
  // selected, and the handler hears of it when the selection changed.
  void Click(std::int16_t index);
  // The user double-clicks a line: it is selected, then opened.
  void DoubleClick(std::int16_t index);
  // Enter while the list has the focus: opens the selected line, if any.
  void PressEnter();

 private:
  std::vector<std::string> lines_;
  std::int32_t count_ = 0;
  std::int16_t selected_ = -1;
  std::function<void(const std::string&)> onAdd_;
  std::function<void(const std::vector<std::string>&)> onDrop_;
  std::function<void()> onDelete_;
  std::function<void()> onSelect_;
  std::function<void()> onOpen_;
  std::function<void(std::int16_t, std::int16_t)> onDragged_;
};

class MemoryTextBox : public TextBox {
 public:
  explicit MemoryTextBox(std::string text) : text_(std::move(text)) {}
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const { return enabled_; }
  void SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> handler) override {
    onDrop_ = std::move(handler);
  }
  void Drop(const std::vector<std::string>& paths) {
    if (onDrop_) {
      onDrop_(paths);
    }
  }
  void SetOnEnter(std::function<void()> handler) override { onEnter_ = std::move(handler); }
  // Enter pressed in the box.
  void PressEnter() {
    if (onEnter_) {
      onEnter_();
    }
  }

 private:
  std::string text_;
  bool enabled_ = true;
  std::function<void(const std::vector<std::string>&)> onDrop_;
  std::function<void()> onEnter_;
};

class MemoryPushButton : public PushButton {
 public:
  explicit MemoryPushButton(std::string caption) : caption_(std::move(caption)) {}
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  void SetOnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }
  // A click as the user makes it: a disabled button takes none.
  void Click();
  const std::string& Caption() const { return caption_; }

 private:
  std::string caption_;
  bool enabled_ = true;
  std::function<void()> onClick_;
};

class MemoryLabel : public Label {
 public:
  explicit MemoryLabel(std::string caption) : caption_(std::move(caption)) {}
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  const std::string& Caption() const { return caption_; }

 private:
  std::string caption_;
};

// The memory control behind a control that a MemoryWindow made, for a front
// end or a test that fills and clicks it. InvalidArgumentError for a control
// of another backend.
MemoryListBox& AsMemory(ListBox& control);
MemoryTextBox& AsMemory(TextBox& control);
MemoryPushButton& AsMemory(PushButton& control);
MemoryLabel& AsMemory(Label& control);

}  // namespace sprite::winsys
