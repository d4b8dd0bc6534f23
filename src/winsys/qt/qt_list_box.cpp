#include "winsys/qt/qt_list_box.h"

#include <QtCore/QTimer>
#include <QtGui/QDragEnterEvent>
#include <QtGui/QDropEvent>
#include <QtGui/QFont>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QListView>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyle>
#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "common/error.h"
#include "winsys/list_box_rules.h"
#include "winsys/qt/dropped_files.h"
#include "winsys/qt/message_box.h"
#include "winsys/qt/qt_list_lines.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::winsys::qt {

// The list's view: takes dropped files and the Delete key, lets a line be
// dragged to another place, keeps following its newest line while it is
// scrolled to the end, and knows its widest line.
class LineListView : public QListView {
 public:
  explicit LineListView(QWidget* parent)
      : QListView(parent), lines_(new LineModel(this)), delegate_(this) {
    advances_.fill(-1);
    setModel(lines_);
    setItemDelegate(&delegate_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every line has the height of the first: appending stays cheap for long logs.
    setUniformItemSizes(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);

    QScrollBar* bar = verticalScrollBar();
    QObject::connect(bar, &QScrollBar::valueChanged, this,
                     [this, bar](int value) { followingEnd_ = value >= bar->maximum(); });
    QObject::connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
      if (followingEnd_) {
        bar->setValue(maximum);
      }
    });
  }

  // Widens the lines to hold `lines`. Shaping every line of a long log costs a
  // fifth of a Decode run, so a line of Latin-1 characters is measured as the
  // sum of their advances, kept per font; kerning makes that a pixel or two
  // off, which the allowance covers. Other lines are shaped.
  void Measure(const QStringList& lines) {
    const QFontMetrics metrics = fontMetrics();
    if (advancesFont_ != font()) {
      advancesFont_ = font();
      advances_.fill(-1);
    }
    constexpr int kKerningAllowance = 2;
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) +
                       kKerningAllowance;
    int widest = 0;
    for (const QString& line : lines) {
      int width = 0;
      for (const QChar c : line) {
        if (c.unicode() >= advances_.size()) {
          width = metrics.horizontalAdvance(line);
          break;
        }
        int& advance = advances_[c.unicode()];
        if (advance < 0) {
          advance = metrics.horizontalAdvance(c);
        }
        width += advance;
      }
      widest = std::max(widest, width);
    }
    delegate_.Widen(widest + margin);
  }
  void ForgetWidth() { delegate_.Reset(); }
  LineModel* Lines() const { return lines_; }

  std::function<void(const std::vector<std::string>&)> onFilesDropped;
  std::function<void()> onDeleteKey;
  std::function<void()> onOpenItem;
  std::function<void(std::int16_t, std::int16_t)> onItemDragged;

 protected:
  // A line dragged with the left button: the selection follows the mouse as
  // the view moves it, and the line goes where the button is released.
  void mousePressEvent(QMouseEvent* event) override {
    dragFrom_ = event->button() == Qt::LeftButton && onItemDragged
                    ? indexAt(event->position().toPoint()).row()
                    : -1;
    dragStart_ = event->position().toPoint();
    dragging_ = false;
    QListView::mousePressEvent(event);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (dragFrom_ >= 0 && (event->position().toPoint() - dragStart_).manhattanLength() >=
                              QApplication::startDragDistance()) {
      dragging_ = true;
    }
    QListView::mouseMoveEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    QListView::mouseReleaseEvent(event);
    if (!dragging_ || event->button() != Qt::LeftButton) {
      return;
    }
    dragging_ = false;
    // Past the last line is the last line; above the first, the first.
    int to = indexAt(event->position().toPoint()).row();
    if (to < 0) {
      to = event->position().y() < 0 ? 0 : lines_->Count() - 1;
    }
    if (to != dragFrom_ && to >= 0 && to <= kMaxListCount && dragFrom_ <= kMaxListCount) {
      const auto handler = onItemDragged;
      RunGuarded(
          [&] { handler(static_cast<std::int16_t>(dragFrom_), static_cast<std::int16_t>(to)); },
          window());
    }
  }

  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && onDeleteKey) {
      const auto handler = onDeleteKey;
      handler();
      return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && onOpenItem &&
        selectionModel()->hasSelection()) {
      const auto handler = onOpenItem;
      RunGuarded(handler, window());
      return;
    }
    QListView::keyPressEvent(event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QListView::mouseDoubleClickEvent(event);
    // The first click of the two selected the line.
    if (event->button() == Qt::LeftButton && onOpenItem &&
        indexAt(event->position().toPoint()).isValid() && selectionModel()->hasSelection()) {
      const auto handler = onOpenItem;
      RunGuarded(handler, window());
    }
  }
  void dragEnterEvent(QDragEnterEvent* event) override { AcceptFiles(event); }
  void dragMoveEvent(QDragMoveEvent* event) override { AcceptFiles(event); }
  void dropEvent(QDropEvent* event) override {
    const std::vector<std::string> paths = DroppedFiles(event->mimeData());
    if (paths.empty() || !onFilesDropped) {
      event->ignore();
      return;
    }
    event->acceptProposedAction();
    const auto handler = onFilesDropped;
    handler(paths);
  }

 private:
  void AcceptFiles(QDropEvent* event) {
    if (onFilesDropped && !DroppedFiles(event->mimeData()).empty()) {
      event->acceptProposedAction();
    } else {
      event->ignore();
    }
  }

  LineModel* lines_;
  WidestLineDelegate delegate_;
  bool followingEnd_ = true;
  int dragFrom_ = -1;
  QPoint dragStart_;
  bool dragging_ = false;
  QFont advancesFont_;
  std::array<int, 256> advances_;  // per Latin-1 character, -1 until measured
};

