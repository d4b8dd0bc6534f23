#include "viewer/frm_viewer.h"

#include <algorithm>
#include <exception>
#include <new>
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
  if (!window_) {
    window_ = windows_.CreatePictureWindow(ViewerWindowSpec());
    window_->SetHandler(this);
  }
  Load(path);
  window_->Show();
  Redraw();
}

void frmViewer::FollowFile(const std::string& path) {
  if (Showing()) {
    Load(path);
    Redraw();
  }
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
  // The size of the picture shown so far; 0 x 0 for none.
  const PixelSize previous = picture_ ? PixelSize{picture_->width, picture_->height} : PixelSize{};
  // The picture shown so far goes first: never two in memory.
  picture_.reset();
  fault_.clear();
  colours_ = 0;
  path_ = path;
  try {
    picture_ = FromStored(pictures_.Read(path).stored);
    colours_ = CountColours(picture_->pixels);
  } catch (const FaultError& error) {
    fault_ = Describe(error.Details());
  } catch (const std::bad_alloc&) {
    fault_ = "there is not enough memory to read it";
  } catch (const std::exception& error) {
    fault_ = error.what();
  }
  const bool sameSize = picture_ && previous == PixelSize{picture_->width, picture_->height};
  if (!sameSize) {
    zoomChosen_ = false;
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
  if (picture_) {
    if (!zoomChosen_) {
      zoom_ = FitZoom(picture_->width, picture_->height, area);
    }
    text_ = name + ": " + std::to_string(picture_->width) + " " + kTimes + " " +
            std::to_string(picture_->height) + " pixels, " + ColoursText(colours_) + ", shown at " +
            std::to_string(zoom_) + kTimes;
    const Placement place = PlacePicture(picture_->width, picture_->height, zoom_, area, centre_);
    window_->SetPicture(RenderView(*picture_, zoom_, place, area));
  } else {
    text_ = path_.empty() ? std::string() : Quoted(name) + " cannot be shown: " + fault_;
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

void frmViewer::KeyPressed(PictureKey key) {
  if (!window_) {
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
