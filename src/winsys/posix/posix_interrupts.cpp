// Ctrl+C, SIGTERM, SIGHUP and SIGQUIT stop a run as a request; a reader that
// went away (SIGPIPE) shows as a failed write instead.
#include <csignal>
#include <initializer_list>

#include "winsys/interrupts.h"

namespace sprite::winsys {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) {
  gInterrupted = 1;
}

}  // namespace

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // A closed terminal (SIGHUP) and SIGQUIT stop a run as Ctrl+C does: after
  // the current picture, without a partial file.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    sigaction(signal, &action, nullptr);
  }
  // A reader that went away (`| head -1`) shows as a failed write, which stops
  // the run the same way.
  std::signal(SIGPIPE, SIG_IGN);
}

bool InterruptCaught() {
  return gInterrupted != 0;
}

}  // namespace sprite::winsys
