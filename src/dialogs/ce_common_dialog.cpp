#include "dialogs/ce_common_dialog.h"

namespace sprite::dialogs {

ceCommonDialog::ceCommonDialog(winsys::CommonDialogCalls& calls) : calls_(calls) {}

bool ceCommonDialog::VBGetOpenFileName(OpenFileArgs&) {
  return false;
}

bool ceCommonDialog::VBGetSaveFileName(SaveFileArgs&) {
  return false;
}

std::string ceCommonDialog::VBGetFileTitle(const std::string&) {
  return {};
}

std::optional<winsys::LRESULT> ceCommonDialog::DialogHook(std::int32_t, std::int32_t, std::int32_t,
                                                          std::int32_t) {
  return std::nullopt;
}

std::string ceCommonDialog::ConvertFilter(const std::string&) const {
  return {};
}

std::string ceCommonDialog::FilterByIndex(const std::string&, std::int32_t) const {
  return {};
}

}  // namespace sprite::dialogs
