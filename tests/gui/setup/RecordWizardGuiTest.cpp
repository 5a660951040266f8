#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/FakeMessages.h"
#include "gui/ControlTextBox.h"
#include "gui/GuiApp.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/DialogLanguages.h"
#include "gui/setup/RecordWizard.h"

using namespace std::string_literals;

namespace quorvane {
namespace {

class RecordWizardTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member
    void SetUp() override {
        ResetToDefaults(g, "/tmp");
        wizard.SetShowDialog([this](QDialog& dialog) {
            dialog.show();
            dialog.activateWindow();
            shown.push_back(&dialog);
        });
    }

    template <typename T>
    static T* Child(QWidget* dialog, const char* name) {
        T* child = dialog->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QDialog* Top() { return shown.empty() ? nullptr : shown.back(); }
    const char* TopName() { return Top() ? Top()->metaObject()->className() : "none"; }
    void Continue() { Child<QPushButton>(Top(), "OK_Button")->click(); }
    void Choose(const char* option) { Child<QRadioButton>(Top(), option)->click(); }
    void Retype(const char* box, const char* text) {
        auto* edit = Child<QLineEdit>(Top(), box);
        edit->selectAll();
        edit->del();
        QTest::keyClicks(edit, text);
    }
    // The keyboard as the user has it: keys go to the focused control of the active dialog.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(Top()));
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key, modifiers);
    }
    QWidget* Focus() {
        EXPECT_TRUE(QTest::qWaitForWindowActive(Top()));
        return QApplication::focusWidget();
    }
    // Runs to the dialog that follows RecType for end event e.
    void StartWith(int endEvent) {
        wizard.Run(nullptr);
        Choose(("RecTypeSel_" + std::to_string(endEvent)).c_str());
        Continue();
    }

    SetupGlobals g;
    FakeMessages messages;
    AsciiChart chart{g};
    RecordWizard wizard{g, messages, {}, &chart};
    std::vector<QDialog*> shown;
};

TEST_F(RecordWizardTest, EndByByteCountSkipsTheStructureAndForcesFortyFixedLengthSlots) {
    g.RecordLength = 12;
    StartWith(2);
    ASSERT_STREQ(TopName(), "quorvane::Fixed");
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(g.EndOfRecordEvent, 2);
    EXPECT_EQ(g.RecordStructure, 2);
    EXPECT_EQ(g.NumberOfFields, 40);
    EXPECT_EQ(Child<QLineEdit>(Top(), "Text1")->text(), "12");

    for (const char* bad : {"0", "", "32767"}) {
        Retype("Text1", bad);
        Continue();
        ASSERT_FALSE(messages.shown.empty()) << bad;
        EXPECT_EQ(messages.shown.back().text, "Record Length Must Be Between 1 and 32766");
        EXPECT_EQ(messages.shown.back().title, "Invalid Input");
        EXPECT_EQ(messages.shown.back().icon, MessageIcon::Exclamation);
        EXPECT_EQ(messages.shown.back().beepsBefore, messages.beeps);  // the beep comes first
        EXPECT_STREQ(TopName(), "quorvane::Fixed");
        EXPECT_TRUE(Top()->isVisible());
        EXPECT_EQ(g.RecordLength, 12);
    }
    Retype("Text1", "10");
    Continue();
    ASSERT_STREQ(TopName(), "quorvane::RecDefs");
    EXPECT_EQ(g.RecordLength, 10);
    EXPECT_TRUE(Child<QLabel>(Top(), "BytesDefined")->isVisible());
    EXPECT_EQ(Child<QLabel>(Top(), "RecordLength")->text(), "10");
    EXPECT_TRUE(Child<QPushButton>(Top(), "NextField")->isVisible());
}

