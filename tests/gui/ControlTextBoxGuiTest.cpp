#include <gtest/gtest.h>

#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <string>

#include "fakes/FakeMessages.h"
#include "gui/ControlTextBox.h"
#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

// A dialog with a single-line and a multi-line box and a default OK button, shown so that
// key events reach the focused box.
class ControlTextBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GuiApp();
        ControlTextBox::InternalClipboard().clear();
        auto* layout = new QVBoxLayout(&dialog);
        line = new ControlTextLineEdit(messages, &dialog);
        plain = new ControlTextPlainEdit(messages, &dialog);
        ok = new QPushButton("OK", &dialog);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        layout->addWidget(line);
        layout->addWidget(plain);
        layout->addWidget(ok);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    // What the box shows, with each line break of the multi-line box as LF.
    static QString Shown(ControlTextBox* box) {
        if (auto* l = dynamic_cast<QLineEdit*>(box)) return l->text();
        return dynamic_cast<QPlainTextEdit*>(box)->toPlainText();
    }
    static QString Utf8(const char* text) { return QString::fromUtf8(text); }

    void Focus(QWidget* w) {
        dialog.activateWindow();
        w->setFocus();
    }

    QApplication& app = GuiApp();  // before any widget
    FakeMessages messages;
    QDialog dialog;
    ControlTextLineEdit* line = nullptr;
    ControlTextPlainEdit* plain = nullptr;
    QPushButton* ok = nullptr;
};

