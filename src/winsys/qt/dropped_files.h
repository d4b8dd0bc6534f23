// The local files a drag from a file manager carries.
#pragma once

#include <QtCore/QMimeData>
#include <QtCore/QUrl>
#include <string>
#include <vector>

#include "winsys/qt/qt_text.h"

namespace sprite::winsys::qt {

// Full paths in drop order; empty when the drag carries no local file.
inline std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) {
    return paths;
  }
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) {
      paths.push_back(ToUtf8(url.toLocalFile()));
    }
  }
  return paths;
}

}  // namespace sprite::winsys::qt
