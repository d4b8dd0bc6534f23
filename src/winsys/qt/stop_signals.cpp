#include "winsys/qt/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QtCore/QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <utility>

#include "common/error.h"

namespace sprite::winsys::qt {
namespace {

// The pipe's write end, for the handler. A lock-free atomic may be read in a
// signal handler.
std::atomic<int> gWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

// The first signal that came, for a run that asks between two events.
volatile std::sig_atomic_t gFirstSignal = 0;

extern "C" void WriteSignalToPipe(int signal) {
  if (gFirstSignal == 0) {
    gFirstSignal = signal;
  }
  const int saved = errno;
  const int end = gWriteEnd.load(std::memory_order_relaxed);
  if (end >= 0) {
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request; this one can go.
    [[maybe_unused]] const ssize_t written = write(end, &byte, 1);
  }
  errno = saved;
}

}  // namespace

const int StopSignals::kSignals[kCount] = {SIGTERM, SIGHUP, SIGINT};

struct StopSignals::Saved {
  std::array<struct sigaction, kCount> actions{};
  std::array<bool, kCount> caught{};
};

StopSignals::StopSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)), saved_(std::make_unique<Saved>()) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw InvalidArgumentError(std::string("cannot make the pipe for signals: ") +
                               std::strerror(errno));
  }
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                   [this] { Drain(); });
  gWriteEnd.store(writeEnd_);
  gFirstSignal = 0;

  struct sigaction action {};
  action.sa_handler = WriteSignalToPipe;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kCount; ++i) {
    const auto at = static_cast<std::size_t>(i);
    sigaction(kSignals[i], nullptr, &saved_->actions[at]);
    // A signal the program was started with ignored (nohup, a background job
    // of a script) stays ignored, as whoever started it wanted.
    if (saved_->actions[at].sa_handler != SIG_IGN) {
      saved_->caught[at] = sigaction(kSignals[i], &action, nullptr) == 0;
    }
  }
}

StopSignals::~StopSignals() {
  for (int i = 0; i < kCount; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (saved_->caught[at]) {
      sigaction(kSignals[i], &saved_->actions[at], nullptr);
    }
  }
  gWriteEnd.store(-1);
  notifier_.reset();
  close(readEnd_);
  close(writeEnd_);
}

int StopSignals::FirstSignal() {
  return gFirstSignal;
}

void StopSignals::Drain() {
  unsigned char numbers[64];
  while (true) {
    const ssize_t count = read(readEnd_, numbers, sizeof numbers);
    if (count <= 0) {
      if (count < 0 && errno == EINTR) {
        continue;
      }
      return;
    }
    for (ssize_t i = 0; i < count; ++i) {
      onSignal_(numbers[i]);
    }
  }
}

}  // namespace sprite::winsys::qt
