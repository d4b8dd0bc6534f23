// What the window keeps between runs, in Qt's settings: on Linux the file
// sprite-encoder-decoder/sprite.conf in the user's configuration folder
// ($XDG_CONFIG_HOME, or ~/.config).
#pragma once

#include <QtCore/QSettings>

#include "winsys/settings_store.h"

namespace sprite::winsys::qt {

class QtSettingsStore : public SettingsStore {
 public:
  QtSettingsStore();

  std::optional<std::string> Read(const std::string& name) const override;
  void Write(const std::string& name, const std::string& value) override;

 private:
  QSettings settings_;
};

}  // namespace sprite::winsys::qt
