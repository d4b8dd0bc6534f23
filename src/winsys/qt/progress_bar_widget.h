#pragma once

#include <QtWidgets/QWidget>
#include <cstdint>

#include "winsys/emulated/progress_bar_state.h"
#include "winsys/window_calls.h"

namespace sprite::winsys::qt {

// The "msctls_progress32" window class: a 32-bit range with the position kept
// inside it, a step that starts over from the low limit once it passes the
// high one, block or smooth drawing, horizontal or vertical (filling from the
// bottom), bar and background colours and three edge styles. It repaints only
// when what it shows changes, so a stream of PBM_SETPOS calls costs little.
class ProgressBarWidget : public QWidget {
 public:
  ProgressBarWidget(std::uint32_t style, std::int32_t exStyle, QWidget* parent);

  // The message's result as the native control gives it; 0 for messages it
  // does not know.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  std::uint32_t Style() const { return style_; }
  void SetStyle(std::uint32_t style);
  // Stored at once; drawn after ApplyFrame, as a frame change takes effect
  // with SetWindowPos(SWP_FRAMECHANGED).
  std::int32_t ExStyle() const { return exStyle_; }
  void SetExStyle(std::int32_t exStyle) { exStyle_ = exStyle; }
  void ApplyFrame();

  std::int32_t Low() const { return state_.Low(); }
  std::int32_t High() const { return state_.High(); }
  std::int32_t Position() const { return state_.Position(); }
  // Inside the edges: where the background is drawn.
  QRect ClientRect() const;
  // Inside the client rectangle's one-pixel margin: where the bar grows.
  QRect BarRect() const;
  // How many repaints the bar has asked for since it was made.
  int RepaintRequests() const { return repaintRequests_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Chunks {
    int size;  // along the bar
    int gap;
  };

  // Keeps the bar's length and block stride for FilledLength and ShownExtent.
  void MeasureBar() const;
  // Pixels of the bar's length that the position fills.
  int FilledLength() const;
  Chunks BlockChunks() const;
  // What is on screen along the bar: filled pixels, or whole blocks.
  int ShownExtent() const;
  void Repaint();
  void RepaintIfShownChanged();
  QColor BarColour() const;
  QColor BackgroundColour() const;

  std::uint32_t style_;
  std::int32_t exStyle_;
  std::int32_t frameExStyle_;  // the edges drawn
  ProgressBarState state_;
  int shownExtent_ = 0;
  int repaintRequests_ = 0;
  bool paintPending_ = false;
  mutable QSize measuredSize_;
  mutable int barLength_ = 0;
  mutable int chunkStride_ = 1;
};

}  // namespace sprite::winsys::qt