QtListBox::QtListBox(QWidget* parent, QObject* context)
    : list_(new LineListView(parent)), model_(list_->Lines()), context_(context) {
  QObject::connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, context_,
                   [this] {
                     if (byProgram_ == 0 && onSelectionChanged_) {
                       const auto handler = onSelectionChanged_;
                       RunGuarded(handler, list_->window());
                     }
                   });
}

QListView* QtListBox::Widget() const {
  return list_;
}

QListView* WidgetOf(ListBox& control) {
  auto* list = dynamic_cast<QtListBox*>(&control);
  if (list == nullptr) {
    throw InvalidArgumentError("the list box belongs to another window system");
  }
  return list->Widget();
}

void QtListBox::Clear() {
  const ByProgram quiet(byProgram_);
  selectPending_.reset();
  pendingLines_.clear();
  model_->Clear();
  list_->ForgetWidth();
}

void QtListBox::AddItem(const std::string& line) {
  pendingLines_.append(FromUtf8(line));
  ScheduleFlush();
}

std::int16_t QtListBox::ListCount() const {
  FlushLines();
  return ListCount16(model_->Count());
}

std::string QtListBox::List(std::int16_t index) const {
  FlushLines();
  CheckIndex(index);
  return ToUtf8(model_->Line(index));
}

std::int16_t QtListBox::ListIndex() const {
  FlushLines();
  if (selectPending_) {
    return static_cast<std::int16_t>(std::min(*selectPending_, int{kMaxListCount}));
  }
  const QModelIndexList selected = list_->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) {
    return -1;
  }
  const int row = selected.first().row();
  if (row > kMaxListCount) {
    throw OverflowError("the selected line " + std::to_string(row) + " is past line " +
                        std::to_string(kMaxListCount));
  }
  return static_cast<std::int16_t>(row);
}

void QtListBox::SetListIndex(std::int16_t index) {
  FlushLines();
  if (index != -1) {
    CheckIndex(index);
  }
  ScheduleSelection(index);
}

