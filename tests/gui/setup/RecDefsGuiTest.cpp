#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

#include "fakes/FakeMessages.h"
#include "gui/ControlTextBox.h"
#include "gui/GuiApp.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/DialogLanguages.h"
#include "gui/setup/RecDefs.h"

using namespace std::string_literals;

namespace quorvane {
namespace {

class RecDefsTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member
    void SetUp() override { ResetToDefaults(g, "/tmp"); }

    KeystrokePickerHooks Hooks() {
        return {[this](QWidget*) {
                    calls.push_back("Pick");
                    return nextPick;
                },
                [this] { calls.push_back("RemoveNul"); },
                [this] { calls.push_back("RestoreNul"); }};
    }
    template <typename T>
    T* Child(const char* name) {
        T* child = editor.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QLineEdit* Length() { return Child<QLineEdit>("FieldLength"); }
    QLabel* Label(const char* name) { return Child<QLabel>(name); }
    QPushButton* Button(const char* name) { return Child<QPushButton>(name); }
    ControlTextBox* Box(const char* name) {
        return dynamic_cast<ControlTextBox*>(Child<QWidget>(name));
    }
    // As the wizard opens it: display choices, preparation, then shown.
    void Open(bool counter, bool navigation) {
        editor.ShowByteCounter(counter, g.RecordLength);
        editor.ShowNavigation(navigation);
        editor.PrepareFieldEditor();
        editor.show();
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    }
    void FixedBytes(int16_t recordLength) {
        g.EndOfRecordEvent = 2;
        g.RecordStructure = 2;
        g.NumberOfFields = 40;
        g.RecordLength = recordLength;
        Open(true, true);
    }
    void TypeLength(const char* text) {
        Length()->setFocus();
        Length()->selectAll();
        if (*text == '\0')
            QTest::keyClick(Length(), Qt::Key_Backspace);
        else
            QTest::keyClicks(Length(), text);
    }
    bool Shown(const char* name) { return Child<QWidget>(name)->isVisibleTo(&editor); }

    SetupGlobals g;
    FakeMessages messages;
    AsciiChart chart{g};
    std::vector<std::string> calls;
    std::string nextPick;
    RecDefs editor{g, messages, Hooks(), &chart};
};

TEST_F(RecDefsTest, FixedNumberOfBytesFourPlusSix) {
    FixedBytes(10);
    EXPECT_EQ(Label("FieldName")->text(), "1");
    EXPECT_EQ(Label("BytesDefined")->text(), "0");
    EXPECT_EQ(Label("RecordLength")->text(), "10");
    EXPECT_FALSE(Button("PreviousField")->isEnabled());
    TypeLength("4");
    EXPECT_EQ(Label("BytesDefined")->text(), "4");
    ASSERT_TRUE(Button("NextField")->isEnabled());
    Button("NextField")->click();
    EXPECT_EQ(Label("FieldName")->text(), "2");
    EXPECT_TRUE(Button("PreviousField")->isEnabled());
    EXPECT_FALSE(Shown("PreambleMacro"));
    TypeLength("6");
    EXPECT_EQ(Label("BytesDefined")->text(), "10");
    EXPECT_FALSE(Button("NextField")->isEnabled());
    // Back on field 1 "Next Field" stays open: field 2 has its length.
    Button("PreviousField")->click();
    EXPECT_EQ(Length()->text(), "4");
    EXPECT_TRUE(Button("NextField")->isEnabled());
    Button("OK_Button")->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(g.NumberOfFields, 2);
    EXPECT_EQ(g.FieldLength[1], 4);
    EXPECT_EQ(g.FieldLength[2], 6);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
}

TEST_F(RecDefsTest, LengthsThatDoNotAddUpToTheRecordAreRefused) {
    FixedBytes(10);
    TypeLength("4");
    Button("NextField")->click();
    TypeLength("5");
    EXPECT_TRUE(Button("NextField")->isEnabled());  // one byte is still undefined
    Button("OK_Button")->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Total sum of field lengths is not equal to the total record length.");
    EXPECT_EQ(messages.shown[0].title, "Field Length Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].beepsBefore, 1);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Length());
    EXPECT_EQ(g.FieldLength[1], 0);
    EXPECT_EQ(g.NumberOfFields, 40);

    // Ten bytes with a field of length 0 among them would never end a record.
    Button("NextField")->click();
    TypeLength("1");
    Button("PreviousField")->click();
    TypeLength("");
    Button("PreviousField")->click();
    TypeLength("9");
    EXPECT_EQ(Label("BytesDefined")->text(), "10");
    Button("OK_Button")->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].title, "Field Length Error");
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(RecDefsTest, TooLongALengthIsRefusedWhileTyping) {
    FixedBytes(10);
    TypeLength("40000");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Field length must be between 1 and 32766");
    EXPECT_EQ(messages.shown[0].title, "Field Length Error");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].beepsBefore, 1);
    // The box shows what is stored: the length before the refused digit.
    EXPECT_EQ(Length()->text(), "4000");
    EXPECT_EQ(editor.WorkingCopies().Length[1], 4000);
    EXPECT_EQ(QApplication::focusWidget(), Length());
    TypeLength("32766");
    EXPECT_EQ(messages.shown.size(), 1u);
    TypeLength("32767");
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(RecDefsTest, BytesDefinedStopAt32767) {
    FixedBytes(32766);
    TypeLength("30000");
    Button("NextField")->click();
    TypeLength("5000");
    EXPECT_EQ(Label("BytesDefined")->text(), "32767");
    Button("OK_Button")->click();
    EXPECT_EQ(messages.shown.back().title, "Field Length Error");
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(RecDefsTest, FixedLengthFieldsWithACrEndTakeTheirCountFromTheFirstZeroLength) {
    g.RecordStructure = 2;
    g.NumberOfFields = 40;
    g.FieldLength[1] = 3;
    Open(false, true);
    EXPECT_FALSE(Shown("BytesDefined"));
    EXPECT_TRUE(Shown("FieldLength"));
    Button("NextField")->click();
    EXPECT_EQ(Label("FieldName")->text(), "2");
    // An empty box counts as 0, and a fixed-length field needs a length.
    TypeLength("");
    Button("NextField")->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Field length must be between 1 and 32766");
    EXPECT_EQ(Label("FieldName")->text(), "2");
    TypeLength("2");
    Button("NextField")->click();
    EXPECT_EQ(Label("FieldName")->text(), "3");
    Button("OK_Button")->click();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(g.NumberOfFields, 2);

    // A first field of length 0 would leave the record without fields: OK refuses it.
    Open(false, true);
    TypeLength("0");
    Button("OK_Button")->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "Field length must be between 1 and 32766");
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(g.NumberOfFields, 2);
    EXPECT_EQ(g.FieldLength[1], 3);
}

TEST_F(RecDefsTest, TheLengthBoxTakesDigitsSilentlyAndEnterMovesOn) {
    g.RecordStructure = 2;
    g.NumberOfFields = 40;
    Open(false, true);
    Length()->setFocus();
    Length()->selectAll();
    QTest::keyClick(Length(), Qt::Key_Backspace);
    QTest::keyClicks(Length(), "1x2 .");
    EXPECT_EQ(Length()->text(), "12");
    EXPECT_EQ(messages.beeps, 0);
    QTest::keyClick(Length(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("FieldMacro"));
    EXPECT_TRUE(editor.isVisible());
    // Getting the focus fills an empty box with 0, all selected.
    Length()->clear();
    Child<QWidget>("FieldExpression")->setFocus();
    Length()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Length()->text(), "0");
    EXPECT_EQ(Length()->selectedText(), "0");
}

TEST_F(RecDefsTest, CancelDropsEveryEditAndTheNextOpeningShowsTheSettings) {
    g.RecordStructure = 1;
    g.NumberOfFields = 3;
    g.FieldFormat[2] = "Currency";
    g.FieldMath[1] = "F1+1";
    g.FieldFilter[1] = "X";
    Open(false, true);
    EXPECT_EQ(calls, std::vector<std::string>{"RemoveNul"});
    EXPECT_EQ(Child<QComboBox>("FilterTypes")->currentIndex(), 0);
    QTest::keyClick(Child<QComboBox>("FilterTypes"), Qt::Key_Down);
    EXPECT_EQ(editor.WorkingCopies().Filter[1], "I");
    QTest::keyClicks(Child<QLineEdit>("FieldExpression"), "*2");
    QTest::keyClicks(Child<QWidget>("FieldMacro"), "{TAB}");
    Button("NextField")->click();
    EXPECT_EQ(Child<QComboBox>("lstFieldFormat")->currentText(), "Currency");
    Child<QComboBox>("lstFieldFormat")->lineEdit()->selectAll();
    QTest::keyClicks(Child<QComboBox>("lstFieldFormat")->lineEdit(), "0.00");
    Button("Cancel_Button")->click();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(calls, (std::vector<std::string>{"RemoveNul", "RestoreNul"}));
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(g.FieldFilter[1], "X");
    EXPECT_EQ(g.FieldMath[1], "F1+1");
    EXPECT_EQ(g.FieldPostamble[1], "");
    EXPECT_EQ(g.FieldFormat[2], "Currency");

    Open(false, true);
    EXPECT_EQ(Label("FieldName")->text(), "1");
    EXPECT_EQ(Child<QLineEdit>("FieldExpression")->text(), "F1+1");
    EXPECT_EQ(Box("FieldMacro")->Value(), "");
    EXPECT_EQ(Child<QComboBox>("FilterTypes")->currentIndex(), 0);
    Button("NextField")->click();
    EXPECT_EQ(Child<QComboBox>("lstFieldFormat")->currentText(), "Currency");

    // OK of an untouched editor changes nothing; a letter shown as "None" stays as it was.
    Button("OK_Button")->click();
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(g.FieldFilter[1], "X");
    EXPECT_EQ(calls.back(), "RestoreNul");
}

TEST_F(RecDefsTest, OkStoresEveryFieldTextAndThePreambleMarksAtOnce) {
    g.RecordStructure = 1;
    g.NumberOfFields = 2;
    Open(false, true);
    QTest::keyClicks(Child<QWidget>("PreambleMacro"), "{HOME}");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));  // before OK
    g.ConfigChanged = kFalse;
    Child<QComboBox>("FilterTypes")->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(Child<QComboBox>("FilterTypes"), Qt::Key_Down);
    Button("NextField")->click();
    EXPECT_FALSE(Button("NextField")->isEnabled());
    Child<QComboBox>("lstFieldFormat")->setCurrentIndex(2);
    emit Child<QComboBox>("lstFieldFormat")->activated(2);
    QTest::keyClicks(Child<QWidget>("FieldMacro"), "x");
    Button("OK_Button")->click();
    EXPECT_EQ(g.RecordPreamble, "{HOME}");
    EXPECT_EQ(g.FieldFilter[1], "H");
    EXPECT_EQ(g.FieldFormat[2], "Fixed");
    EXPECT_EQ(g.FieldPostamble[2], "x");
    EXPECT_EQ(g.NumberOfFields, 2);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
}

