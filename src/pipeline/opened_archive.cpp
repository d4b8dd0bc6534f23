#include "pipeline/opened_archive.h"

#include "common/error.h"

namespace sprite::pipeline {

std::optional<OpenedArchive> OpenedArchive::Open(
    files::FileSystem& files, const std::string& path,
    const std::function<void(const Problem&)>& report) {
  OpenedArchive archive;
  try {
    archive.file_ = files.OpenForReading(path);
    archive.reader_ = std::make_unique<formats::ArchiveReader>(*archive.file_);
  } catch (FaultError& error) {
    error.SetPath(path);
    report(ArchiveNotOpened(error.Details()));
    return std::nullopt;
  }
  return archive;
}

}  // namespace sprite::pipeline