TEST_F(ControlTextBoxTest, TypingKeepsTheStoredValueInStepInBothBoxes) {
    for (ControlTextBox* box :
         {static_cast<ControlTextBox*>(line), static_cast<ControlTextBox*>(plain)}) {
        SCOPED_TRACE(box->MultiLine() ? "multi-line" : "single-line");
        QWidget* w = box->Widget();
        box->SetValue("a\0b"s);
        EXPECT_EQ(Shown(box), Utf8("a\xC3\xBF"
                                   "b"));  // NUL shows as character 255
        Focus(w);
        QTest::keyClick(w, Qt::Key_Home);
        QTest::keyClick(w, Qt::Key_Right);
        QTest::keyClicks(w, "xY");
        EXPECT_EQ(box->Value(), "axY\0b"s);

        // Enter inserts CR LF at the caret and does not press the default button.
        QTest::keyClick(w, Qt::Key_Return);
        EXPECT_EQ(box->Value(), "axY\r\n\0b"s);
        EXPECT_FALSE(dialog.result() == QDialog::Accepted);
        EXPECT_TRUE(dialog.isVisible());

        // Ctrl+letter inserts nothing, Ctrl+V, Ctrl+X and Ctrl+U included.
        for (const Qt::Key key : {Qt::Key_A, Qt::Key_V, Qt::Key_X, Qt::Key_C, Qt::Key_U, Qt::Key_Z})
            QTest::keyClick(w, key, Qt::ControlModifier);
        EXPECT_EQ(box->Value(), "axY\r\n\0b"s);

        // Backspace after the line end: the multi-line box removes the pair as one break.
        QTest::keyClick(w, Qt::Key_Backspace);
        EXPECT_EQ(box->Value(), box->MultiLine() ? "axY\0b"s : "axY\r\0b"s);

        // Delete at the caret, and Ctrl+Delete to the end.
        QTest::keyClick(w, Qt::Key_Home);
        QTest::keyClick(w, Qt::Key_Delete);
        EXPECT_EQ(box->Value(), box->MultiLine() ? "xY\0b"s : "xY\r\0b"s);
        QTest::keyClick(w, Qt::Key_Right);
        QTest::keyClick(w, Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(box->Value(), "x");
        EXPECT_EQ(Shown(box), "x");
    }
    EXPECT_EQ(messages.beeps, 0);

    line->SetValue("A\0B\r\nC\x01"s);
    plain->SetValue("A\0B\r\nC\rD\nE"s);
    SaveScreenshot(&dialog, "control-text-boxes");
}

TEST_F(ControlTextBoxTest, ShownTextMatchesTheStoredValueAfterEachEdit) {
    plain->SetValue("1\r\n2\r3\n4");
    EXPECT_EQ(Shown(plain), "1\n2\n3\n4");
    Focus(plain);
    // After the lone CR: typing there leaves the lone CR and LF exact.
    QTest::keyClick(plain, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 4; ++i) QTest::keyClick(plain, Qt::Key_Right);
    QTest::keyClicks(plain, "#");
    EXPECT_EQ(plain->Value(), "1\r\n2\r#3\n4");
    EXPECT_EQ(Shown(plain), "1\n2\n#3\n4");
    // Entering a line end right after the lone CR makes it a CR CR LF, still exact.
    QTest::keyClick(plain, Qt::Key_Left);
    QTest::keyClick(plain, Qt::Key_Return);
    EXPECT_EQ(plain->Value(), "1\r\n2\r\r\n#3\n4");
    EXPECT_EQ(Shown(plain), "1\n2\n\n#3\n4");
}

TEST_F(ControlTextBoxTest, ShiftDeleteThenShiftInsertMovesNulsExactlyToAnotherBox) {
    line->SetValue("a\0\r\nb"s);
    Focus(line);
    line->setSelection(1, 3);
    QTest::keyClick(line, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(line->Value(), "ab");
    EXPECT_EQ(line->text(), "ab");
    EXPECT_EQ(messages.beeps, 1);  // the cut beeps
    EXPECT_EQ(ControlTextBox::InternalClipboard(), "\0\r\n"s);

    plain->SetValue("[]");
    Focus(plain);
    QTest::keyClick(plain, Qt::Key_Right);
    QTest::keyClick(plain, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(plain->Value(), "[\0\r\n]"s);
    EXPECT_EQ(Shown(plain), Utf8("[\xC3\xBF\n]"));

    // Ctrl+Insert copies without changing the box; Shift+Delete without a selection changes
    // nothing and beeps unless the caret is at the start.
    QTest::keyClick(plain, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(plain, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(plain, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(plain, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ControlTextBox::InternalClipboard(), "[\0"s);
    QTest::keyClick(plain, Qt::Key_End);
    QTest::keyClick(plain, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(plain->Value(), "[\0\r\n]"s);
    EXPECT_EQ(messages.beeps, 2);
}

TEST_F(ControlTextBoxTest, PickedNulGoesInRealAndShowsAs255) {
    line->SetValue("ab");
    line->setSelection(1, 1);
    line->InsertPicked("\0"s);
    EXPECT_EQ(line->Value(), "a\0"s);
    EXPECT_EQ(line->text(), Utf8("a\xC3\xBF"));
    EXPECT_TRUE(line->hasFocus());
    line->InsertPicked("");  // nothing picked
    EXPECT_EQ(line->Value(), "a\0"s);
}

// Changes the box makes outside the key rules (a program call, a drop, an undo) are put back.
TEST_F(ControlTextBoxTest, ChangesOutsideTheRulesArePutBack) {
    line->SetValue("a\0"s);
    line->insert("zz");
    EXPECT_EQ(line->Value(), "a\0"s);
    EXPECT_EQ(line->text(), Utf8("a\xC3\xBF"));
    plain->SetValue("x\r\ny");
    plain->insertPlainText("q");
    EXPECT_EQ(plain->Value(), "x\r\ny");
    EXPECT_EQ(plain->toPlainText(), "x\ny");
}

// The context menu's Cut, Copy, Paste and Delete are the keys' own rules.
TEST_F(ControlTextBoxTest, ContextMenuGoesThroughTheSameRules) {
    const auto run = [](ControlTextBox* box, int index) {
        std::unique_ptr<QMenu> menu(box->CreateContextMenu());
        QAction* action = menu->actions().at(index);
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
        action->trigger();
    };
    line->SetValue("x\0\0y"s);
    {
        std::unique_ptr<QMenu> menu(line->CreateContextMenu());
        ASSERT_EQ(menu->actions().size(), 6);  // Cut, Copy, Paste, Delete, separator, Select All
        EXPECT_EQ(menu->actions().at(0)->text(), UiText(kStrControlTextCut));
        EXPECT_FALSE(menu->actions().at(0)->isEnabled());  // nothing selected
        EXPECT_FALSE(menu->actions().at(2)->isEnabled());  // nothing to paste
    }
    line->setSelection(1, 2);
    run(line, 0);  // Cut
    EXPECT_EQ(line->Value(), "xy");
    EXPECT_EQ(ControlTextBox::InternalClipboard(), "\0\0"s);
    plain->SetValue("ab");
    run(plain, 5);  // Select All
    run(plain, 2);  // Paste over the selection
    EXPECT_EQ(plain->Value(), "\0\0"s);
    EXPECT_EQ(plain->toPlainText(), Utf8("\xC3\xBF\xC3\xBF"));
    run(plain, 5);
    run(plain, 1);  // Copy
    run(plain, 3);  // Delete
    EXPECT_EQ(plain->Value(), "");
    EXPECT_EQ(ControlTextBox::InternalClipboard(), "\0\0"s);
}

// Escape is not a character the boxes take: it reaches the dialog, which closes.
TEST_F(ControlTextBoxTest, EscapeStillClosesTheDialog) {
    line->SetValue("a");
    Focus(line);
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(line->Value(), "a");
}

}  // namespace
}  // namespace quorvane