TEST_F(RecDefsTest, SingleFieldRecordsShowOneFieldWithoutNavigationOrLength) {
    Open(false, false);
    EXPECT_FALSE(Shown("NextField"));
    EXPECT_FALSE(Shown("PreviousField"));
    EXPECT_FALSE(Shown("FieldLength"));
    EXPECT_FALSE(Shown("BytesDefined"));
    EXPECT_TRUE(Shown("PreambleMacro"));
    EXPECT_EQ(editor.CurrentField(), 1);
    editor.NextField();
    EXPECT_EQ(editor.CurrentField(), 1);
}

TEST_F(RecDefsTest, CaptionLabelsAndPickersFollowTheMode) {
    struct Row {
        int16_t mode;
        const char *caption, *preamble, *postamble;
        bool keys, ascii;
    };
    const Row rows[] = {
        {0, "Input Record Definition Editor - Send Keystrokes Mode", "Record Preamble Keystrokes",
         "Field Postamble Keystrokes", true, false},
        {1, "Input Record Definition Editor - DDE Server Mode", "Record Preamble DDE Command",
         "Field Postamble DDE Command", false, false},
        {2, "Input Record Definition Editor - Log To Disk Mode", "Record Preamble Characters",
         "Field Postamble Characters", false, true},
    };
    for (const Row& r : rows) {
        g.Mode = r.mode;
        Open(false, false);
        EXPECT_EQ(editor.windowTitle(), r.caption);
        bool preamble = false, postamble = false;
        for (QLabel* label : editor.findChildren<QLabel*>()) {
            preamble |= label->text() == r.preamble;
            postamble |= label->text() == r.postamble;
        }
        EXPECT_TRUE(preamble && postamble) << r.mode;
        EXPECT_EQ(Shown("KeyButton"), r.keys) << r.mode;
        EXPECT_EQ(Shown("AsciiButton"), r.ascii) << r.mode;
        Button("Cancel_Button")->click();
    }
}