TEST_F(RecordWizardTest, EndByTimeGapAsksForTheGapThenTheStructure) {
    StartWith(1);
    ASSERT_STREQ(TopName(), "quorvane::Timed");
    EXPECT_EQ(Child<QLineEdit>(Top(), "ClockTicks")->text(), "3");
    for (const char* bad : {"99999", "", "0", "256"}) {
        Retype("ClockTicks", bad);
        Continue();
        ASSERT_FALSE(messages.shown.empty()) << bad;
        EXPECT_EQ(messages.shown.back().text, "Time between records must range between 1 and 255");
        EXPECT_EQ(messages.shown.back().title, "Invalid Input");
        EXPECT_EQ(messages.shown.back().icon, MessageIcon::None);
        EXPECT_STREQ(TopName(), "quorvane::Timed");
        EXPECT_EQ(g.RecordGapTicks, 3);
        EXPECT_EQ(Top()->focusWidget(), Child<QLineEdit>(Top(), "ClockTicks"));
    }
    EXPECT_EQ(messages.beeps, 4);
    Retype("ClockTicks", "255");
    Continue();
    ASSERT_STREQ(TopName(), "quorvane::RecStructure");
    EXPECT_EQ(g.RecordGapTicks, 255);
    EXPECT_EQ(shown.size(), 3u);
}

TEST_F(RecordWizardTest, NumericBoxesTakeOnlyDigitsWithABeepAndMarkTheChangeAtOnce) {
    StartWith(1);
    g.ConfigChanged = kFalse;
    auto* box = Child<QLineEdit>(Top(), "ClockTicks");
    box->clear();
    QTest::keyClicks(box, "1a2.-");
    EXPECT_EQ(box->text(), "12");
    EXPECT_EQ(messages.beeps, 3);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text(), "1");
    // A paste is not typed: a text with other characters is taken back.
    box->selectAll();
    box->insert("7x");
    emit box->textEdited(box->text());
    EXPECT_EQ(box->text(), "1");
    EXPECT_EQ(messages.beeps, 4);
}

TEST_F(RecordWizardTest, SpecialEventsNeedACharacterAndANulFromTheChartIsOne) {
    wizard.Run(nullptr);
    RecType* recType = wizard.RecTypeDialog();
    Choose("StartOfRec_3");
    Continue();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Invalid Input - Special Character Must Be Specified!");
    EXPECT_EQ(messages.shown[0].title, "Invalid Start of Record Event");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].beepsBefore, 1);
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_EQ(recType->focusWidget(), Child<QWidget>(recType, "Text1"));

    // The chart's NUL goes into the box the focus was in last.
    ASSERT_TRUE(QTest::qWaitForWindowActive(recType));
    Child<QWidget>(recType, "Text1")->setFocus();
    auto* asciiButton = Child<QPushButton>(recType, "Command1");
    EXPECT_TRUE(asciiButton->isEnabled());
    QTimer::singleShot(0, &chart, [this] {
        chart.SetCurrentRow(0);
        chart.findChild<QPushButton*>("OK")->click();
    });
    asciiButton->click();
    auto* text1 = dynamic_cast<ControlTextBox*>(Child<QWidget>(recType, "Text1"));
    EXPECT_EQ(text1->Value(), "\0"s);

    Choose("RecTypeSel_3");
    Continue();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].title, "Invalid End of Record Event");
    EXPECT_EQ(recType->focusWidget(), Child<QWidget>(recType, "Text2"));
    QTest::keyClicks(Child<QWidget>(recType, "Text2"), "*");
    Continue();
    EXPECT_STREQ(TopName(), "quorvane::RecStructure");
    EXPECT_EQ(g.StartOfRecordEvent, 3);
    EXPECT_EQ(g.StartChars, "\0"s);
    EXPECT_EQ(g.EndOfRecordEvent, 3);
    EXPECT_EQ(g.EndChars, "*");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
}

