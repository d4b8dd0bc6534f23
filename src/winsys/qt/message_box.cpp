#include "winsys/qt/message_box.h"

#include <QtWidgets/QLabel>
#include <QtWidgets/QMessageBox>
#include <exception>

#include "common/product.h"

namespace sprite::winsys::qt {

void ShowMessage(QWidget* parent, const QString& text, const QString& informativeText) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kProductName), text, QMessageBox::Ok,
                  parent);
  box.setTextFormat(Qt::PlainText);
  box.setInformativeText(informativeText);
  // The informative text has a label of its own that guesses its format.
  for (QLabel* label : box.findChildren<QLabel*>()) {
    label->setTextFormat(Qt::PlainText);
  }
  box.exec();
}

void RunGuarded(const std::function<void()>& handler, const QPointer<QWidget>& window) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowMessage(window.data(), QString::fromUtf8(error.what()));
  } catch (...) {
    ShowMessage(window.data(), QStringLiteral("An unexpected error stopped the command."));
  }
}

}  // namespace sprite::winsys::qt
