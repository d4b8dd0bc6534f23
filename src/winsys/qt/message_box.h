// The application's message box, and click handlers whose errors end in one.
#pragma once

#include <QtCore/QPointer>
#include <QtCore/QString>
#include <functional>

#include "winsys/window_system.h"

class QWidget;

namespace sprite::winsys::qt {

// A text, an optional informative text below it, an OK button and the icon,
// titled with the application title and at least as wide as the title needs;
// returns when the box is closed. Both texts are shown as they are: paths may
// hold "<".
void ShowMessage(QWidget* parent, const QString& text, const QString& informativeText = {},
                 MessageIcon icon = MessageIcon::kNone);

// Runs a handler so that no error travels through Qt's event handling: one that
// fails is reported in a message box and the window goes on.
void RunGuarded(const std::function<void()>& handler, const QPointer<QWidget>& window);

}  // namespace sprite::winsys::qt