TEST_F(RecordWizardTest, SpecialCharacterBoxesFollowTheirOptionsAndTheArrowKeys) {
    g.StartChars = "S";
    g.EndChars = "\r";
    wizard.Run(nullptr);
    RecType* recType = wizard.RecTypeDialog();
    auto* text1 = Child<QWidget>(recType, "Text1");
    auto* text2 = Child<QWidget>(recType, "Text2");
    auto* asciiButton = Child<QPushButton>(recType, "Command1");
    EXPECT_FALSE(asciiButton->isEnabled());
    ASSERT_TRUE(QTest::qWaitForWindowActive(recType));

    // Shift+Tab out of a box does not come straight back to it.
    text1->setFocus();
    Key(Qt::Key_Backtab);
    EXPECT_NE(QApplication::focusWidget(), text1);
    EXPECT_NE(QApplication::focusWidget(), nullptr);

    // Focus in a box chooses its special option and makes it the chart's target.
    text2->setFocus();
    EXPECT_TRUE(Child<QRadioButton>(recType, "RecTypeSel_3")->isChecked());
    EXPECT_TRUE(asciiButton->isEnabled());
    // A click on the special option carries on into its box.
    Child<QRadioButton>(recType, "StartOfRec_3")->click();
    EXPECT_EQ(QApplication::focusWidget(), text1);

    Key(Qt::Key_Up);
    EXPECT_TRUE(Child<QRadioButton>(recType, "StartOfRec_2")->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(recType, "StartOfRec_2"));
    EXPECT_FALSE(asciiButton->isEnabled());
    text2->setFocus();
    Key(Qt::Key_Down);
    EXPECT_TRUE(Child<QRadioButton>(recType, "RecTypeSel_0")->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(recType, "RecTypeSel_0"));

    // The boxes keep their bytes although their options are not chosen.
    Continue();
    EXPECT_EQ(g.StartOfRecordEvent, 2);
    EXPECT_EQ(g.EndOfRecordEvent, 0);
    EXPECT_EQ(g.StartChars, "S");
    EXPECT_EQ(g.EndChars, "\r");
}

TEST_F(RecordWizardTest, SingleFieldRecordsClearTheLengthsAndFixedLengthFieldsKeepThem) {
    struct Row {
        const char* option;
        int fields;
        int16_t length40;
        bool navigation;
    };
    for (const Row& r : {Row{"RecStrucSel_0", 1, 0, false}, Row{"RecStrucSel_2", 40, 9, true}}) {
        SCOPED_TRACE(r.option);
        for (int n = 1; n <= 40; ++n) g.FieldLength[n] = 9;
        g.NumberOfFields = 4;
        StartWith(0);
        ASSERT_STREQ(TopName(), "quorvane::RecStructure");
        Choose(r.option);
        Continue();
        ASSERT_STREQ(TopName(), "quorvane::RecDefs");
        EXPECT_EQ(g.NumberOfFields, r.fields);
        EXPECT_EQ(g.FieldLength[1], r.length40);
        EXPECT_EQ(g.FieldLength[40], r.length40);
        EXPECT_EQ(Child<QPushButton>(Top(), "NextField")->isVisible(), r.navigation);
        EXPECT_FALSE(Child<QLabel>(Top(), "BytesDefined")->isVisible());
        Child<QPushButton>(Top(), "Cancel_Button")->click();
    }
}

