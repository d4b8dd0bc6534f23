#include "winsys/qt/progress_bar_widget.h"

#include <QtGui/QPainter>
#include <algorithm>
#include <utility>

#include "winsys/qt/qt_colours.h"

namespace sprite::winsys::qt {
namespace {

constexpr int kChunkGap = 2;  // pixels between blocks

// RGB with red in the low byte; CLR_DEFAULT and every other flagged value
// leave the palette's colour.
QColor FromColourRef(std::uint32_t colour, const QColor& fallback) {
  if ((colour & 0xFF000000) != 0) {
    return fallback;
  }
  return qt::FromColourRef(colour);
}

// One-pixel ring of a 3-D edge; returns what lies inside it.
QRect Ring(QPainter& painter, const QRect& outer, const QColor& topLeft,
           const QColor& bottomRight) {
  if (outer.width() <= 0 || outer.height() <= 0) {
    return outer;
  }
  painter.fillRect(QRect(outer.left(), outer.bottom(), outer.width(), 1), bottomRight);
  painter.fillRect(QRect(outer.right(), outer.top(), 1, outer.height()), bottomRight);
  painter.fillRect(QRect(outer.left(), outer.top(), outer.width() - 1, 1), topLeft);
  painter.fillRect(QRect(outer.left(), outer.top(), 1, outer.height() - 1), topLeft);
  return outer.adjusted(1, 1, -1, -1);
}

int EdgeWidth(std::int32_t exStyle) {
  int width = 0;
  if ((exStyle & WS_EX_WINDOWEDGE) != 0) {
    width += 2;
  }
  if ((exStyle & WS_EX_CLIENTEDGE) != 0) {
    width += 2;
  }
  if ((exStyle & WS_EX_STATICEDGE) != 0) {
    width += 1;
  }
  return width;
}

}  // namespace

ProgressBarWidget::ProgressBarWidget(std::uint32_t style, std::int32_t exStyle, QWidget* parent)
    : QWidget(parent), style_(style), exStyle_(exStyle), frameExStyle_(exStyle) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  MeasureBar();
}

LRESULT ProgressBarWidget::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const ProgressBarState::Answer answer = state_.HandleMessage(message, wParam, lParam);
  if (answer.change == ProgressBarState::Change::kColour) {
    Repaint();
  } else if (answer.change == ProgressBarState::Change::kPosition) {
    RepaintIfShownChanged();
  }
  return answer.result;
}

void ProgressBarWidget::SetStyle(std::uint32_t style) {
  if (style == style_) {
    return;
  }
  style_ = style;
  MeasureBar();
  shownExtent_ = ShownExtent();
  Repaint();
}

void ProgressBarWidget::ApplyFrame() {
  frameExStyle_ = exStyle_;
  MeasureBar();
  shownExtent_ = ShownExtent();
  Repaint();
}

QRect ProgressBarWidget::ClientRect() const {
  const int edge = EdgeWidth(frameExStyle_);
  return rect().adjusted(edge, edge, -edge, -edge);
}

QRect ProgressBarWidget::BarRect() const {
  return ClientRect().adjusted(1, 1, -1, -1);
}

void ProgressBarWidget::MeasureBar() const {
  measuredSize_ = size();
  const QRect bar = BarRect();
  barLength_ = (style_ & PBS_VERTICAL) != 0 ? bar.height() : bar.width();
  const Chunks chunks = BlockChunks();
  chunkStride_ = chunks.size + chunks.gap;
}

int ProgressBarWidget::FilledLength() const {
  // Measured once per size, frame or style: a bar takes thousands of positions.
  // A hidden widget is resized without a resize event, so the size is compared.
  if (size() != measuredSize_) {
    MeasureBar();
  }
  return static_cast<int>(state_.Filled(barLength_));
}

ProgressBarWidget::Chunks ProgressBarWidget::BlockChunks() const {
  const QRect bar = BarRect();
  const int across = (style_ & PBS_VERTICAL) != 0 ? bar.width() : bar.height();
  return {std::max(1, across * 2 / 3), kChunkGap};
}

int ProgressBarWidget::ShownExtent() const {
  const int filled = FilledLength();
  if ((style_ & PBS_SMOOTH) != 0 || filled == 0) {
    return filled;
  }
  return (filled + chunkStride_ - 1) / chunkStride_;
}

void ProgressBarWidget::Repaint() {
  ++repaintRequests_;
  // One update until the paint comes: a bar moved thousands of times between
  // two paints asks the window system once.
  if (!paintPending_) {
    paintPending_ = true;
    update();
  }
}

void ProgressBarWidget::RepaintIfShownChanged() {
  // A paint on its way shows the latest position anyway: a bar moved
  // thousands of times between two paints measures nothing meanwhile.
  if (paintPending_) {
    return;
  }
  const int shown = ShownExtent();
  if (shown != shownExtent_) {
    shownExtent_ = shown;
    Repaint();
  }
}

QColor ProgressBarWidget::BarColour() const {
  return FromColourRef(state_.BarColour(), palette().color(QPalette::Highlight));
}

QColor ProgressBarWidget::BackgroundColour() const {
  return FromColourRef(state_.BackColour(), palette().color(QPalette::Button));
}

void ProgressBarWidget::resizeEvent(QResizeEvent* event) {
  MeasureBar();
  shownExtent_ = ShownExtent();
  QWidget::resizeEvent(event);
}

void ProgressBarWidget::paintEvent(QPaintEvent*) {
  paintPending_ = false;
  shownExtent_ = ShownExtent();
  QPainter painter(this);
  const QPalette& colours = palette();
  QRect inside = rect();
  // Outermost first: window edge (raised), client edge (sunken), static edge.
  if ((frameExStyle_ & WS_EX_WINDOWEDGE) != 0) {
    inside =
        Ring(painter, inside, colours.color(QPalette::Midlight), colours.color(QPalette::Shadow));
    inside = Ring(painter, inside, colours.color(QPalette::Light), colours.color(QPalette::Dark));
  }
  if ((frameExStyle_ & WS_EX_CLIENTEDGE) != 0) {
    inside = Ring(painter, inside, colours.color(QPalette::Dark), colours.color(QPalette::Light));
    inside =
        Ring(painter, inside, colours.color(QPalette::Shadow), colours.color(QPalette::Midlight));
  }
  if ((frameExStyle_ & WS_EX_STATICEDGE) != 0) {
    inside = Ring(painter, inside, colours.color(QPalette::Dark), colours.color(QPalette::Light));
  }
  painter.fillRect(inside, BackgroundColour());

  const QRect bar = BarRect();
  const int filled = FilledLength();
  if (filled <= 0 || bar.isEmpty()) {
    return;
  }
  const bool vertical = (style_ & PBS_VERTICAL) != 0;
  const QColor colour = BarColour();
  // A span [from, to) along the bar, measured from its start: the left edge,
  // or the bottom edge of a vertical bar.
  const auto fillSpan = [&](int from, int to) {
    if (vertical) {
      painter.fillRect(QRect(bar.left(), bar.bottom() + 1 - to, bar.width(), to - from), colour);
    } else {
      painter.fillRect(QRect(bar.left() + from, bar.top(), to - from, bar.height()), colour);
    }
  };
  if ((style_ & PBS_SMOOTH) != 0) {
    fillSpan(0, filled);
    return;
  }
  const Chunks chunks = BlockChunks();
  const int length = vertical ? bar.height() : bar.width();
  for (int start = 0; start < filled; start += chunks.size + chunks.gap) {
    fillSpan(start, std::min(start + chunks.size, length));
  }
}

}  // namespace sprite::winsys::qt
