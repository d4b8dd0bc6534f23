// The list box: a QListView over a plain model of its lines.
#pragma once

#include <QtCore/QElapsedTimer>
#include <QtCore/QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "winsys/window_system.h"

class QListView;
class QObject;
class QWidget;

namespace sprite::winsys::qt {

class LineListView;
class LineModel;

// Lines are handed to the view in batches, when the window next processes its
// events (at most every 25 ms while a run goes on, less often for a list whose
// layout takes long) or when the list is read, so that appending stays cheap
// for logs of thousands of lines: the model keeps nothing but the lines'
// text, and every line has the height of the first. A view scrolled to its
// end follows the newest line; one the user scrolled up stays where it is.
// Lines wider than the view get a horizontal scroll bar.
class QtListBox : public ListBox {
 public:
  // Makes the list's widget as a child of `parent`; `context` ends the batches
  // when it is destroyed.
  QtListBox(QWidget* parent, QObject* context);

  QListView* Widget() const;

  void Clear() override;
  void AddItem(const std::string& line) override;
  std::int16_t ListCount() const override;
  std::string List(std::int16_t index) const override;
  std::int16_t ListIndex() const override;
  // The selection is applied when the window next processes its events, however
  // many lines were appended and selected meanwhile: selecting lays out every
  // line of the view again.
  void SetListIndex(std::int16_t index) override;
  void SelectLast() override;
  void RemoveItem(std::int16_t index) override;
  void InsertItem(std::int16_t index, const std::string& line) override;
  void SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> handler) override;
  void SetOnDeleteKey(std::function<void()> handler) override;
  // A click or the arrow keys; not the selections made through this interface.
  void SetOnSelectionChanged(std::function<void()> handler) override;
  // A double-click on a line, or Enter (main keyboard or keypad) with a line selected.
  void SetOnOpenItem(std::function<void()> handler) override;
  // A line pressed with the left button and released over another.
  void SetOnItemDragged(std::function<void(std::int16_t, std::int16_t)> handler) override;

 private:
  // Marks the changes this object makes to the view's selection while it exists.
  class ByProgram {
   public:
    explicit ByProgram(int& depth) : depth_(depth) { ++depth_; }
    ~ByProgram() { --depth_; }
    ByProgram(const ByProgram&) = delete;
    ByProgram& operator=(const ByProgram&) = delete;

   private:
    int& depth_;
  };

  void ScheduleSelection(int row);
  void ScheduleFlush();
  // How long the next batch waits: a layout walks every line of the view, so
  // while lines keep coming, batches are spaced to keep the layouts to one
  // part in kLayoutShare of the time. A log of tens of thousands of lines
  // would otherwise spend a tenth of a Decode run laying itself out again.
  int FlushDelayMs() const;
  void FlushLines() const;
  void CheckIndex(std::int16_t index) const;
  void ApplySelection();

  LineListView* list_;
  LineModel* model_;
  QObject* context_;
  std::optional<int> selectPending_;
  mutable QStringList pendingLines_;
  bool flushScheduled_ = false;
  static constexpr qint64 kLayoutShare = 50;
  QElapsedTimer sinceLayout_;  // since the last layout ended
  qint64 layoutNs_ = 0;        // how long it took
  int byProgram_ = 0;
  std::function<void()> onSelectionChanged_;
};

// The widget of a list box that a Qt window made, for a tool or a test that
// fills and clicks it. InvalidArgumentError for a list box of another backend.
QListView* WidgetOf(ListBox& control);

}  // namespace sprite::winsys::qt