TEST_F(RecordWizardTest, DelimitedRecordsChooseTheDelimiterFromAll256Codes) {
    g.DelimiterChar = "\t";
    g.NumberOfFields = 5;
    g.FieldLength[2] = 4;
    StartWith(0);
    Choose("RecStrucSel_1");
    Continue();
    ASSERT_STREQ(TopName(), "quorvane::Delim");
    auto* list = Child<QTreeWidget>(Top(), "DelimOptions");
    ASSERT_EQ(list->topLevelItemCount(), 256);
    EXPECT_EQ(list->indexOfTopLevelItem(list->currentItem()), 9);
    EXPECT_EQ(list->topLevelItem(9)->text(2), "TAB");
    EXPECT_EQ(list->topLevelItem(44)->text(1), ",");
    EXPECT_EQ(list->topLevelItem(44)->text(2), "COMMA");
    EXPECT_EQ(list->topLevelItem(13)->text(1), "");  // a control code is named, not drawn
    EXPECT_EQ(list->topLevelItem(13)->text(2), "CR");
    EXPECT_EQ(list->topLevelItem(128)->text(1), QString::fromUtf8("\xE2\x82\xAC"));
    EXPECT_EQ(Child<QLineEdit>(Top(), "Text1")->text(), "5");

    for (const char* bad : {"1", "41", ""}) {
        Retype("Text1", bad);
        Continue();
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown.back().text, "Number of Fields Must Be Between 2 and 40");
        EXPECT_EQ(messages.shown.back().icon, MessageIcon::Exclamation);
        EXPECT_STREQ(TopName(), "quorvane::Delim");
        EXPECT_EQ(Top()->focusWidget(), Child<QLineEdit>(Top(), "Text1"));
    }
    list->setCurrentItem(list->topLevelItem(0));
    Retype("Text1", "40");
    Continue();
    ASSERT_STREQ(TopName(), "quorvane::RecDefs");
    EXPECT_EQ(g.DelimiterChar, "\0"s);
    EXPECT_EQ(g.NumberOfFields, 40);
    EXPECT_EQ(g.FieldLength[2], 0);
    EXPECT_EQ(g.RecordStructure, 1);
}

TEST_F(RecordWizardTest, CancelKeepsWhatEarlierDialogsStoredAndTheKeptDialogsAreRefilled) {
    StartWith(1);
    Timed* timed = &wizard.TimedDialog();
    Retype("ClockTicks", "20");
    Child<QPushButton>(Top(), "Cancel_Button")->click();
    EXPECT_FALSE(timed->isVisible());
    EXPECT_EQ(g.EndOfRecordEvent, 1);  // stored by RecType before Timed
    EXPECT_EQ(g.RecordGapTicks, 3);

    // RecType is new for every run; Timed is the same dialog, refilled from the settings.
    QPointer<RecType> first = wizard.RecTypeDialog();
    g.RecordGapTicks = 44;
    shown.clear();
    StartWith(1);
    EXPECT_NE(wizard.RecTypeDialog(), first.data());
    QApplication::processEvents();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(Top(), timed);
    EXPECT_EQ(Child<QLineEdit>(timed, "ClockTicks")->text(), "44");
}

