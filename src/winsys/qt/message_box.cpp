#include "winsys/qt/message_box.h"

#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QSpacerItem>
#include <exception>

#include "common/product.h"

namespace sprite::winsys::qt {

namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kWarning:
      return QMessageBox::Warning;
    case MessageIcon::kError:
      return QMessageBox::Critical;
    case MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

// Room the title bar takes beside its title: the window's icon and buttons.
constexpr int kTitleBarRoom = 160;

}  // namespace

void ShowMessage(QWidget* parent, const QString& text, const QString& informativeText,
                 MessageIcon icon) {
  const QString title = QString::fromUtf8(kProductName);
  QMessageBox box(IconOf(icon), title, text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.setInformativeText(informativeText);
  // The informative text has a label of its own that guesses its format.
  for (QLabel* label : box.findChildren<QLabel*>()) {
    label->setTextFormat(Qt::PlainText);
  }
  // A box sizes itself to its text alone, and a short text ("Error") would cut
  // the title off: a spacer across the bottom keeps the box as wide as the title.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    const int width = box.fontMetrics().horizontalAdvance(title) + kTitleBarRoom;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
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
