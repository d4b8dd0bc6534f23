#include "winsys/qt/qt_common_dialog_calls.h"

#include "winsys/file_title.h"
#include "winsys/qt/qt_window_calls.h"

namespace sprite::winsys::qt {

QtCommonDialogCalls::QtCommonDialogCalls(QtWindowCalls& windows) : windows_(windows) {}

std::int32_t QtCommonDialogCalls::GetOpenFileNameA(OPENFILENAME&) {
  lastError_ = CDERR_DIALOGFAILURE;
  return kDialogFailed;
}

std::int32_t QtCommonDialogCalls::GetSaveFileNameA(OPENFILENAME&) {
  lastError_ = CDERR_DIALOGFAILURE;
  return kDialogFailed;
}

std::int16_t QtCommonDialogCalls::GetFileTitleA(const std::string& file, std::string& buffer,
                                                std::uint16_t capacity) {
  return GetFileTitleOf(file, buffer, capacity);
}

}  // namespace sprite::winsys::qt
