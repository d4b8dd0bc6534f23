// What a list box's view shows: its lines, in a model that keeps nothing
// else, each drawn as wide as the widest one seen.
#pragma once

#include <QtCore/QAbstractListModel>
#include <QtCore/QStringList>
#include <QtWidgets/QStyledItemDelegate>
#include <algorithm>
#include <utility>

namespace sprite::winsys::qt {

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

// The lines and nothing else: no item objects, no roles but the text.
class LineModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
  }
  // A layout asks for the index of every line: made here at once, without the
  // base class's round of virtual calls to check it.
  QModelIndex index(int row, int column = 0,
                    const QModelIndex& parent = QModelIndex()) const override {
    const bool inside = row >= 0 && row < lines_.size() && column == 0 && !parent.isValid();
    return inside ? createIndex(row, column) : QModelIndex();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
      return {};
    }
    return lines_[index.row()];
  }

  int Count() const { return static_cast<int>(lines_.size()); }
  const QString& Line(int row) const { return lines_[row]; }
  void Append(QStringList& lines) {
    const int first = Count();
    beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    lines_.append(std::move(lines));
    endInsertRows();
    lines.clear();
  }
  void Insert(int row, const QString& line) {
    beginInsertRows({}, row, row);
    lines_.insert(row, line);
    endInsertRows();
  }
  void Remove(int row) {
    beginRemoveRows({}, row, row);
    lines_.removeAt(row);
    endRemoveRows();
  }
  void Clear() {
    beginResetModel();
    lines_.clear();
    endResetModel();
  }

 private:
  QStringList lines_;
};

}  // namespace sprite::winsys::qt
