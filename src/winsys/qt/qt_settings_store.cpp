#include "winsys/qt/qt_settings_store.h"

#include "winsys/qt/qt_text.h"

namespace sprite::winsys::qt {

QtSettingsStore::QtSettingsStore()
    : settings_(QSettings::NativeFormat, QSettings::UserScope,
                QStringLiteral("sprite-encoder-decoder"), QStringLiteral("sprite")) {}

std::optional<std::string> QtSettingsStore::Read(const std::string& name) const {
  const QString key = FromUtf8(name);
  if (!settings_.contains(key)) {
    return std::nullopt;
  }
  return ToUtf8(settings_.value(key).toString());
}

void QtSettingsStore::Write(const std::string& name, const std::string& value) {
  settings_.setValue(FromUtf8(name), FromUtf8(value));
  // On disk at once: the window may be ended by a signal.
  settings_.sync();
}

}  // namespace sprite::winsys::qt
