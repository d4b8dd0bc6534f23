#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

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

// An argument the operation cannot work on (a lone trailing 0x00, a width of 0 or less).
class InvalidArgumentError : public Error {
 public:
  using Error::Error;
};

// Damaged archive or bitmap bytes. The message says what is wrong and where.
class FormatError : public Error {
 public:
  using Error::Error;
};

// A file whose first four bytes are not the archive signature.
class NotAnArchiveError : public FormatError {
 public:
  using FormatError::FormatError;
};

// A file could not be read, written, created or moved into place.
class IoError : public Error {
 public:
  IoError(std::string path, std::string reason)
      : Error("\"" + path + "\": " + reason), path_(std::move(path)), reason_(std::move(reason)) {}

  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// A run stopped because the user asked it to (window closed, Ctrl+C).
class CancelledError : public Error {
 public:
  CancelledError() : Error("stopped by the user") {}
};

}  // namespace sprite
