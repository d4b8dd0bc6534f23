// The end of a run that wrote files: their names made durable.
#pragma once

#include <functional>

#include "files/file_system.h"
#include "pipeline/problem.h"
#include "pipeline/run_report.h"

namespace sprite::pipeline {

// Syncs the folders of the files the run committed; a failure makes the run's
// output failed and not completed, and is told to `report`.
void SyncRunFolders(files::FileSystem& files, RunReport& run,
                    const std::function<void(const Problem&)>& report);

}  // namespace sprite::pipeline
