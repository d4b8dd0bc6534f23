// The colour, font, print and page-setup operations of ceCommonDialog on the
// real Qt dialogs, accepted or cancelled as a user would.
#include <gtest/gtest.h>

#include <QtCore/QTemporaryDir>
#include <QtPrintSupport/QPageSetupDialog>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>
#include <QtTest/QTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QColorDialog>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QDoubleSpinBox>
#include <QtWidgets/QFontDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>
#include <functional>
#include <map>
#include <string>

#include "dialogs/ce_common_dialog.h"
#include "dialogs/stored_font.h"
#include "winsys/qt/qt_dialog_host.h"
#include "winsys/qt/qt_test_support.h"
#include "winsys/qt/qt_window_calls.h"

namespace sprite::winsys::qt {
namespace {

using dialogs::ceCommonDialog;
using Step = testing::ModalScript::Step;

// A dialog of kind `Dialog`, looked at and changed by `act`, then closed with
// its accepting button (or Esc when `accept` is false).
template <typename Dialog>
Step On(std::function<void(Dialog&)> act, bool accept = true) {
  return {
      &Dialog::staticMetaObject, [act, accept](QWidget& widget) {
        auto& dialog = static_cast<Dialog&>(widget);
        act(dialog);
        if (!accept) {
          QTest::keyClick(&dialog, Qt::Key_Escape);
          return;
        }
        for (QAbstractButton* button : dialog.template findChild<QDialogButtonBox*>()->buttons()) {
          if (dialog.template findChild<QDialogButtonBox*>()->buttonRole(button) ==
              QDialogButtonBox::AcceptRole) {
            button->click();
            return;
          }
        }
        ADD_FAILURE() << "no accepting button";
      }};
}

template <typename T>
T& Child(QWidget& dialog, const char* name) {
  T* child = dialog.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return *child;
}

class PlainPrinter : public dialogs::PrinterObject {
 public:
  void SetProperty(const std::string& name, std::int16_t value) override { values[name] = value; }
  std::map<std::string, std::int16_t> values;
};

std::string FaceField(const char* name) {
  std::string field = name;
  field.resize(kFaceNameBytes, '\0');
  return field;
}

class QtColourFontPrintTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::TestApplication(); }

  QtColourFontPrintTest() { owner_.show(); }

  QWidget owner_;
  QtWindowCalls windows_;
  QtCommonDialogCalls calls_{windows_};
  QtHostScreen screen_;
  QtHostPrinter printer_{calls_};
  ceCommonDialog dialog_{calls_, &screen_, &printer_};
};

TEST_F(QtColourFontPrintTest, ColourDialogWithCustomColours) {
  dialog_.CustomColor(3, 0x0000FF);
  dialogs::ChooseColorArgs args{.Color = 0xFF8040, .Owner = windows_.Register(&owner_)};
  testing::ModalScript script({On<QColorDialog>([this](QColorDialog& dialog) {
    EXPECT_EQ(dialog.parentWidget(), &owner_);
    EXPECT_EQ(dialog.currentColor(), QColor(0x40, 0x80, 0xFF));
    EXPECT_EQ(QColorDialog::customColor(3), QColor(Qt::red));
    QColorDialog::setCustomColor(5, Qt::green);  // the user adds a colour
    dialog.setCurrentColor(QColor(1, 2, 3));
  })});
  EXPECT_TRUE(dialog_.VBChooseColor(args));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(args.Color, 0x030201);
  EXPECT_EQ(dialog_.CustomColor(5), 0x00FF00);
  EXPECT_EQ(dialog_.CustomColor(3), 0x0000FF);
  EXPECT_EQ(dialog_.APIReturn(), 1);
}

TEST_F(QtColourFontPrintTest, ColourDialogWithoutItsDefiningPartCancelled) {
  dialogs::ChooseColorArgs args{.Color = 0x123456, .DisableFullOpen = true};
  testing::ModalScript script({On<QColorDialog>(
      [](QColorDialog& dialog) {
        for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
          const std::string kind = child->metaObject()->className();
          if (kind.find("QColorPicker") != std::string::npos ||
              qobject_cast<QPushButton*>(child) != nullptr) {
            EXPECT_FALSE(child->isVisible()) << kind;
          }
        }
      },
      false)});
  EXPECT_FALSE(dialog_.VBChooseColor(args));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(args.Color, -1);
  EXPECT_EQ(dialog_.APIReturn(), 0);
}

TEST_F(QtColourFontPrintTest, FontDialogStartsFromTheFontAndWritesTheChoiceBack) {
  struct Case {
    double size;
    std::int32_t color;
    bool effectsShown;
  };
  for (const Case& c : {Case{12, 0, false}, Case{10, 0xFF, true}}) {
    SCOPED_TRACE(c.size);
    dialogs::StoredFont font;
    font.name = "DejaVu Sans";
    font.size = c.size;
    font.italic = true;
    font.underline = true;
    dialogs::ChooseFontArgs args{.CurFont = &font, .Color = c.color};
    testing::ModalScript script({On<QFontDialog>([&c](QFontDialog& dialog) {
      const QFont start = dialog.currentFont();
      EXPECT_EQ(start.family(), "DejaVu Sans");
      EXPECT_EQ(start.pointSizeF(), c.size);
      EXPECT_TRUE(start.italic());
      EXPECT_TRUE(start.underline());
      EXPECT_EQ(dialog.findChild<QCheckBox*>()->isVisible(), c.effectsShown);
      // As the user picks the family, the style "Bold" and the size 14.
      QFont chosen(QStringLiteral("DejaVu Sans"), 14, QFont::Bold);
      chosen.setUnderline(true);
      dialog.setCurrentFont(chosen);
    })});
    EXPECT_TRUE(dialog_.VBChooseFont(args));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(font.name, FaceField("DejaVu Sans"));
    EXPECT_EQ(font.size, 14.0);
    EXPECT_TRUE(font.bold);
    EXPECT_EQ(font.weight, 700);
    EXPECT_FALSE(font.italic);
    EXPECT_TRUE(font.underline);
    // Qt's dialog has no colour: it comes back as it went in.
    EXPECT_EQ(args.Color, c.color);
    EXPECT_EQ(args.flags, c.color != 0 ? 0x141 : 0x41);
  }
}

