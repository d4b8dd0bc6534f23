#include "viewer/frm_viewer.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <utility>

#include "common/error.h"
#include "common/fault.h"
#include "common/text.h"

namespace sprite::viewer {
namespace {

using winsys::PictureKey;
using winsys::PixelSize;

constexpr char kTitle[] = "Sprite Viewer";
constexpr char kTimes[] = "\u00D7";  // the multiplication sign, in UTF-8
// The arrow keys scroll by this part of the area, a notch of the wheel by half that.
constexpr std::int64_t kScrollParts = 4;

winsys::PictureWindowSpec ViewerWindowSpec() {
  winsys::PictureWindowSpec design;
  design.caption = kTitle;
  design.clientWidth = 6000;   // 400 pixels at 96 dots per inch
  design.clientHeight = 5400;  // 360
  design.font = winsys::FontSpec{"Tahoma", 8.25, 400, 238};
  return design;
}

// The file's name without its folder, as the title shows it.
std::string FileName(const std::string& path) {
#ifdef _WIN32
  const std::size_t slash = path.find_last_of("/\\");
#else
  const std::size_t slash = path.rfind('/');
#endif
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ColoursText(std::int32_t colours) {
  return std::to_string(colours) + (colours == 1 ? " colour" : " colours");
}

}  // namespace

frmViewer::frmViewer(winsys::WindowSystem& windows, pipeline::PictureSource& pictures)
    : windows_(windows), pictures_(pictures) {}

frmViewer::~frmViewer() {
  if (window_) {
    window_->SetHandler(nullptr);
  }
}

bool frmViewer::Showing() const {
  return window_ && window_->Visible();
}

void frmViewer::ShowFile(const std::string& path) {
  LeaveArchive();
  Load(path);
  Present();
}

void frmViewer::ShowArchive(std::unique_ptr<pipeline::ArchiveEntries> entries) {
  LeaveArchive();
  path_ = entries->Path();
  archive_ = std::move(entries);
  std::int32_t count = 0;
  try {
    count = archive_->Count();
  } catch (const FaultError&) {
    // LoadEntry says why.
  }
  player_.emplace(count);
  zoomChosen_ = false;
  LoadEntry();
  Present();
  // The entries keep the step the first one is fitted at: an animation's
  // frames of other sizes keep one scale.
  zoomChosen_ = picture_.has_value();
}

void frmViewer::Present() {
  if (!window_) {
    window_ = windows_.CreatePictureWindow(ViewerWindowSpec());
    window_->SetHandler(this);
  }
  window_->Show();
  Redraw();
}

void frmViewer::FollowFile(const std::string& path) {
  if (Showing()) {
    LeaveArchive();
    Load(path);
    Redraw();
  }
}

void frmViewer::Reread() {
  if (!Showing() || path_.empty()) {
    return;
  }
  if (player_) {
    LoadEntry();
  } else {
    Load(path_);
  }
  Redraw();
}

void frmViewer::LeaveArchive() {
  if (window_) {
    window_->SetTimer(0);
  }
  archive_.reset();
  player_.reset();
}

void frmViewer::Close() {
  if (window_) {
    window_->Close();
  }
  Forget();
}

void frmViewer::Closed() {
  Forget();
}

void frmViewer::Forget() {
  LeaveArchive();
  picture_.reset();
  path_.clear();
  fault_.clear();
  colours_ = 0;
  zoomChosen_ = false;
  if (window_) {
    // The window keeps no copy of a picture nobody looks at.
    window_->SetPicture({});
  }
}

void frmViewer::Load(const std::string& path) {
  path_ = path;
  Take([&] { return pictures_.Read(path).stored; });
}

void frmViewer::LoadEntry() {
  Take([&] {
    std::optional<formats::StoredPicture> picture;
    try {
      picture = archive_->Picture(player_->Entry());
    } catch (const FaultError& error) {
      // The archive lost entries meanwhile: its last one now, if it has any.
      if (error.Kind() != FaultKind::kNoSuchEntry || archive_->CountRead() < 1) {
        throw;
      }
      player_->SetCount(archive_->CountRead());
      picture = archive_->Picture(player_->Entry());
    }
    player_->SetCount(archive_->CountRead());
    return std::move(*picture);
  });
}

void frmViewer::Take(const std::function<formats::StoredPicture()>& read) {
  // The size of the picture shown so far; 0 x 0 for none.
  const PixelSize previous = picture_ ? PixelSize{picture_->width, picture_->height} : PixelSize{};
  // The picture shown so far goes first: never two in memory.
  picture_.reset();
  fault_.clear();
  colours_ = 0;
  try {
    picture_ = FromStored(read());
    colours_ = CountColours(picture_->pixels);
  } catch (const FaultError& error) {
    // Advice names the window's menu items, as the window's Encode does.
    fault_ = Describe(error.Details(), OptionWords::kMenu);
  } catch (const std::bad_alloc&) {
    fault_ = "there is not enough memory to read it";
  } catch (const std::exception& error) {
    fault_ = error.what();
  }
  const bool sameSize = picture_ && previous == PixelSize{picture_->width, picture_->height};
  if (!sameSize) {
    // An archive's entries keep their step.
    zoomChosen_ = zoomChosen_ && player_.has_value();
    centre_ =
        picture_ ? PicturePoint{picture_->width / 2.0, picture_->height / 2.0} : PicturePoint{};
  }
  if (!zoomChosen_) {
    zoom_ = kMinZoom;  // fitted to the window when drawn
  }
}

void frmViewer::SetZoom(std::int32_t zoom) {
  if (!picture_ || !Showing()) {
    return;
  }
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  zoomChosen_ = true;
  Redraw();
}

void frmViewer::Scroll(std::int64_t right, std::int64_t down) {
  if (!picture_ || !Showing()) {
    return;
  }
  centre_.x += static_cast<double>(right) / zoom_;
  centre_.y += static_cast<double>(down) / zoom_;
  Redraw();
}

void frmViewer::Redraw() {
  if (!window_) {
    return;
  }
  const PixelSize area = window_->AreaSize();
  const std::string name = FileName(path_);
  caption_ = name.empty() ? kTitle : name + " - " + kTitle;
  // An archive's entry is named by its number, and the line says how it plays.
  const std::string shown = player_ ? name + ": entry " + std::to_string(player_->Entry()) +
                                          " of " + std::to_string(player_->Count())
                                    : name;
  const std::string playing =
      !player_ ? std::string()
               : (player_->Playing() ? "; playing at " : "; Space plays at ") +
                     std::to_string(player_->FramesPerSecond()) +
                     (player_->FramesPerSecond() == 1 ? " frame a second" : " frames a second");
  if (picture_) {
    if (!zoomChosen_) {
      zoom_ = FitZoom(picture_->width, picture_->height, area);
    }
    text_ = (player_ ? shown + ", " : name + ": ") + std::to_string(picture_->width) + " " +
            kTimes + " " + std::to_string(picture_->height) + " pixels, " + ColoursText(colours_) +
            ", shown at " + std::to_string(zoom_) + kTimes + playing;
    const Placement place = PlacePicture(picture_->width, picture_->height, zoom_, area, centre_);
    window_->SetPicture(RenderView(*picture_, zoom_, place, area));
  } else {
    text_ = path_.empty() ? std::string()
            : player_ && archive_ && player_->Count() > 0
                ? shown + " cannot be shown: " + fault_ + playing
                : Quoted(name) + " cannot be shown: " + fault_;
    window_->SetPicture(RenderView({}, kMinZoom, {}, area));
  }
  window_->SetCaption(caption_);
  window_->SetText(text_);
}

void frmViewer::AreaResized(PixelSize) {
  if (picture_) {
    Redraw();
  } else if (window_) {
    window_->SetPicture(RenderView({}, kMinZoom, {}, window_->AreaSize()));
  }
}

void frmViewer::TimerTicked() {
  if (player_ && player_->Playing() && Showing()) {
    player_->NextFrame();
    LoadEntry();
    Redraw();
  }
}

void frmViewer::ShowEntry() {
  window_->SetTimer(player_->Playing() ? player_->IntervalMs() : 0);
  LoadEntry();
  Redraw();
}

bool frmViewer::ArchiveKey(PictureKey key) {
  switch (key) {
    case PictureKey::kLeft:
    case PictureKey::kUp:
      player_->Step(-1);
      break;
    case PictureKey::kRight:
    case PictureKey::kDown:
      player_->Step(1);
      break;
    case PictureKey::kPageUp:
      player_->Step(-kPageEntries);
      break;
    case PictureKey::kPageDown:
      player_->Step(kPageEntries);
      break;
    case PictureKey::kHome:
      player_->First();
      break;
    case PictureKey::kEnd:
      player_->Last();
      break;
    case PictureKey::kPlay:
      player_->PlayOrStop();
      break;
    case PictureKey::kSlower:
    case PictureKey::kFaster:
      key == PictureKey::kSlower ? player_->Slower() : player_->Faster();
      // Only the timer and the line change: the entry shown stays.
      window_->SetTimer(player_->Playing() ? player_->IntervalMs() : 0);
      Redraw();
      return true;
    default:
      return false;
  }
  ShowEntry();
  return true;
}

void frmViewer::KeyPressed(PictureKey key) {
  if (!window_ || (player_ && ArchiveKey(key))) {
    return;
  }
  const PixelSize area = window_->AreaSize();
  const std::int64_t across = std::max<std::int64_t>(area.width / kScrollParts, 1);
  const std::int64_t down = std::max<std::int64_t>(area.height / kScrollParts, 1);
  switch (key) {
    case PictureKey::kZoomIn:
      ZoomIn();
      break;
    case PictureKey::kZoomOut:
      ZoomOut();
      break;
    case PictureKey::kEscape:
      Close();
      break;
    case PictureKey::kLeft:
      Scroll(-across, 0);
      break;
    case PictureKey::kRight:
      Scroll(across, 0);
      break;
    case PictureKey::kUp:
      Scroll(0, -down);
      break;
    case PictureKey::kDown:
      Scroll(0, down);
      break;
    default:
      break;  // the keys of an archive's entries
  }
}

void frmViewer::WheelTurned(std::int32_t notches, bool control, bool shift) {
  if (!window_ || notches == 0) {
    return;
  }
  if (control) {
    SetZoom(zoom_ + notches);
    return;
  }
  // Away from the user scrolls up (or left), as in every viewer.
  const PixelSize area = window_->AreaSize();
  if (shift) {
    Scroll(-notches * std::max<std::int64_t>(area.width / (2 * kScrollParts), 1), 0);
  } else {
    Scroll(0, -notches * std::max<std::int64_t>(area.height / (2 * kScrollParts), 1));
  }
}

}  // namespace sprite::viewer
