#pragma once

#include <string>

namespace sprite::app {

// What a front end without the window hears of a run beside the log list: one
// line in plain words for each problem the log reports, naming its file.
class RunListener {
 public:
  virtual ~RunListener() = default;
  // A listed picture that the Encode command did not store, and why.
  virtual void PictureNotStored(const std::string& path, const std::string& reason) = 0;
  // Any other problem: a warning about a stored picture, a bitmap that the
  // Decode command did not write, a run that did not complete.
  virtual void Problem(const std::string& text) = 0;
};

}  // namespace sprite::app