TEST_F(QtColourFontPrintTest, PrintToAFileWithPagesCopiesAndCollation) {
  QTemporaryDir folder;
  const QString file = folder.filePath(QStringLiteral("out.pdf"));
  PlainPrinter printer;
  dialogs::PrintArgs args{.PrintRange = 1,
                          .FromPage = 2,
                          .ToPage = 5,
                          .ShowPrintToFile = true,
                          .DisablePrintToFile = false,
                          .PrintToFile = true,
                          .Printer = &printer};
  testing::ModalScript script({On<QPrintDialog>([&file](QPrintDialog& dialog) {
    EXPECT_TRUE(Child<QRadioButton>(dialog, "printRange").isChecked());
    EXPECT_EQ(Child<QSpinBox>(dialog, "from").value(), 2);
    EXPECT_EQ(Child<QSpinBox>(dialog, "to").value(), 5);
    Child<QLineEdit>(dialog, "filename").setText(file);
    Child<QSpinBox>(dialog, "copies").setValue(3);
    Child<QCheckBox>(dialog, "collate").setChecked(true);
    Child<QSpinBox>(dialog, "to").setValue(4);
  })});
  EXPECT_TRUE(dialog_.VBPrintDlg(args));
  EXPECT_TRUE(script.Finished());
  const QPrinter* chosen = calls_.Printer(args.hdc);
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->outputFileName(), file);
  EXPECT_EQ(args.PrintRange, 1);
  EXPECT_EQ(args.FromPage, 2);
  EXPECT_EQ(args.ToPage, 4);
  EXPECT_TRUE(args.PrintToFile);
  EXPECT_EQ(args.Copies, 3);
  EXPECT_TRUE(args.Collate);
  const std::map<std::string, std::int16_t> settings = {
      {"Copies", 3},
      {"Orientation", 1},
      {"PaperSize", static_cast<std::int16_t>(chosen->pageLayout().pageSize().windowsId())},
      {"PrintQuality", static_cast<std::int16_t>(chosen->resolution())}};
  EXPECT_EQ(printer.values, settings);
  EXPECT_EQ(calls_.MemoryBlocks(), 0u);
  EXPECT_TRUE(calls_.DeleteDC(args.hdc));
}

TEST_F(QtColourFontPrintTest, PrintCancelledOrWithoutAnyPrinter) {
  dialogs::PrintArgs cancelled{
      .ShowPrintToFile = true, .DisablePrintToFile = false, .PrintToFile = true};
  testing::ModalScript script({On<QPrintDialog>([](QPrintDialog&) {}, false)});
  EXPECT_FALSE(dialog_.VBPrintDlg(cancelled));
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(dialog_.APIReturn(), 0);

  if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
    GTEST_SKIP() << "a printer is installed";
  }
  dialogs::PrintArgs defaults;  // no print to file
  testing::ModalScript guard({}, 1000);
  EXPECT_FALSE(dialog_.VBPrintDlg(defaults));
  EXPECT_EQ(dialog_.APIReturn(), kDialogFailed);
  EXPECT_EQ(dialog_.ExtendedError(), PDERR_NODEFAULTPRN);
}

TEST_F(QtColourFontPrintTest, PageSetupInTheCallersUnits) {
  // Inches through VBPageSetupDlg2, millimetres through VBPageSetupDlg.
  for (const bool inches : {true, false}) {
    SCOPED_TRACE(inches);
    testing::ModalScript script({On<QPageSetupDialog>([inches](QPageSetupDialog& dialog) {
      EXPECT_EQ(Child<QComboBox>(dialog, "unitCombo").currentData().value<QPageLayout::Unit>(),
                inches ? QPageLayout::Inch : QPageLayout::Millimeter);
      EXPECT_FALSE(Child<QDoubleSpinBox>(dialog, "topMargin").isEnabled());
      // Disabled margins take no typing; the test sets a value all the same.
      Child<QDoubleSpinBox>(dialog, "leftMargin").setValue(inches ? 1.5 : 25.4);
      Child<QRadioButton>(dialog, "landscape").click();
    })});
    dialogs::PageSetup2Args exact{.DisableMargins = true};
    dialogs::PageSetupArgs whole{.DisableMargins = true, .Units = 1};
    EXPECT_TRUE(inches ? dialog_.VBPageSetupDlg2(exact) : dialog_.VBPageSetupDlg(whole));
    EXPECT_TRUE(script.Finished());
    if (inches) {
      EXPECT_EQ(exact.LeftMargin, 1.5f);
      EXPECT_EQ(exact.Orientation, 2);
      EXPECT_GT(exact.PaperSize, 0);
      EXPECT_GT(exact.PrintQuality, 0);
    } else {
      EXPECT_EQ(whole.LeftMargin, 25);
      EXPECT_EQ(whole.Orientation, 2);
    }
    EXPECT_EQ(dialog_.APIReturn(), 0);
  }
  EXPECT_EQ(calls_.MemoryBlocks(), 0u);
}

}  // namespace
}  // namespace sprite::winsys::qt
