// SIGTERM, SIGHUP and SIGINT as requests to the event loop: the handler only
// writes the signal's number into a pipe (the one thing a signal handler may
// safely do), and the event loop reads it and calls back.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace sprite::winsys::qt {

class StopSignals {
 public:
  // The signals that stop the program.
  static constexpr int kCount = 3;
  static const int kSignals[kCount];

  // Installs the handlers, except for a signal that is ignored (as nohup
  // ignores SIGHUP), which stays ignored; `onSignal` runs in the event loop,
  // once for each signal that came. One object at a time in a process; a QCoreApplication
  // must exist. Throws InvalidArgumentError when the pipe cannot be made.
  explicit StopSignals(std::function<void(int)> onSignal);
  // Puts the signals' previous handling back.
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // The first signal that came since the object was made, 0 for none: known
  // at once, before the event loop has heard of it.
  static int FirstSignal();

 private:
  void Drain();

  struct Saved;
  std::function<void(int)> onSignal_;
  int readEnd_ = -1;
  int writeEnd_ = -1;
  std::unique_ptr<Saved> saved_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace sprite::winsys::qt
