#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "common/fault.h"

namespace sprite {

// Base of every error the library code throws; what() is a plain-words message.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A 16-bit or 32-bit counter would pass its limit.
class OverflowError : public Error {
 public:
  using Error::Error;
};

// A caller handed an operation something it is not made for (a palette of the
// wrong size, an entry added to a finished archive): a fault of the program,
// never of a file's bytes.
class InvalidArgumentError : public Error {
 public:
  using Error::Error;
};

// A file that cannot be used, or bytes that are damaged or cannot be stored:
// the kind, the place and the facts. what() is the fault in words, after the
// quoted path when there is one.
class FaultError : public Error {
 public:
  explicit FaultError(Fault fault) : Error(""), fault_(std::move(fault)) { Word(); }

  const Fault& Details() const { return fault_; }
  FaultKind Kind() const { return fault_.kind; }
  // Names the file the fault was found in, for a layer that read bytes without a name.
  void SetPath(std::string path) {
    fault_.path = std::move(path);
    Word();
  }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  void Word();

  Fault fault_;
  std::string message_;
};

// A run stopped because the user asked it to (window closed, Ctrl+C).
class CancelledError : public Error {
 public:
  CancelledError() : Error("stopped by the user") {}
};

}  // namespace sprite
