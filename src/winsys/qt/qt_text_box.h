// The one-line text box on a QLineEdit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "winsys/window_system.h"

class QLineEdit;
class QWidget;

namespace sprite::winsys::qt {

class FileDropLineEdit;

// A text box without a length limit. Files dropped onto it go to the drop
// handler; dropped text is inserted as usual.
class QtTextBox : public TextBox {
 public:
  // Makes the box's widget as a child of `parent`.
  explicit QtTextBox(QWidget* parent);

  QLineEdit* widget() const;

  std::string Text() const override;
  void SetText(const std::string& text) override;
  void SetEnabled(bool enabled) override;
  void SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> handler) override;

 private:
  FileDropLineEdit* edit_;
};

}  // namespace sprite::winsys::qt