void QtListBox::SelectLast() {
  // The line that is last now; lines appended afterwards do not move the selection.
  ScheduleSelection(model_->Count() + static_cast<int>(pendingLines_.size()) - 1);
}

void QtListBox::RemoveItem(std::int16_t index) {
  const ByProgram quiet(byProgram_);
  FlushLines();
  CheckIndex(index);
  ApplySelection();
  const bool removingSelected = list_->selectionModel()->isRowSelected(index, {});
  model_->Remove(index);
  // The view would make the line that takes the removed one's place current.
  if (removingSelected) {
    list_->selectionModel()->clear();
  }
}

void QtListBox::InsertItem(std::int16_t index, const std::string& line) {
  const ByProgram quiet(byProgram_);
  FlushLines();
  if (index != model_->Count()) {
    CheckIndex(index);
  }
  ApplySelection();
  const QStringList lines{FromUtf8(line)};
  list_->Measure(lines);
  model_->Insert(index, lines.front());
  list_->selectionModel()->clear();
}

void QtListBox::SetOnItemDragged(std::function<void(std::int16_t, std::int16_t)> handler) {
  list_->onItemDragged = std::move(handler);
}

void QtListBox::SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> handler) {
  list_->onFilesDropped = std::move(handler);
}

void QtListBox::SetOnDeleteKey(std::function<void()> handler) {
  list_->onDeleteKey = std::move(handler);
}

void QtListBox::SetOnSelectionChanged(std::function<void()> handler) {
  onSelectionChanged_ = std::move(handler);
}

void QtListBox::SetOnOpenItem(std::function<void()> handler) {
  list_->onOpenItem = std::move(handler);
}

void QtListBox::ScheduleSelection(int row) {
  selectPending_ = row;
  ScheduleFlush();
}

void QtListBox::ScheduleFlush() {
  if (!flushScheduled_) {
    flushScheduled_ = true;
    QTimer::singleShot(FlushDelayMs(), context_, [this] {
      flushScheduled_ = false;
      FlushLines();
      ApplySelection();
      // New lines are laid out now. The view would wait for a timer of its
      // own, and while a run lets the window process its events only now and
      // then, that timer lost the race to the repaint: both lists stayed
      // blank until the run ended.
      QElapsedTimer layout;
      layout.start();
      list_->doItemsLayout();
      layoutNs_ = layout.nsecsElapsed();
      sinceLayout_.start();
    });
  }
}

int QtListBox::FlushDelayMs() const {
  // A short list lays out in well under a millisecond; the time its first
  // layouts take is mostly fonts and style, which must not delay its lines.
  constexpr int kLongList = 4096;
  if (!sinceLayout_.isValid() || model_->Count() < kLongList) {
    return 0;
  }
  // A run lets the window process its events every kYieldIntervalMs: a
  // shorter wait would change nothing in a run and only slow a line added by
  // hand.
  const qint64 waitNs = kLayoutShare * layoutNs_ - sinceLayout_.nsecsElapsed();
  const qint64 waitMs = waitNs / 1'000'000;
  return waitMs >= QtWindowSystem::kYieldIntervalMs ? static_cast<int>(waitMs) : 0;
}

void QtListBox::FlushLines() const {
  if (!pendingLines_.isEmpty()) {
    list_->Measure(pendingLines_);
    model_->Append(pendingLines_);
  }
}

void QtListBox::CheckIndex(std::int16_t index) const {
  CheckListIndex(index, model_->Count());
}

void QtListBox::ApplySelection() {
  const ByProgram quiet(byProgram_);
  FlushLines();
  if (!selectPending_) {
    return;
  }
  const int row = *std::exchange(selectPending_, std::nullopt);
  QItemSelectionModel& selection = *list_->selectionModel();
  if (row < 0 || row >= model_->Count()) {
    selection.clear();
    return;
  }
  const QModelIndex index = model_->index(row);
  selection.setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  list_->scrollTo(index);
}

}  // namespace sprite::winsys::qt
