#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QFileSystemModel>
#include <QtTest/QTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "winsys/qt/qt_common_dialog_calls.h"
#include "winsys/qt/qt_test_support.h"
#include "winsys/qt/qt_window_calls.h"

namespace sprite::winsys::qt {
namespace {

using Step = testing::ModalScript::Step;
using namespace std::string_literals;

constexpr std::uint32_t kMustExist = OFN_FILEMUSTEXIST;
constexpr std::uint32_t kMulti = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST;
constexpr char kPadding = '#';

// Keys go where the window system sends them: to an open popup (the name
// box's completion list), else to the focused widget.
void Press(Qt::Key key) {
  QWidget* popup = QApplication::activePopupWidget();
  QTest::keyClick(popup != nullptr ? popup : QApplication::focusWidget(), key);
}

// Types into the file name box, which has the focus from the start; characters
// beyond ASCII are sent as text, as a keyboard layout would.
void TypeText(QFileDialog& dialog, const QString& text) {
  QWidget* box = QApplication::focusWidget();
  ASSERT_TRUE(qobject_cast<QLineEdit*>(box) != nullptr && dialog.isAncestorOf(box));
  for (const QChar character : text) {
    QTest::sendKeyEvent(
        QTest::Click, box,
        character.unicode() < 0x80 ? QTest::asciiToKey(character.toLatin1()) : Qt::Key_unknown,
        QString(character), Qt::NoModifier);
  }
}

Step OnDialog(std::function<void(QFileDialog&)> act, bool typing = true) {
  return {&QFileDialog::staticMetaObject,
          [act](QWidget& dialog) { act(static_cast<QFileDialog&>(dialog)); }, typing};
}
Step Type(const QString& text) {
  return OnDialog([text](QFileDialog& dialog) {
    TypeText(dialog, text);
    Press(Qt::Key_Return);
  });
}
Step StillOpenThenEscape() {
  return OnDialog(
      [](QFileDialog& dialog) {
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
      },
      false);
}
// A message inside the dialog whose text holds `part`; answered with `button`.
Step Message(const QString& part, QMessageBox::StandardButton button = QMessageBox::Ok) {
  return {&QMessageBox::staticMetaObject, [part, button](QWidget& widget) {
            auto& box = static_cast<QMessageBox&>(widget);
            EXPECT_TRUE(box.text().contains(part)) << box.text().toStdString();
            box.button(button)->click();
          }};
}

class QtFileDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::TestApplication(); }

  QtFileDialogTest() {
    QDir(folder_.path()).mkdir(QStringLiteral("sub é"));
    for (const char* name : {"a.bmp", "b.bmp", "c.spr", "sub é/d.bmp", "日本 ü.bmp"}) {
      QFile(Path(name)).open(QIODevice::WriteOnly);
    }
    owner_.show();
  }

  QString Path(const char* name) const { return folder_.filePath(QString::fromUtf8(name)); }
  std::string Chosen(const char* name) const { return Path(name).toStdString() + '\0'; }

  OPENFILENAME Record(std::uint32_t flags, std::uint32_t maxFile = 1024) {
    OPENFILENAME record;
    record.lStructSize = kOpenFileNameSize;
    record.hwndOwner = windows_.Register(&owner_);
    record.lpstrFilter = "Bitmaps (*.bmp)\0*.bmp\0Sprite  archives\0*.spr; *.SPR2\0\0"s;
    record.nFilterIndex = 1;
    // A NUL first: no initial file; the padding shows which bytes were written.
    record.lpstrFile = '\0' + std::string(maxFile - 1, kPadding);
    record.nMaxFile = maxFile;
    record.lpstrFileTitle.assign(260, '\0');
    record.nMaxFileTitle = 260;
    record.lpstrInitialDir = folder_.path().toStdString();
    record.lpstrTitle = "Pick";
    record.lpstrDefExt = ".spr";
    record.Flags = flags;
    return record;
  }

  // The file buffer up to the padding the dialog left alone.
  static std::string Written(const OPENFILENAME& record) {
    return record.lpstrFile.substr(0, record.lpstrFile.find_last_not_of(kPadding) + 1);
  }

