// The application's message box, and click handlers whose errors end in one.
#pragma once

#include <QtCore/QPointer>
#include <QtCore/QString>
#include <functional>

class QWidget;

namespace sprite::winsys::qt {

// A text, an optional informative text below it and an OK button, titled with
// the application title; returns when the box is closed. Both texts are shown
// as they are: paths may hold "<".
void ShowMessage(QWidget* parent, const QString& text, const QString& informativeText = {});

// Runs a handler so that no error travels through Qt's event handling: one that
// fails is reported in a message box and the window goes on.
void RunGuarded(const std::function<void()>& handler, const QPointer<QWidget>& window);

}  // namespace sprite::winsys::qt
