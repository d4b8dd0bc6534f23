#include "winsys/qt/qt_file_dialog.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMessageBox>

#include "winsys/qt/qt_text.h"

namespace sprite::winsys::qt {

QtFileDialog::QtFileDialog(QWidget* owner, const Rules& rules) : QFileDialog(owner), rules_(rules) {
  setOption(DontUseNativeDialog);
  // The question is asked in done(), once the selection is known to fit.
  setOption(DontConfirmOverwrite);
  // Qt's name for its file type list; the descriptions are written into it.
  types_ = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
}

void QtFileDialog::SetFilters(const std::vector<FileFilter>& filters, int index) {
  if (filters.empty()) {
    return;
  }
  // Qt takes a filter text without parentheses as its patterns, whatever
  // characters they hold; the list then shows the descriptions instead.
  QStringList texts;
  for (const FileFilter& filter : filters) {
    QStringList patterns;
    for (const std::string& pattern : filter.patterns) {
      patterns.append(FromUtf8(pattern));
    }
    texts.append(patterns.join(u' '));
  }
  setNameFilters(texts);
  if (index < 0 || index >= texts.size()) {
    index = 0;
  }
  selectNameFilter(texts.at(index));
  if (types_ != nullptr && types_->count() == texts.size()) {
    // Equal texts are equal filters: selecting by text may have found an earlier one.
    types_->setCurrentIndex(index);
    for (int i = 0; i < texts.size(); ++i) {
      types_->setItemText(i, FromUtf8(filters[static_cast<std::size_t>(i)].description));
    }
  }
}

int QtFileDialog::FilterIndex() const {
  return types_ != nullptr ? types_->currentIndex() : 0;
}

void QtFileDialog::AddReadOnlyBox(bool checked, bool visible) {
  readOnly_ = new QCheckBox(QStringLiteral("Open as &read-only"), this);
  readOnly_->setChecked(checked);
  // Qt's layout is a grid whose middle column holds the name box and the type list.
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    grid->addWidget(readOnly_, grid->rowCount(), 1);
  } else if (layout() != nullptr) {
    layout()->addWidget(readOnly_);
  }
  if (types_ != nullptr) {
    setTabOrder(types_, readOnly_);
  }
  readOnly_->setVisible(visible);
}

bool QtFileDialog::ReadOnlyChecked() const {
  return readOnly_ != nullptr && readOnly_->isChecked();
}

void QtFileDialog::done(int result) {
  if (result != QDialog::Accepted) {
    QFileDialog::done(result);
    return;
  }
  // Errors must not travel through Qt's event handling: a check that fails
  // closes the dialog, and the caller reports the failure.
  try {
    QStringList files = selectedFiles();
    if (acceptMode() == AcceptOpen) {
      // Qt keeps only the typed names its list shows, which leaves out those
      // of another type than the one chosen: typed names are taken as typed.
      if (const QStringList typed = NamesTyped(); !typed.isEmpty()) {
        files = typed;
      }
      if (const QString missing = FirstMissing(files); !missing.isEmpty()) {
        Tell(QStringLiteral("%1\nFile not found.\nPlease verify the correct file name was given.")
                 .arg(QFileInfo(missing).fileName()));
        return;
      }
    }
    std::vector<std::string> paths;
    for (const QString& file : files) {
      paths.push_back(ToUtf8(QDir::cleanPath(QFileInfo(file).absoluteFilePath())));
    }
    if (const QString refusal = Refusal(paths); !refusal.isEmpty()) {
      Tell(refusal);
      return;
    }
    if (rules_.overwritePrompt && acceptMode() == AcceptSave &&
        !ConfirmedReplacing(FromUtf8(paths.front()))) {
      return;
    }
    chosen_ = std::move(paths);
  } catch (...) {
    failed_ = true;
    chosen_.clear();
    QFileDialog::done(QDialog::Rejected);
    return;
  }
  QFileDialog::done(result);
}

QStringList QtFileDialog::NamesTyped() const {
  const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (edit == nullptr || edit->text().isEmpty()) {
    return {};
  }
  // One name as it stands, or several each in double quotes: "a.bmp" "b.png".
  const QString text = edit->text();
  QStringList names;
  if (!text.contains(u'"')) {
    names.append(text);
  } else {
    const QStringList parts = text.split(u'"');
    for (qsizetype i = 1; i < parts.size(); i += 2) {
      names.append(parts.at(i));
    }
  }
  QStringList files;
  const QDir folder = directory();
  for (QString name : names) {
    // As Qt does: a name without a full stop gets the default extension.
    if (!defaultSuffix().isEmpty() && !name.contains(u'.') && !QFileInfo(name).isDir()) {
      name += u'.' + defaultSuffix();
    }
    files.append(folder.absoluteFilePath(name));
  }
  return files;
}

QString QtFileDialog::FirstMissing(const QStringList& files) const {
  if (fileMode() != ExistingFile && fileMode() != ExistingFiles) {
    return {};
  }
  for (const QString& file : files) {
    if (!QFileInfo(file).isFile()) {
      return file;
    }
  }
  return {};
}

QString QtFileDialog::Refusal(const std::vector<std::string>& paths) const {
  if (paths.empty()) {
    return QStringLiteral("Please choose a file.");
  }
  if (paths.size() > 1 && !rules_.multiSelect) {
    return QStringLiteral("Only one file can be chosen here.\nPlease choose one file.");
  }
  const std::optional<SelectionText> selection = ComposeSelection(paths);
  if (!selection) {
    return QStringLiteral(
        "The chosen files lie in different folders.\nPlease choose files from one folder.");
  }
  if (selection->text.size() <= rules_.capacity) {
    return {};
  }
  const QString needed = QString::number(selection->text.size());
  const QString room = QString::number(rules_.capacity);
  if (paths.size() > 1) {
    return QStringLiteral(
               "The chosen file names need %1 bytes, more than the buffer's %2.\n"
               "Please choose fewer files.")
        .arg(needed, room);
  }
  return QStringLiteral(
             "The chosen path needs %1 bytes, more than the buffer's %2.\n"
             "Please choose a shorter name or a folder with a shorter path.")
      .arg(needed, room);
}

bool QtFileDialog::ConfirmedReplacing(const QString& path) {
  const QFileInfo file(path);
  if (!file.exists()) {
    return true;
  }
  QMessageBox box(
      QMessageBox::Warning, windowTitle(),
      QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(file.fileName()),
      QMessageBox::Yes | QMessageBox::No, this);
  box.setDefaultButton(QMessageBox::No);
  box.setTextFormat(Qt::PlainText);
  return box.exec() == QMessageBox::Yes;
}

void QtFileDialog::Tell(const QString& text) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace sprite::winsys::qt
