// The one rule (files::FindClash) as every run applies it before it writes:
// over what the run reads and writes, and over what its front end writes
// beside it (a console's log on standard output).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "files/file_system.h"
#include "files/read_write_guard.h"
#include "pipeline/problem.h"
#include "pipeline/run_delegate.h"

namespace sprite::pipeline {

// The problem that refuses a run whose files clash; nothing when none do.
std::optional<Problem> CheckRunFiles(files::FileSystem& files, const RunDelegate& delegate,
                                     files::RunFiles run);

}  // namespace sprite::pipeline
