#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "winsys/common_dialog_calls.h"
#include "winsys/file_title.h"

namespace sprite::fakes {

// Common dialog calls that record every request as it was made and answer as
// the test scripts them. Unscripted dialogs are cancelled.
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
  // A failure with its extended error code; `result` is what the call returns.
  Answer Fail(std::uint32_t code, std::int32_t result = winsys::kDialogFailed) {
    return [this, code, result](winsys::OPENFILENAME&) {
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

  std::vector<Answer> answers;  // taken in order, one per dialog
  std::vector<Request> requests;
  std::vector<std::string> titleRequests;
  std::function<std::int16_t(const std::string&, std::string&, std::uint16_t)> fileTitle;
  std::uint32_t error = 0;
  int errorQueries = 0;

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