  QTemporaryDir folder_;
  QWidget owner_;
  QtWindowCalls windows_;
  QtCommonDialogCalls calls_{windows_};
};

TEST_F(QtFileDialogTest, KeyboardSessionsAndWhatTheRecordGets) {
  const std::string folder = folder_.path().toStdString();
  const auto small = static_cast<std::uint32_t>(folder.size() + 8);
  const QString twoFolders = '"' + Path("a.bmp") + "\" \"" + Path("sub é/d.bmp") + '"';
  struct Case {
    const char* what;
    bool save;
    std::uint32_t flags;
    std::uint32_t maxFile;
    std::vector<Step> steps;
    std::string written;  // empty: cancelled, the record as it was
  };
  const Step escape = StillOpenThenEscape();
  const Step cancel = OnDialog([this](QFileDialog& dialog) {
    EXPECT_EQ(dialog.parentWidget(), &owner_);
    EXPECT_EQ(dialog.windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog.windowTitle(), "Pick");
    Press(Qt::Key_Escape);
  });
  const QString tooLong =
      QString("need %1 bytes, more than the buffer's %2").arg(small + 6).arg(small);
  // clang-format off
  const std::vector<Case> cases = {
      {"full path",           false, kMustExist, 1024, {Type(Path("a.bmp"))}, Chosen("a.bmp")},
      // The folder, each name in the order the dialog gives them (as typed), one more NUL.
      {"quoted names",        false, kMulti, 1024, {Type(R"("b.bmp" "a.bmp" "日本 ü.bmp")")},
                              folder + "\0b.bmp\0a.bmp\0日本 ü.bmp\0\0"s},
      {"one quoted name",     false, kMulti, 1024, {Type(R"("a.bmp")")}, Chosen("a.bmp")},
      // Typed names are taken whatever the type list shows.
      {"names of other types", false, kMulti, 1024, {Type(R"("a.bmp" "c.spr")")},
                              folder + "\0a.bmp\0c.spr\0\0"s},
      {"other type, missing", false, kMulti, 1024,
                              {Type(R"("a.bmp" "x.spr")"), Message("x.spr\nFile not found"), escape},
                              ""},
      {"folder, then name",   false, kMustExist, 1024, {Type(Path("sub é")), Type("d.bmp")},
                              Chosen("sub é/d.bmp")},
      {"missing",             false, kMustExist, 1024,
                              {Type("x.bmp"), Message("not found"), escape}, ""},
      {"missing, may be new", false, 0, 1024, {Type("x.bmp")}, Chosen("x.bmp")},
      {"default extension",   true, OFN_OVERWRITEPROMPT, 260, {Type("new")}, Chosen("new.spr")},
      {"replacing",           true, OFN_OVERWRITEPROMPT, 260,
                              {Type("c"), Message("replace", QMessageBox::Yes)}, Chosen("c.spr")},
      {"replacing unasked",   true, 0, 260, {Type("c")}, Chosen("c.spr")},
      {"too long",            false, kMulti, small,
                              {Type(R"("a.bmp" "b.bmp")"), Message(tooLong), escape}, ""},
      {"two folders",         false, kMulti, 1024,
                              {Type(twoFolders), Message("different folders"), escape}, ""},
      {"two, one wanted",     false, kMustExist, 1024,
                              {Type(R"("a.bmp" "b.bmp")"), Message("choose one file"), escape}, ""},
      {"cancel",              false, kMustExist, 1024, {cancel}, ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OPENFILENAME record = Record(c.flags, c.maxFile);
    const OPENFILENAME before = record;
    testing::ModalScript script(c.steps);
    const std::int32_t result =
        c.save ? calls_.GetSaveFileNameA(record) : calls_.GetOpenFileNameA(record);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(calls_.CommDlgExtendedError(), 0u);
    if (c.written.empty()) {
      EXPECT_EQ(result, kDialogCancelled);
      EXPECT_EQ(record.lpstrFile, before.lpstrFile);
      EXPECT_EQ(record.lpstrFileTitle, before.lpstrFileTitle);
    } else {
      EXPECT_EQ(result, kDialogConfirmed);
      EXPECT_EQ(Written(record), c.written);
    }
  }
}

TEST_F(QtFileDialogTest, NonAsciiNameComesBackWithItsOffsetsAndTitle) {
  OPENFILENAME record = Record(kMustExist);
  testing::ModalScript script({Type(Path("日本 ü.bmp"))});
  ASSERT_EQ(calls_.GetOpenFileNameA(record), kDialogConfirmed);
  const std::string path = Path("日本 ü.bmp").toStdString();
  EXPECT_EQ(Written(record), path + '\0');
  EXPECT_EQ(record.lpstrFileTitle.substr(0, 14), "日本 ü.bmp\0"s);
  EXPECT_EQ(record.nFileOffset, folder_.path().toUtf8().size() + 1);
  EXPECT_EQ(record.nFileExtension, path.size() - 3);
}

TEST_F(QtFileDialogTest, FilterIndexInAndOut) {
  struct Case {
    std::uint32_t in;
    bool pickFirst;
    QStringList patterns;
    std::uint32_t out;
  };
  for (const Case& c : {Case{2, false, {"*.spr", "*.SPR2"}, 2}, Case{2, true, {"*.bmp"}, 1},
                        Case{0, false, {"*.bmp"}, 1}}) {
    SCOPED_TRACE(c.in);
    OPENFILENAME record = Record(0);
    record.nFilterIndex = c.in;
    testing::ModalScript script({OnDialog([&](QFileDialog& dialog) {
      auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
      ASSERT_EQ(types->count(), 2);
      EXPECT_EQ(types->itemText(0), "Bitmaps (*.bmp)");
      EXPECT_EQ(types->itemText(1), "Sprite  archives");
      if (c.pickFirst) {
        QTest::keyClick(types, Qt::Key_Up);
      }
      EXPECT_EQ(dialog.findChild<QFileSystemModel*>()->nameFilters(), c.patterns);
      TypeText(dialog, Path("a.bmp"));
      Press(Qt::Key_Return);
    })});
    ASSERT_EQ(calls_.GetOpenFileNameA(record), kDialogConfirmed);
    EXPECT_EQ(record.nFilterIndex, c.out);
  }
}

TEST_F(QtFileDialogTest, ReadOnlyBoxShownOrHiddenAndReadBack) {
  struct Case {
    std::uint32_t flags;
    bool click;
    bool readOnly;
  };
  for (const Case& c : {Case{0, true, true}, Case{OFN_READONLY, true, false},
                        Case{OFN_READONLY | OFN_HIDEREADONLY, false, true}}) {
    SCOPED_TRACE(c.flags);
    OPENFILENAME record = Record(c.flags);
    testing::ModalScript script({OnDialog([&](QFileDialog& dialog) {
      auto* box = dialog.findChild<QCheckBox*>();
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->isVisible(), (c.flags & OFN_HIDEREADONLY) == 0);
      if (box->isVisible()) {
        // In the column of the name box and the type list, below the list.
        const auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        EXPECT_EQ(box->x(), types->x());
        EXPECT_GE(box->y(), types->geometry().bottom());
      }
      if (c.click) {
        box->click();
      }
      TypeText(dialog, Path("a.bmp"));
      Press(Qt::Key_Return);
    })});
    ASSERT_EQ(calls_.GetOpenFileNameA(record), kDialogConfirmed);
    EXPECT_EQ(record.Flags, c.readOnly ? c.flags | OFN_READONLY : c.flags & ~OFN_READONLY);
  }
}

TEST_F(QtFileDialogTest, BadRecordFailsWithoutADialog) {
  for (const auto& [size, owner, error] :
       {std::tuple{0u, 0, CDERR_STRUCTSIZE},
        std::tuple{kOpenFileNameSize, 999, CDERR_DIALOGFAILURE}}) {
    OPENFILENAME record = Record(0);
    record.lStructSize = size;
    record.hwndOwner = owner;
    testing::ModalScript guard({}, 1000);
    EXPECT_EQ(calls_.GetSaveFileNameA(record), kDialogFailed);
    EXPECT_EQ(calls_.CommDlgExtendedError(), error);
  }
}

}  // namespace
}  // namespace sprite::winsys::qt
