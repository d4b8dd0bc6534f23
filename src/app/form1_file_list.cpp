// The file list commands: Add, Remove, Browse and About, the List menu's
// order, and the file list's drops, drags and Delete key.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "about/frm_about.h"
#include "app/form1.h"
#include "app/start_arguments.h"
#include "common/error.h"
#include "dialogs/ce_common_dialog.h"
#include "pipeline/archive_entries.h"
#include "pipeline/natural_order.h"
#include "pipeline/picture_file.h"
#include "viewer/frm_viewer.h"

namespace sprite::app {
namespace {

// Every picture Encode reads first, so that a folder of PNG pictures does not
// look empty; then bitmaps and PNG pictures alone.
constexpr char kPictureFilter[] =
    "All pictures (*.bmp;*.png)|*.bmp;*.png|Bitmaps (*.bmp)|*.bmp|PNG pictures (*.png)|*.png";
constexpr char kArchiveFilter[] = "Sprite Archive (*.spr)|*.spr";
// Explorer-style dialog with multiple selection.
constexpr std::int32_t kAddDialogFlags = 0x80200;
// Joins a multiple selection's folder and names: this system's own separator
// ("/", or "\\" on Windows), so that the paths name files that exist here.
constexpr char kPathSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// The paths an open dialog's file buffer holds: a single selection is one full
// path; a multiple selection is the folder, then each name.
std::vector<std::string> SelectedPaths(std::string_view buffer) {
  const std::size_t end = buffer.find(std::string_view("\0\0", 2));
  if (end != std::string_view::npos) {
    buffer = buffer.substr(0, end);
  }
  // A path that fills the buffer up to its last byte ends in a single NUL.
  if (!buffer.empty() && buffer.back() == '\0') {
    buffer.remove_suffix(1);
  }
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t nul = buffer.find('\0', start);
    parts.push_back(buffer.substr(start, nul - start));
    if (nul == std::string_view::npos) {
      break;
    }
    start = nul + 1;
  }
  if (parts.size() == 1) {
    return {std::string(parts.front())};
  }
  std::string folder(parts.front());
  // A "/" ends a folder on every system.
  if (folder.empty() || (folder.back() != kPathSeparator && folder.back() != '/')) {
    folder += kPathSeparator;
  }
  std::vector<std::string> paths;
  for (auto part = parts.begin() + 1; part != parts.end(); ++part) {
    if (!part->empty()) {
      paths.push_back(folder + std::string(*part));
    }
  }
  return paths;
}

// A file dropped on the list joins it when its name says it is a picture
// Encode reads: a bitmap or a PNG picture.
bool IsPictureName(const std::string& path) {
  const auto endsWith = [&path](std::string_view extension) {
    return path.size() >= extension.size() &&
           std::equal(
               extension.begin(), extension.end(),
               path.end() - static_cast<std::ptrdiff_t>(extension.size()),
               [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
  };
  return endsWith(".bmp") || endsWith(".png");
}

// The text the output box starts with, which names no file.
bool NamesNoFile(const std::string& text) {
  return text == "#" || text.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

dialogs::ceCommonDialog& Form1::CommonDialog() {
  if (!commonDialog_) {
    commonDialog_ = std::make_unique<dialogs::ceCommonDialog>(windows_.DialogCalls());
  }
  return *commonDialog_;
}

void Form1::Command1_Click() {
  dialogs::OpenFileArgs args{.FileMustExist = true,
                             .MultiSelect = false,
                             .ReadOnly = false,
                             .HideReadOnly = false,
                             .Filter = kPictureFilter,
                             .FilterIndex = 1,
                             .DefaultExt = ".bmp",
                             .Owner = window_->hWnd(),
                             .flags = kAddDialogFlags};
  CommonDialog().VBGetOpenFileName(args);
  if (args.Filename.empty()) {
    return;
  }
  // The frames of an animation chosen together join in their order (walk_2
  // before walk_10), whatever order the dialog lists them in.
  std::vector<std::string> paths = SelectedPaths(args.Filename);
  pipeline::SortByName(paths);
  AppendToFileList(paths);
}

void Form1::Command5_Click() {
  const std::int16_t selected = lstFiles.ListIndex();
  if (selected >= 0) {
    lstFiles.RemoveItem(selected);
  }
}

void Form1::Command2_Click() {
  dialogs::SaveFileArgs args{.OverWritePrompt = true,
                             .Filter = kArchiveFilter,
                             .FilterIndex = 1,
                             .DefaultExt = ".spr",
                             .Owner = window_->hWnd(),
                             .flags = 0};
  CommonDialog().VBGetSaveFileName(args);
  if (args.Filename.empty()) {
    return;
  }
  txtOut.SetText(args.Filename.substr(0, args.Filename.find('\0')));
}

bool Form1::ChooseOutputFirst(bool forDecode) {
  if (!NamesNoFile(txtOut.Text())) {
    return true;
  }
  if (!forDecode) {
    Command2_Click();
  } else {
    dialogs::OpenFileArgs args{.FileMustExist = true,
                               .Filter = kArchiveFilter,
                               .FilterIndex = 1,
                               .DefaultExt = ".spr",
                               .Owner = window_->hWnd()};
    CommonDialog().VBGetOpenFileName(args);
    if (!args.Filename.empty()) {
      txtOut.SetText(args.Filename.substr(0, args.Filename.find('\0')));
    }
  }
  return !NamesNoFile(txtOut.Text());
}

void Form1::SetOutputPath(const std::string& path) {
  txtOut.SetText(path);
}

void Form1::cmdAbout_Click() {
  if (!frmAbout_) {
    frmAbout_ = std::make_unique<about::frmAbout>(windows_, files_);
  }
  frmAbout_->Show();
}

void Form1::AppendToFileList(const std::vector<std::string>& paths) {
  std::size_t added = 0;
  for (const std::string& path : paths) {
    if (lstFiles.ListCount() >= kMaxListedFiles) {
      const std::size_t left = paths.size() - added;
      windows_.MessageBox("The file list holds at most " + std::to_string(kMaxListedFiles) +
                              " files; " + std::to_string(left) + " of the chosen files " +
                              (left == 1 ? "was" : "were") + " not added.",
                          {}, winsys::MessageIcon::kWarning);
      return;
    }
    lstFiles.AddItem(path);
    ++added;
  }
}

void Form1::lstFiles_FilesDropped(const std::vector<std::string>& paths) {
  // A run reads and fills the list: it takes no drops, as it takes no clicks.
  if (running_) {
    return;
  }
  // A folder gives its pictures, as sprite-cli encode takes a folder; one
  // without any is passed over like any other file that is no picture.
  std::vector<std::string> pictures;
  for (const std::string& path : paths) {
    if (files_.IsFolder(path)) {
      try {
        std::ranges::move(PicturesInFolder(files_, path), std::back_inserter(pictures));
      } catch (const FaultError&) {
      }
    } else if (IsPictureName(path)) {
      pictures.push_back(path);
    }
  }
  pipeline::SortByName(pictures);
  AppendToFileList(pictures);
}

void Form1::lstFiles_ItemDragged(std::int16_t from, std::int16_t to) {
  if (!running_) {
    MoveEntry(from, to);
  }
}

void Form1::MoveEntry(std::int16_t from, std::int16_t to) {
  const std::int16_t count = lstFiles.ListCount();
  if (from < 0 || from >= count || to < 0 || to >= count || from == to) {
    return;
  }
  const std::string path = lstFiles.List(from);
  lstFiles.RemoveItem(from);
  lstFiles.InsertItem(to, path);
  lstFiles.SetListIndex(to);
}

void Form1::mnuMoveUp_Click() {
  const std::int16_t selected = lstFiles.ListIndex();
  MoveEntry(selected, static_cast<std::int16_t>(selected - 1));
}

void Form1::mnuMoveDown_Click() {
  const std::int16_t selected = lstFiles.ListIndex();
  if (selected >= 0) {
    MoveEntry(selected, static_cast<std::int16_t>(selected + 1));
  }
}

void Form1::mnuSortByName_Click() {
  std::vector<std::string> paths = ListedFiles();
  pipeline::SortByName(paths);
  lstFiles.Clear();
  AppendToFileList(paths);
}

void Form1::mnuClear_Click() {
  lstFiles.Clear();
}

void Form1::lstFiles_DeleteKey() {
  if (!running_) {
    Command5_Click();
  }
}

viewer::frmViewer& Form1::OpenViewer() {
  if (!frmViewer_) {
    // PNG pictures under the alpha threshold the Options hold when one is shown.
    pictureSource_ = std::make_unique<pipeline::PictureFileSource>(
        files_, [this] { return options_.ForEncode().alpha; });
    frmViewer_ = std::make_unique<viewer::frmViewer>(windows_, *pictureSource_);
  }
  return *frmViewer_;
}

void Form1::lstFiles_OpenItem() {
  const std::int16_t selected = lstFiles.ListIndex();
  if (selected >= 0) {
    OpenViewer().ShowFile(lstFiles.List(selected));
  }
}

void Form1::txtOut_Enter() {
  // The archive the box names, as Decode would read it, shown without
  // unpacking it; "#" names no file yet.
  if (!running_ && !NamesNoFile(txtOut.Text())) {
    OpenViewer().ShowArchive(std::make_unique<pipeline::ArchiveEntries>(files_, txtOut.Text()));
  }
}

void Form1::mnuViewArchive_Click() {
  // As Decode: a box that names no archive yet asks for one first.
  if (ChooseOutputFirst(true)) {
    txtOut_Enter();
  }
}

void Form1::lstFiles_SelectionChanged() {
  const std::int16_t selected = lstFiles.ListIndex();
  if (frmViewer_ && selected >= 0) {
    frmViewer_->FollowFile(lstFiles.List(selected));
  }
}

void Form1::txtOut_FilesDropped(const std::vector<std::string>& paths) {
  if (!running_ && !paths.empty()) {
    txtOut.SetText(paths.front());
  }
}

}  // namespace sprite::app
