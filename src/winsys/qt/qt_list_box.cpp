#include "winsys/qt/qt_list_box.h"

#include <QtCore/QTimer>
#include <QtGui/QDragEnterEvent>
#include <QtGui/QDropEvent>
#include <QtGui/QFont>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "common/error.h"
#include "winsys/list_box_rules.h"
#include "winsys/qt/dropped_files.h"
#include "winsys/qt/message_box.h"
#include "winsys/qt/qt_text.h"

namespace sprite::winsys::qt {
namespace {

// Every line is as wide as the widest one seen: with uniform item sizes the view
// measures one sample line, and the horizontal scroll range comes from it.
class WidestLineDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(std::max(size.width(), widest_));
    return size;
  }

  void Widen(int width) { widest_ = std::max(widest_, width); }
  void Reset() { widest_ = 0; }

 private:
  int widest_ = 0;
};

}  // namespace

// The list widget: takes dropped files and the Delete key, keeps following its
// newest line while it is scrolled to the end, and knows its widest line.
class LineListWidget : public QListWidget {
 public:
  explicit LineListWidget(QWidget* parent) : QListWidget(parent), delegate_(this) {
    advances_.fill(-1);
    setItemDelegate(&delegate_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
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

  std::function<void(const std::vector<std::string>&)> onFilesDropped;
  std::function<void()> onDeleteKey;
  std::function<void()> onOpenItem;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && onDeleteKey) {
      const auto handler = onDeleteKey;
      handler();
      return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && onOpenItem &&
        !selectedItems().isEmpty()) {
      const auto handler = onOpenItem;
      RunGuarded(handler, window());
      return;
    }
    QListWidget::keyPressEvent(event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QListWidget::mouseDoubleClickEvent(event);
    // The first click of the two selected the line.
    if (event->button() == Qt::LeftButton && onOpenItem && itemAt(event->position().toPoint()) &&
        !selectedItems().isEmpty()) {
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

  WidestLineDelegate delegate_;
  bool followingEnd_ = true;
  QFont advancesFont_;
  std::array<int, 256> advances_;  // per Latin-1 character, -1 until measured
};

QtListBox::QtListBox(QWidget* parent, QObject* context)
    : list_(new LineListWidget(parent)), context_(context) {
  QObject::connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, context_,
                   [this] {
                     if (byProgram_ == 0 && onSelectionChanged_) {
                       const auto handler = onSelectionChanged_;
                       RunGuarded(handler, list_->window());
                     }
                   });
}

QListWidget* QtListBox::Widget() const {
  return list_;
}

QListWidget* WidgetOf(ListBox& control) {
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
  list_->clear();
  list_->ForgetWidth();
}

void QtListBox::AddItem(const std::string& line) {
  pendingLines_.append(FromUtf8(line));
  ScheduleFlush();
}

std::int16_t QtListBox::ListCount() const {
  FlushLines();
  return ListCount16(list_->count());
}

std::string QtListBox::List(std::int16_t index) const {
  FlushLines();
  CheckIndex(index);
  return ToUtf8(list_->item(index)->text());
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
  ScheduleSelection(list_->count() + static_cast<int>(pendingLines_.size()) - 1);
}

void QtListBox::RemoveItem(std::int16_t index) {
  const ByProgram quiet(byProgram_);
  FlushLines();
  CheckIndex(index);
  ApplySelection();
  const bool removingSelected = list_->item(index)->isSelected();
  delete list_->takeItem(index);
  // The view would select the line that takes the removed one's place.
  if (removingSelected) {
    list_->clearSelection();
  }
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
    QTimer::singleShot(0, context_, [this] {
      flushScheduled_ = false;
      FlushLines();
      ApplySelection();
    });
  }
}

void QtListBox::FlushLines() const {
  if (!pendingLines_.isEmpty()) {
    list_->Measure(pendingLines_);
    list_->addItems(pendingLines_);
    pendingLines_.clear();
  }
}

void QtListBox::CheckIndex(std::int16_t index) const {
  CheckListIndex(index, list_->count());
}

void QtListBox::ApplySelection() {
  const ByProgram quiet(byProgram_);
  FlushLines();
  if (!selectPending_) {
    return;
  }
  const int row = *std::exchange(selectPending_, std::nullopt);
  if (row < 0 || row >= list_->count()) {
    list_->clearSelection();
    list_->setCurrentRow(-1);
    return;
  }
  list_->setCurrentRow(row);
  list_->scrollToItem(list_->item(row));
}

}  // namespace sprite::winsys::qt
