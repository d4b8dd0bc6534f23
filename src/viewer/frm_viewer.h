#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "pipeline/archive_entries.h"
#include "pipeline/picture_source.h"
#include "viewer/entry_player.h"
#include "viewer/view_image.h"
#include "winsys/window_system.h"

namespace sprite::viewer {

// The viewer: one resizable window that shows one picture of the file list
// enlarged by a whole step (1x to 16x), its see-through colour (index 0) over a
// light checkerboard, with the file's name in the title, and the name, its
// size, its colours and the step on the line under it. + and - (and Ctrl with the mouse
// wheel) change the step, the arrow keys and the wheel scroll a picture
// larger than the window, Esc closes it. A file that cannot be shown says why
// on that line. Only the picture shown is kept, and only the part of it the
// window shows is ever scaled.
//
// It shows an archive's own entries as well, decoded in memory: the arrow
// keys step to the entry before or after, Page Up and Page Down by ten, Home
// and End to the first and the last; the space bar plays the entries as an
// animation and stops it, at a rate [ and ] change (10 frames a second at
// first), which the line shows. The entries keep one step, the first one's
// fitted or the one the user chooses.
class frmViewer : private winsys::PictureWindowHandler {
 public:
  // `pictures` reads the files, as an Encode would (and so reads whatever
  // kinds of picture it does).
  frmViewer(winsys::WindowSystem& windows, pipeline::PictureSource& pictures);
  ~frmViewer() override;
  frmViewer(const frmViewer&) = delete;
  frmViewer& operator=(const frmViewer&) = delete;

  // Shows the file, making the window on first use, and brings the window to
  // the front with the keyboard.
  void ShowFile(const std::string& path);
  // Shows the file when the window is showing, leaving the keyboard where it
  // is; nothing otherwise. For the file list's selection.
  void FollowFile(const std::string& path);
  // Shows the first entry of the archive `entries` reads, as ShowFile shows a file.
  void ShowArchive(std::unique_ptr<pipeline::ArchiveEntries> entries);
  // Reads what the window shows anew, keeping the entry, the step and the
  // place: a run may have replaced that file or archive. Nothing when hidden.
  void Reread();
  // Hides the window and drops the picture.
  void Close();
  bool Showing() const;

  // The step one further up or down, within kMinZoom and kMaxZoom.
  void ZoomIn() { SetZoom(zoom_ + 1); }
  void ZoomOut() { SetZoom(zoom_ - 1); }

  // What the window shows, for a test.
  const std::string& Path() const { return path_; }
  std::int32_t Zoom() const { return zoom_; }
  const std::string& Caption() const { return caption_; }
  const std::string& Text() const { return text_; }
  // The picture shown, or nullptr when the file could not be read.
  const IndexedPicture* Shown() const { return picture_ ? &*picture_ : nullptr; }
  // The archive's entries and their playing, while an archive is shown.
  const EntryPlayer* Player() const { return player_ ? &*player_ : nullptr; }
  // The window once it is made, shown or not.
  winsys::PictureWindow* LoadedWindow() { return window_.get(); }

 private:
  void AreaResized(winsys::PixelSize area) override;
  void KeyPressed(winsys::PictureKey key) override;
  void WheelTurned(std::int32_t notches, bool control, bool shift) override;
  void Closed() override;
  void TimerTicked() override;

  void Load(const std::string& path);
  // Makes the window on first use, shows it with the keyboard and draws.
  void Present();
  // Reads the player's entry of the archive into the picture.
  void LoadEntry();
  // Makes what `read` reads the picture shown, or its fault the line's.
  void Take(const std::function<formats::StoredPicture()>& read);
  // Back to showing files: no archive, no timer.
  void LeaveArchive();
  // Shows the player's entry after a key, and starts or stops the timer as it plays.
  void ShowEntry();
  // An archive's key; false for a key that is not one.
  bool ArchiveKey(winsys::PictureKey key);
  void SetZoom(std::int32_t zoom);
  // Scrolls by a number of area pixels each way.
  void Scroll(std::int64_t right, std::int64_t down);
  // Hands the window the area as it now looks, and its title and line.
  void Redraw();
  void Forget();

  winsys::WindowSystem& windows_;
  pipeline::PictureSource& pictures_;
  std::unique_ptr<winsys::PictureWindow> window_;

  std::string path_;
  // While an archive is shown: its entries, and which one is shown.
  std::unique_ptr<pipeline::ArchiveEntries> archive_;
  std::optional<EntryPlayer> player_;
  std::optional<IndexedPicture> picture_;
  std::int32_t colours_ = 0;
  std::string fault_;  // why the file cannot be shown; empty when it is
  std::int32_t zoom_ = kMinZoom;
  // The user chose the step: a window resized keeps it, and so does a next
  // picture of the same size (the next frame of an animation).
  bool zoomChosen_ = false;
  PicturePoint centre_;  // the picture's point at the middle of the area
  std::string caption_;
  std::string text_;
};

}  // namespace sprite::viewer
