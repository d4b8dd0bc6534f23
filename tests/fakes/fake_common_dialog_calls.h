#pragma once

#include <algorithm>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "winsys/common_dialog_calls.h"
#include "winsys/emulated/file_title.h"
#include "winsys/emulated/movable_memory.h"

namespace sprite::fakes {

// The requests of one kind of dialog as they were handed over, and the answers
// scripted for it, taken in order. An unscripted dialog is cancelled.
template <typename Record, typename Result = std::int32_t>
struct DialogScript {
  using Answer = std::function<Result(Record&)>;

  std::vector<Record> requests;
  std::vector<Answer> answers;

  Result Take(Record& record) {
    requests.push_back(record);
    if (answers.empty()) {
      return winsys::kDialogCancelled;
    }
    Answer answer = std::move(answers.front());
    answers.erase(answers.begin());
    return answer(record);
  }
};

// Common dialog calls that record every request as it was made and answer as
// the test scripts them. Unscripted dialogs are cancelled. Memory blocks are
// plain ones, so a test sees which are left.
class FakeCommonDialogCalls : public winsys::CommonDialogCalls {
 public:
  struct Request {
    std::string function;         // "GetOpenFileNameA" or "GetSaveFileNameA"
    winsys::OPENFILENAME record;  // as it was handed over
  };
  using Answer = std::function<std::int32_t(winsys::OPENFILENAME&)>;

  // The user confirms: `selection` is written to the start of the file buffer
  // (cut at its capacity, as the platform never writes past it).
  static Answer Confirm(const std::string& selection, std::uint32_t filterIndex = 1) {
    return [selection, filterIndex](winsys::OPENFILENAME& record) {
      const std::size_t room = std::min<std::size_t>(record.nMaxFile, record.lpstrFile.size());
      std::copy_n(selection.begin(), std::min(room, selection.size()), record.lpstrFile.begin());
      record.nFilterIndex = filterIndex;
      return winsys::kDialogConfirmed;
    };
  }
  static Answer Cancel() {
    return [](winsys::OPENFILENAME&) { return winsys::kDialogCancelled; };
  }
  // A failure of any dialog with its extended error code; `result` is what the call returns.
  template <typename Record = winsys::OPENFILENAME, typename Result = std::int32_t>
  std::function<Result(Record&)> Fail(std::uint32_t code, Result result = winsys::kDialogFailed) {
    return [this, code, result](Record&) {
      error = code;
      return result;
    };
  }

  std::int32_t GetOpenFileNameA(winsys::OPENFILENAME& record) override {
    return Answer_("GetOpenFileNameA", record);
  }
  std::int32_t GetSaveFileNameA(winsys::OPENFILENAME& record) override {
    return Answer_("GetSaveFileNameA", record);
  }
  std::int16_t GetFileTitleA(const std::string& file, std::string& buffer,
                             std::uint16_t capacity) override {
    titleRequests.push_back(file);
    if (fileTitle) {
      return fileTitle(file, buffer, capacity);
    }
    return winsys::GetFileTitleOf(file, buffer, capacity);
  }
  std::uint32_t CommDlgExtendedError() override {
    ++errorQueries;
    return error;
  }

  std::int32_t ChooseColorA(winsys::CHOOSECOLOR& record) override {
    customColoursShown.push_back(*record.lpCustColors);
    return colour.Take(record);
  }
  std::int32_t ChooseFontA(winsys::CHOOSEFONT& record) override {
    logFontsShown.push_back(*record.lpLogFont);
    return font.Take(record);
  }
  std::int16_t PrintDlgA(winsys::PRINTDLG& record) override { return print.Take(record); }
  std::int16_t PageSetupDlgA(winsys::PAGESETUPDLG& record) override {
    return pageSetup.Take(record);
  }

  std::span<std::uint8_t> GlobalLock(winsys::HGLOBAL block) override {
    return memory.GlobalLock(block);
  }
  bool GlobalUnlock(winsys::HGLOBAL block) override { return memory.GlobalUnlock(block); }
  winsys::HGLOBAL GlobalFree(winsys::HGLOBAL block) override { return memory.GlobalFree(block); }
  // A colour of its own for each index.
  winsys::COLORREF GetSysColor(std::int32_t index) override {
    ++sysColourQueries;
    return 0x00A00000u + static_cast<winsys::COLORREF>(index);
  }

  // A device-mode block as a dialog hands it back; `size` bytes of the record.
  winsys::HGLOBAL DeviceModeBlock(const winsys::DEVMODE& record,
                                  std::size_t size = winsys::kDevModeSize) {
    const auto bytes = winsys::DevModeBytes(record);
    return memory.GlobalAlloc(std::span<const std::uint8_t>(bytes.data(), size));
  }

  std::vector<Answer> answers;  // taken in order, one per dialog
  std::vector<Request> requests;
  std::vector<std::string> titleRequests;
  std::function<std::int16_t(const std::string&, std::string&, std::uint16_t)> fileTitle;
  std::uint32_t error = 0;
  int errorQueries = 0;

  DialogScript<winsys::CHOOSECOLOR> colour;
  DialogScript<winsys::CHOOSEFONT> font;
  DialogScript<winsys::PRINTDLG, std::int16_t> print;
  DialogScript<winsys::PAGESETUPDLG, std::int16_t> pageSetup;
  // What the records pointed at when they were handed over.
  std::vector<winsys::CustomColours> customColoursShown;
  std::vector<winsys::LOGFONT> logFontsShown;
  int sysColourQueries = 0;
  winsys::MovableMemory memory;

 private:
  std::int32_t Answer_(const char* function, winsys::OPENFILENAME& record) {
    requests.push_back({function, record});
    if (answers.empty()) {
      return winsys::kDialogCancelled;
    }
    Answer answer = std::move(answers.front());
    answers.erase(answers.begin());
    return answer(record);
  }
};

}  // namespace sprite::fakes
