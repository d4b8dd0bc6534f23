#pragma once

#include <cstdint>
#include <string>

namespace sprite::pipeline {

// How an Encode or Decode run went, for front ends that report an exit status.
struct RunReport {
  std::int32_t listed = 0;        // pictures listed (Encode)
  std::int32_t stored = 0;        // pictures stored (Encode) or bitmaps written (Decode)
  std::int32_t problems = 0;      // rejections, warnings, failures and message boxes
  bool completed = false;         // the run reached its end
  bool cancelled = false;         // the user stopped it
  bool outputFailed = false;      // an output could not be written or was refused
  bool noSuchEntry = false;       // an entry number the archive does not have was given
  bool outputWritten = false;     // the archive was written (Encode)
  std::uint64_t outputBytes = 0;  // and that many bytes long
  // The full path of the archive written (Encode) or of the folder the
  // bitmaps went into (Decode).
  std::string outputPath;
};

}  // namespace sprite::pipeline
