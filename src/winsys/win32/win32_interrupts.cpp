// Ctrl+C, Ctrl+Break and a closed console stop a run as a request.
#include <atomic>

#include "winsys/interrupts.h"
#include "winsys/win32/win32_windows.h"

namespace sprite::winsys {
namespace {

// A closed console, a logoff or a shutdown ends the process as soon as the
// handler returns, and Windows allows it five seconds: the run gets most of
// them to stop after its current picture and remove its temporary file.
constexpr DWORD kCloseGraceMs = 4500;

std::atomic<bool> gInterrupted{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  gInterrupted.store(true);
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
    ::Sleep(kCloseGraceMs);
  }
  return TRUE;
}

}  // namespace

void CatchInterrupts() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool InterruptCaught() {
  return gInterrupted.load();
}

}  // namespace sprite::winsys
