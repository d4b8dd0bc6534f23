// A picture made into an archive entry's coded stream, as Encode stores it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "common/bytes.h"
#include "common/fault.h"
#include "formats/stored_picture.h"
#include "pipeline/run_delegate.h"

namespace sprite::pipeline {

// Refuses a picture that does not fit an entry, before and after coding it
// (reported to `report` as not stored: nothing is returned); else logs
// "Adding: " and `shown`, logs the warning of rows that are not whole or not
// its height, codes the stored rows with RLECompress2, then, once they fit,
// reports that warning (its line already logged) and the `changes` the archive
// shows otherwise than the picture, and logs whether the rows decode back
// ("RLE: OK" or the FAIL warning). `path` names the file in the problems.
std::optional<Bytes> CodeEntry(const formats::StoredPicture& picture, const std::string& path,
                               const std::string& shown, std::span<const Fault> changes,
                               RunDelegate& delegate,
                               const std::function<void(const Problem&)>& report);

}  // namespace sprite::pipeline
