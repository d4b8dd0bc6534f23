#include "dialogs/ce_common_dialog.h"

namespace sprite::dialogs {

ceCommonDialog::ceCommonDialog(winsys::CommonDialogCalls& calls, const winsys::HostScreen* screen,
                               winsys::HostPrinter* printer)
    : calls_(calls), screen_(screen), printer_(printer) {}

std::optional<winsys::LRESULT> ceCommonDialog::DialogHook(std::int32_t, std::int32_t, std::int32_t,
                                                          std::int32_t) {
  // Notifications would go to the event sink, and no operation ever keeps one.
  return std::nullopt;
}

void ceCommonDialog::ResetOutcome() {
  apiReturn_ = 0;
  extendedError_ = 0;
}

bool ceCommonDialog::FinishDialog(std::int32_t platformResult) {
  apiReturn_ = platformResult;
  eventSink_ = nullptr;
  if (platformResult == winsys::kDialogConfirmed) {
    return true;
  }
  // A cancel has no reason to ask for; any other value is a failure.
  if (platformResult != winsys::kDialogCancelled) {
    extendedError_ = calls_.CommDlgExtendedError();
  }
  return false;
}

}  // namespace sprite::dialogs