TEST_F(RecDefsTest, PickersInsertIntoTheTextBoxThatHadTheFocusLast) {
    g.RecordStructure = 1;
    g.NumberOfFields = 2;
    Open(false, true);
    auto* keys = Button("KeyButton");
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("PreambleMacro"));
    EXPECT_TRUE(keys->isEnabled());
    Child<QWidget>("FieldMacro")->setFocus();
    nextPick = "{ENTER}";
    keys->click();
    EXPECT_EQ(Box("FieldMacro")->Value(), "{ENTER}");
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("FieldMacro"));
    EXPECT_EQ(Box("PreambleMacro")->Value(), "");
    nextPick = "";
    keys->click();  // cancelled: nothing changes
    EXPECT_EQ(Box("FieldMacro")->Value(), "{ENTER}");

    Child<QWidget>("FieldExpression")->setFocus();
    EXPECT_FALSE(keys->isEnabled());
    Child<QWidget>("PreambleMacro")->setFocus();
    EXPECT_TRUE(keys->isEnabled());
    Button("OK_Button")->setFocus();
    EXPECT_FALSE(keys->isEnabled());
    Button("OK_Button")->click();
    EXPECT_EQ(g.FieldPostamble[1], "{ENTER}");
}

TEST_F(RecDefsTest, ANulFromTheChartIsStoredExactlyInLogMode) {
    g.Mode = 2;
    Open(false, false);
    auto* ascii = Button("AsciiButton");
    Child<QWidget>("FieldMacro")->setFocus();
    QTest::keyClicks(Child<QWidget>("FieldMacro"), "ab");
    EXPECT_TRUE(ascii->isEnabled());
    QTimer::singleShot(0, &chart, [this] {
        chart.SetCurrentRow(0);
        chart.findChild<QPushButton*>("OK")->click();
    });
    ascii->click();
    EXPECT_EQ(Box("FieldMacro")->Value(), "ab\0"s);
    EXPECT_EQ(Child<QPlainTextEdit>("FieldMacro")->toPlainText(), QString::fromUtf8("ab\xC3\xBF"));
    editor.activateWindow();  // the window system gives it back when the chart closes
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    Child<QWidget>("FilterTypes")->setFocus();
    EXPECT_FALSE(ascii->isEnabled());
    Button("OK_Button")->click();
    EXPECT_EQ(g.FieldPostamble[1], "ab\0"s);
}