TEST_F(RecordWizardTest, TheWholeChainByKeyboard) {
    wizard.Run(nullptr);
    RecType* recType = wizard.RecTypeDialog();
    // Reading order: the start options, their box, the end options, their box, the buttons.
    EXPECT_EQ(Focus(), Child<QWidget>(recType, "StartOfRec_0"));
    std::vector<std::string> names{"StartOfRec_0"};
    for (int i = 0; i < 20; ++i) {
        Key(Qt::Key_Tab);
        const std::string name = Focus()->objectName().toStdString();
        if (name == names.front()) break;
        if (name != names.back()) names.push_back(name);
    }
    const auto at = [&](const char* name) {
        const auto found = std::find(names.begin(), names.end(), name);
        EXPECT_NE(found, names.end()) << name;
        return found - names.begin();
    };
    EXPECT_LT(at("StartOfRec_0"), at("Text1"));
    EXPECT_LT(at("Text1"), at("Text2"));
    EXPECT_LT(at("Text2"), at("OK_Button"));
    EXPECT_LT(at("OK_Button"), at("Cancel_Button"));
    EXPECT_EQ(names.back(), "Cancel_Button");

    // Tab chose the special options on its way through the boxes; the arrow keys choose again.
    Child<QWidget>(recType, "Text2")->setFocus();
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_TRUE(Child<QRadioButton>(recType, "RecTypeSel_1")->isChecked());
    Key(Qt::Key_Backtab);
    ASSERT_EQ(Focus(), Child<QWidget>(recType, "Text1"));
    Key(Qt::Key_Down);
    EXPECT_TRUE(Child<QRadioButton>(recType, "StartOfRec_0")->isChecked());
    Key(Qt::Key_Return);  // Continue... is the default button
    ASSERT_STREQ(TopName(), "quorvane::Timed");
    EXPECT_EQ(g.StartOfRecordEvent, 0);
    EXPECT_EQ(g.EndOfRecordEvent, 1);

    // The box has the focus with its text selected: typing replaces it.
    QApplication::processEvents();
    Key(Qt::Key_9);
    EXPECT_EQ(Child<QLineEdit>(Top(), "ClockTicks")->text(), "9");
    Key(Qt::Key_Return);
    ASSERT_STREQ(TopName(), "quorvane::RecStructure");
    EXPECT_EQ(Focus(), Child<QWidget>(Top(), "RecStrucSel_0"));
    Key(Qt::Key_Down);
    Key(Qt::Key_Enter);
    ASSERT_STREQ(TopName(), "quorvane::Delim");
    EXPECT_EQ(Focus(), Child<QWidget>(Top(), "DelimOptions"));
    Key(Qt::Key_Down);  // from "," to "-"
    Key(Qt::Key_Tab);
    QApplication::processEvents();
    Key(Qt::Key_3);
    Key(Qt::Key_Return);
    ASSERT_STREQ(TopName(), "quorvane::RecDefs");
    EXPECT_EQ(g.RecordGapTicks, 9);
    EXPECT_EQ(g.RecordStructure, 1);
    EXPECT_EQ(g.DelimiterChar, "-");
    EXPECT_EQ(g.NumberOfFields, 3);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(Top()->isVisible());

    // Escape cancels a wizard dialog too.
    shown.clear();
    wizard.Run(nullptr);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(wizard.RecTypeDialog()->isVisible());
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(RecordWizardTest, RunsModallyToTheEnd) {
    // The real way of showing: each dialog waits in its own event loop inside the one before.
    RecordWizard modal{g, messages, {}, &chart};
    std::vector<std::string> seen;
    std::function<void()> step = [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return QTimer::singleShot(10, step);
        seen.push_back(w->objectName().toStdString());
        if (seen.size() == 1) w->findChild<QRadioButton*>("RecTypeSel_1")->click();
        // The next dialog's event loop starts inside this click: the next step goes first.
        if (seen.size() < 4) QTimer::singleShot(0, step);
        w->findChild<QPushButton*>(seen.size() < 4 ? "OK_Button" : "Cancel_Button")->click();
    };
    QTimer::singleShot(0, step);
    modal.Run(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"RecType", "Timed", "RecStructure", "RecDefs"}));
    EXPECT_EQ(g.EndOfRecordEvent, 1);
    EXPECT_FALSE(modal.Editor().isVisible());
}

TEST_F(RecordWizardTest, BothLanguages) {
    wizard.Run(nullptr);
    CheckBothLanguages(wizard.RecTypeDialog(), "wizard-rectype", [] {});
    CheckBothLanguages(&wizard.TimedDialog(), "wizard-timed",
                       [this] { wizard.TimedDialog().Fill(); });
    CheckBothLanguages(&wizard.FixedDialog(), "wizard-fixed",
                       [this] { wizard.FixedDialog().Fill(); });
    CheckBothLanguages(&wizard.StructureDialog(), "wizard-structure",
                       [this] { wizard.StructureDialog().Fill(); });
    CheckBothLanguages(&wizard.DelimDialog(), "wizard-delim",
                       [this] { wizard.DelimDialog().Fill(); });
    EXPECT_EQ(wizard.RecTypeDialog()->windowTitle(), "Start and End of Record Events");
    EXPECT_EQ(wizard.TimedDialog().windowTitle(), "Timed Input");
    EXPECT_EQ(wizard.FixedDialog().windowTitle(), "Fixed Length Record");
    EXPECT_EQ(wizard.StructureDialog().windowTitle(), "Input Record Structure");
    EXPECT_EQ(wizard.DelimDialog().windowTitle(), "Delimited Record");
}

}  // namespace
}  // namespace quorvane
