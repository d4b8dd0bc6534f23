// A look at everything in an archive: every entry decoded in memory and checked.
#pragma once

#include <string>

#include "files/file_system.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::pipeline {

// Logs the archive's count and size, how many of its palette's colours the
// pictures use, and how many entries were checked; reports every damaged
// entry (a coded stream that does not decode, an entry that runs past the
// palette) and bytes that belong to no entry. Nothing is written; memory stays
// that of one entry. The report is completed only when nothing is damaged.
RunReport CheckArchive(files::FileSystem& files, RunDelegate& delegate,
                       const std::string& archivePath);

}  // namespace sprite::pipeline
