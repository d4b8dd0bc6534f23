#pragma once

#include <QtWidgets/QFileDialog>
#include <cstddef>
#include <string>
#include <vector>

#include "winsys/qt/open_file_texts.h"

class QCheckBox;
class QComboBox;

namespace sprite::winsys::qt {

// Qt's own file dialog, never the desktop's: that one takes no quoted names
// and has no room for the read-only box. It closes only on a selection the
// caller's file buffer can hold; any other is explained in a message inside
// the dialog, which stays open.
class QtFileDialog : public QFileDialog {
 public:
  struct Rules {
    std::size_t capacity = 0;  // bytes of the file buffer
    // Several files may be chosen. Qt takes several quoted names in any mode.
    bool multiSelect = false;
    bool overwritePrompt = false;  // ask before an existing file is chosen for saving
  };

  QtFileDialog(QWidget* owner, const Rules& rules);

  // Shows each description exactly as given; the patterns of each filter go to
  // the file list. `index` counts from 0; one outside the list selects the first.
  void SetFilters(const std::vector<FileFilter>& filters, int index);
  // The filter chosen, counting from 0.
  int FilterIndex() const;

  // An "Open as read-only" box below the file type list.
  void AddReadOnlyBox(bool checked, bool visible);
  bool ReadOnlyChecked() const;

  // The accepted files: absolute, clean, UTF-8, in the dialog's order.
  const std::vector<std::string>& Chosen() const { return chosen_; }
  // An error stopped the check of a selection and closed the dialog.
  bool Failed() const { return failed_; }

 protected:
  // QFileDialog::accept() enters folders and checks that files exist before it
  // calls done(Accepted): the selection seen here is the final one.
  void done(int result) override;

 private:
  // The names typed in the name box, absolute; none when it is empty.
  QStringList NamesTyped() const;
  // Where files must exist, the first of `files` that is not a file.
  QString FirstMissing(const QStringList& files) const;
  // Empty when the selection may be accepted; otherwise why not.
  QString Refusal(const std::vector<std::string>& paths) const;
  bool ConfirmedReplacing(const QString& path);
  void Tell(const QString& text);

  Rules rules_;
  QComboBox* types_ = nullptr;
  QCheckBox* readOnly_ = nullptr;
  std::vector<std::string> chosen_;
  bool failed_ = false;
};

}  // namespace sprite::winsys::qt
