#include "pipeline/run_folders.h"

#include "common/error.h"

namespace sprite::pipeline {

void SyncRunFolders(files::FileSystem& files, RunReport& run,
                    const std::function<void(const Problem&)>& report) {
  try {
    files.SyncFolders();
  } catch (const FaultError& error) {
    run.outputFailed = true;
    run.completed = false;
    report(OutputNotWritten(error.Details()));
  }
}

}  // namespace sprite::pipeline