TEST_F(RecDefsTest, EnterDoesNotEndTheEditorButEscapeCancels) {
    g.RecordStructure = 1;
    g.NumberOfFields = 2;
    Open(false, true);
    QTest::keyClicks(Child<QLineEdit>("FieldExpression"), "F1");
    QTest::keyClick(Child<QLineEdit>("FieldExpression"), Qt::Key_Return);
    EXPECT_TRUE(editor.isVisible());
    Button("OK_Button")->setFocus();
    QTest::keyClick(Button("OK_Button"), Qt::Key_Return);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(g.FieldMath[1], "F1");

    Open(false, true);
    QTest::keyClicks(Child<QLineEdit>("FieldExpression"), "x");
    QTest::keyClick(Child<QLineEdit>("FieldExpression"), Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(g.FieldMath[1], "F1");
}

TEST_F(RecDefsTest, BothLanguages) {
    g.EndOfRecordEvent = 2;
    g.RecordStructure = 2;
    g.NumberOfFields = 40;
    g.RecordLength = 10;
    g.FieldLength[1] = 4;
    editor.ShowByteCounter(true, 10);
    editor.ShowNavigation(true);
    for (const int16_t mode : {int16_t{0}, int16_t{2}}) {
        g.Mode = mode;
        CheckBothLanguages(&editor, mode == 0 ? "recdefs-keystrokes" : "recdefs-log",
                           [this] { editor.PrepareFieldEditor(); });
    }
    EXPECT_EQ(editor.windowTitle(), "Input Record Definition Editor - Log To Disk Mode");
}

}  // namespace
}  // namespace quorvane
