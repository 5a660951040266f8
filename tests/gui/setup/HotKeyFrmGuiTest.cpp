#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>

#include "config/SetupGlobals.h"
#include "fakes/FakeMessages.h"
#include "gui/ControlTextBox.h"
#include "gui/GuiApp.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/DialogLanguages.h"
#include "gui/setup/GetAKey2.h"
#include "gui/setup/HotKeyFrm.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

// The shared pickers keep the settings they were first made with, so every test of the
// editor works on the one configuration.
SetupGlobals& Globals() {
    static SetupGlobals g;
    return g;
}

// Does act once w is shown: for a dialog that opens after the test's next step.
void WhenShown(QWidget* w, std::function<void()> act) {
    auto* timer = new QTimer(w);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, w, [timer, w, act] {
        if (!w->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act();
    });
    timer->start();
}

class HotKeyFrmTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget

    void SetUp() override {
        g = SetupGlobals{};
        g.HotKeyCode[0] = 3 * 256 + 65;  // SHIFT+CTRL+A
        g.HotKeyAction[0] = 1;
        g.HotKeyString[0] = "hi";
        g.HotKeyCode[2] = 1649;  // CTRL+ALT+F2
        g.HotKeyAction[2] = 4;
        g.HotKeyString[2] = "kept"s;
        Open();
    }
    void TearDown() override { SetInterfaceLanguage(Language::English); }

    void Open() {
        form = std::make_unique<HotKeyFrm>(g, messages);
        Reshow();
    }
    void Reshow() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    template <typename W>
    W* Find(const char* name) {
        return form->findChild<W*>(name);
    }
    QComboBox* Slots() { return Find<QComboBox>("HKNumList"); }
    QComboBox* Actions() { return Find<QComboBox>("HKActionList"); }
    QLineEdit* Key() { return Find<QLineEdit>("HKKey"); }
    ControlTextPlainEdit* Text() { return Find<ControlTextPlainEdit>("Text1"); }
    QPushButton* Picker() { return Find<QPushButton>("KeyListButton"); }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    bool Shown(QWidget* w) { return w->isVisibleTo(form.get()); }
    void Focus(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    static QWidget* Focused() { return QApplication::focusWidget(); }

    SetupGlobals& g = Globals();
    FakeMessages messages;
    std::unique_ptr<HotKeyFrm> form;
};

TEST_F(HotKeyFrmTest, LoadShowsSlotOneAndEachSlotShowsItsSettings) {
    ASSERT_EQ(Slots()->count(), 50);
    EXPECT_EQ(Slots()->itemText(0), "1");
    EXPECT_EQ(Slots()->itemText(49), "50");
    EXPECT_EQ(Slots()->currentIndex(), 0);
    ASSERT_EQ(Actions()->count(), 14);
    EXPECT_EQ(Actions()->itemText(3), "Toggle DTR for100ms");
    EXPECT_EQ(Actions()->itemText(13), "Enable For 1 Data Record");
    EXPECT_EQ(form->windowTitle(), "Hot Keys and Hot Key Actions");

    EXPECT_EQ(Actions()->currentText(), "Transmit String");
    EXPECT_EQ(Key()->text(), "SHIFT+CTRL+A");
    EXPECT_TRUE(Key()->isEnabled());
    EXPECT_TRUE(Shown(Text()));
    EXPECT_TRUE(Shown(Find<QLabel>("OutputStringLabel")));
    EXPECT_EQ(Text()->Value(), "hi");
    EXPECT_FALSE(Shown(Picker()));
    EXPECT_EQ(Focused(), Slots());

    Slots()->setCurrentIndex(2);
    EXPECT_EQ(form->CurrentSlot(), 2);
    EXPECT_EQ(Actions()->currentText(), "Enable Timer");
    EXPECT_EQ(Key()->text(), "CTRL+ALT+F2");
    EXPECT_FALSE(Shown(Text()));
    EXPECT_FALSE(Shown(Find<QLabel>("OutputStringLabel")));

    Slots()->setCurrentIndex(49);
    EXPECT_EQ(Actions()->currentText(), "None");
    EXPECT_EQ(Key()->text(), "None");
    EXPECT_FALSE(Key()->isEnabled());
}

TEST_F(HotKeyFrmTest, KeyBoxTakesKeysWithModifiersOnly) {
    Focus(Key());
    QTest::keyClick(Key(), Qt::Key_F5);
    EXPECT_EQ(form->Working()[0].Code, 116);
    EXPECT_EQ(Key()->text(), "F5");

    QTest::keyClick(Key(), Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(form->Working()[0].Code, 3 * 256 + 65);
    EXPECT_EQ(Key()->text(), "SHIFT+CTRL+A");

    // Shift, Ctrl and Alt alone change nothing.
    QTest::keyClick(Key(), Qt::Key_Shift, Qt::ShiftModifier);
    QTest::keyClick(Key(), Qt::Key_Control, Qt::ControlModifier);
    QTest::keyClick(Key(), Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(form->Working()[0].Code, 3 * 256 + 65);
    EXPECT_EQ(Key()->text(), "SHIFT+CTRL+A");

    // Typed characters are dropped: a letter key shows its name, a key without a name
    // changes nothing.
    QTest::keyClicks(Key(), "xy");
    EXPECT_EQ(Key()->text(), "Y");
    EXPECT_EQ(form->Working()[0].Code, 89);
    QKeyEvent eacute(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier,
                     QString::fromUtf8("\xC3\xA9"));
    QApplication::sendEvent(Key(), &eacute);  // a key of its own for é
    EXPECT_EQ(Key()->text(), "Y");

    // Alt+letter is a hot key here, not the accelerator of OK or Cancel: the box claims it
    // before the accelerators see it, and leaves Tab, Enter and Escape to the dialog.
    const auto claims = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent override(QEvent::ShortcutOverride, key, modifiers);
        QApplication::sendEvent(Key(), &override);
        return override.isAccepted();
    };
    EXPECT_TRUE(claims(Qt::Key_O, Qt::AltModifier));
    EXPECT_TRUE(claims(Qt::Key_Return, Qt::ControlModifier));
    EXPECT_FALSE(claims(Qt::Key_Tab, Qt::NoModifier));
    EXPECT_FALSE(claims(Qt::Key_Return, Qt::NoModifier));
    EXPECT_FALSE(claims(Qt::Key_Escape, Qt::NoModifier));
    QTest::keyClick(Key(), Qt::Key_O, Qt::AltModifier);
    QTest::keyClick(Key(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Key()->text(), "ALT+C");
    EXPECT_EQ(form->Working()[0].Code, 4 * 256 + 67);

    QTest::keyClick(Key(), Qt::Key_7, Qt::KeypadModifier);
    EXPECT_EQ(Key()->text(), "NumPad 7");
    QTest::keyClick(Key(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Key()->text(), "CTRL+ENTER");
    EXPECT_TRUE(form->isVisible());

    EXPECT_EQ(g.HotKeyCode[0], 3 * 256 + 65) << "stored on OK only";
    Button("OK_Button")->click();
    EXPECT_EQ(g.HotKeyCode[0], 2 * 256 + 13);
}

TEST_F(HotKeyFrmTest, ActionNoneDisablesTheKeyBoxButKeepsTheCode) {
    Actions()->setCurrentIndex(0);
    EXPECT_FALSE(Key()->isEnabled());
    EXPECT_EQ(Key()->text(), "SHIFT+CTRL+A");
    EXPECT_FALSE(Shown(Text()));
    EXPECT_EQ(form->Working()[0].Action, 0);
    EXPECT_EQ(form->Working()[0].Code, 3 * 256 + 65);
    Button("OK_Button")->click();
    EXPECT_EQ(g.HotKeyAction[0], 0);
    EXPECT_EQ(g.HotKeyCode[0], 3 * 256 + 65);
    EXPECT_EQ(g.HotKeyString[0], "hi");
}

TEST_F(HotKeyFrmTest, OnlyTransmitStringShowsTheStringBox) {
    Slots()->setCurrentIndex(2);
    for (int action = 0; action < 14; ++action) {
        Actions()->setCurrentIndex(action);
        EXPECT_EQ(Shown(Text()), action == 1) << action;
        EXPECT_EQ(Key()->isEnabled(), action != 0) << action;
        EXPECT_EQ(form->Working()[2].Action, action);
    }
    Actions()->setCurrentIndex(1);
    EXPECT_EQ(Text()->Value(), "kept");
}

TEST_F(HotKeyFrmTest, PickerButtonCaptionFollowsTheFocus) {
    Focus(Key());
    EXPECT_TRUE(Shown(Picker()));
    EXPECT_EQ(Picker()->text(), "Keystroke &List...");
    Focus(Text());
    EXPECT_TRUE(Shown(Picker()));
    EXPECT_EQ(Picker()->text(), "&ASCII Chart");
    Focus(Actions());
    EXPECT_FALSE(Shown(Picker()));
    Focus(Key());
    Focus(Button("OK_Button"));
    EXPECT_FALSE(Shown(Picker()));
    Focus(Text());
    Focus(Button("Cancel_Button"));
    EXPECT_FALSE(Shown(Picker()));
    Focus(Key());
    Focus(Slots());
    EXPECT_FALSE(Shown(Picker()));

    // The chart's button goes with the string box when the action hides it.
    Focus(Text());
    Actions()->setCurrentIndex(2);
    EXPECT_FALSE(Shown(Picker()));
}

TEST_F(HotKeyFrmTest, KeystrokeListPicksTheKeyOrKeepsItOnCancel) {
    GetAKey2& picker = GetAKey2::Shared(g);
    Focus(Key());
    QTimer::singleShot(0, &picker, [&] {
        picker.SetCurrentRow(26);  // F5
        picker.findChild<QCheckBox*>("Ctrl")->setChecked(true);
        picker.findChild<QCheckBox*>("Alt")->setChecked(true);
        picker.findChild<QPushButton*>("OK_Button")->click();
    });
    Picker()->click();
    EXPECT_EQ(form->Working()[0].Code, 6 * 256 + 116);
    EXPECT_EQ(Key()->text(), "CTRL+ALT+F5");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Focused() == Key(); }));

    QTimer::singleShot(0, &picker, [&] {
        picker.SetCurrentRow(30);
        picker.findChild<QPushButton*>("Cancel_Button")->click();
    });
    Picker()->click();
    EXPECT_EQ(form->Working()[0].Code, 6 * 256 + 116);
    EXPECT_EQ(Key()->text(), "CTRL+ALT+F5");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Focused() == Key(); }));

    // Picking None empties the slot's key.
    QTimer::singleShot(0, &picker, [&] {
        picker.SetCurrentRow(0);
        picker.findChild<QPushButton*>("OK_Button")->click();
    });
    Picker()->click();
    EXPECT_EQ(form->Working()[0].Code, 0);
    EXPECT_EQ(Key()->text(), "None");
}

TEST_F(HotKeyFrmTest, AsciiChartCaptionInsertsIntoTheWorkingString) {
    AsciiChart& chart = AsciiChart::Shared(g);
    Focus(Text());
    Text()->moveCursor(QTextCursor::End);
    QTimer::singleShot(0, &chart, [&] {
        chart.SetCurrentRow(chart.ExtraEntryCount());  // NUL
        chart.findChild<QPushButton*>("OK")->click();
    });
    Picker()->click();
    EXPECT_EQ(form->Working()[0].String, "hi\0"s);
    EXPECT_EQ(Text()->Value(), "hi\0"s);
    EXPECT_EQ(form->Working()[0].Code, 3 * 256 + 65);
}

TEST_F(HotKeyFrmTest, StringBoxKeepsTheSelectedSlotsWorkingString) {
    Focus(Text());
    Text()->moveCursor(QTextCursor::End);
    QTest::keyClick(Text(), Qt::Key_Return);  // CR LF, not OK
    QTest::keyClicks(Text(), "x");
    QTest::keyClick(Text(), Qt::Key_B, Qt::ControlModifier);  // a control character: nothing
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Working()[0].String, "hi\r\nx");

    Slots()->setCurrentIndex(5);
    Actions()->setCurrentIndex(1);
    EXPECT_EQ(Text()->Value(), "");
    Focus(Text());
    QTest::keyClicks(Text(), "ab");
    QTest::keyClick(Text(), Qt::Key_Backspace);
    EXPECT_EQ(form->Working()[5].String, "a");
    EXPECT_EQ(form->Working()[0].String, "hi\r\nx");

    Slots()->setCurrentIndex(0);
    EXPECT_EQ(Text()->Value(), "hi\r\nx");
    Button("OK_Button")->click();
    EXPECT_EQ(g.HotKeyString[0], "hi\r\nx");
    EXPECT_EQ(g.HotKeyString[5], "a");
    EXPECT_EQ(g.HotKeyAction[5], 1);
}

TEST_F(HotKeyFrmTest, CancelAfterEditingSeveralSlotsChangesNothing) {
    const HotKeySlots before = HotKeySlotsOf(g);
    Focus(Key());
    QTest::keyClick(Key(), Qt::Key_Q, Qt::ControlModifier);
    Slots()->setCurrentIndex(2);
    Actions()->setCurrentIndex(1);
    Focus(Text());
    QTest::keyClicks(Text(), "zz");
    Slots()->setCurrentIndex(40);
    Actions()->setCurrentIndex(13);
    EXPECT_NE(form->Working(), before);

    Button("Cancel_Button")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(HotKeySlotsOf(g), before);
    EXPECT_EQ(g.ConfigChanged, kFalse);

    // The next opening starts from the configuration again.
    Open();
    EXPECT_EQ(form->Working(), before);
}

TEST_F(HotKeyFrmTest, OkMarksAChangeOnlyWhenASlotDiffers) {
    Button("OK_Button")->click();
    EXPECT_EQ(g.ConfigChanged, kFalse);

    Open();  // changed and changed back
    Actions()->setCurrentIndex(7);
    Actions()->setCurrentIndex(1);
    Focus(Key());
    QTest::keyClick(Key(), Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier);
    Button("OK_Button")->click();
    EXPECT_EQ(g.ConfigChanged, kFalse);

    Open();
    Slots()->setCurrentIndex(30);
    Actions()->setCurrentIndex(11);
    Button("OK_Button")->click();
    EXPECT_EQ(g.ConfigChanged, kTrue);
    EXPECT_EQ(g.HotKeyAction[30], 11);
    EXPECT_EQ(g.HotKeyCode[0], 3 * 256 + 65);
}

TEST_F(HotKeyFrmTest, KeyboardOnly) {
    // Tab order: slot, action, key box, picker button, string box, OK, Cancel.
    EXPECT_EQ(Focused(), Slots());
    QTest::keyClick(Focused(), Qt::Key_Down);  // slot 2
    QTest::keyClick(Focused(), Qt::Key_Up);
    EXPECT_EQ(form->CurrentSlot(), 0);
    const char* order[] = {"HKActionList", "HKKey",     "KeyListButton",
                           "Text1",        "OK_Button", "Cancel_Button"};
    for (const char* name : order) {
        QTest::keyClick(Focused(), Qt::Key_Tab);
        ASSERT_TRUE(Focused());
        EXPECT_EQ(Focused()->objectName(), name);
    }
    // Shift+Tab leaves the key box too, and Enter there presses OK.
    Focus(Key());
    QTest::keyClick(Key(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focused(), Actions());
    Focus(Key());
    QTest::keyClick(Key(), Qt::Key_S, Qt::AltModifier);
    QTest::keyClick(Key(), Qt::Key_Return);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(g.HotKeyCode[0], 4 * 256 + 83);

    // Escape in the key box cancels.
    Open();
    Focus(Key());
    QTest::keyClick(Key(), Qt::Key_F9);
    QTest::keyClick(Key(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(g.HotKeyCode[0], 4 * 256 + 83);

    // Alt+A is the picker button's accelerator in the string box.
    Open();
    AsciiChart& chart = AsciiChart::Shared(g);
    Focus(Text());
    WhenShown(&chart, [&] {
        chart.SetCurrentRow(chart.ExtraEntryCount() + 'Q');
        QTest::keyClick(chart.findChild<QTreeWidget*>("AsciiMenu"), Qt::Key_Return);
    });
    QTest::keyClick(Text(), Qt::Key_A, Qt::AltModifier);  // the button clicks a moment later
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->Working()[0].String == "Qhi"; }));
}

TEST_F(HotKeyFrmTest, ShowHotKeyEditorRunsModally) {
    form.reset();
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!shown || shown->objectName() != "HotKeyFrm") {
            ADD_FAILURE() << "no modal hot key editor";
            if (shown) shown->reject();
            return;
        }
        shown->findChild<QComboBox*>("HKActionList")->setCurrentIndex(9);
        shown->findChild<QPushButton*>("OK_Button")->click();
    });
    ShowHotKeyEditor(g, messages, nullptr);
    EXPECT_EQ(g.HotKeyAction[0], 9);
    EXPECT_EQ(g.ConfigChanged, kTrue);
}

TEST_F(HotKeyFrmTest, BothLanguages) {
    Focus(Key());
    CheckBothLanguages(form.get(), "hot-key-editor", [this] { form->ShowRunTimeTexts(); });
    CheckBothLanguages(form.get(), "hot-key-editor-string", [this] {
        form->ShowRunTimeTexts();
        Text()->setFocus();  // the form is hidden: the string box has the focus once shown
    });
    EXPECT_EQ(Picker()->text(), "&ASCII Chart");
    Slots()->setCurrentIndex(2);
    CheckBothLanguages(form.get(), "hot-key-editor-action", [this] { form->ShowRunTimeTexts(); });
    EXPECT_EQ(Actions()->itemText(1), "Transmit String");
}

}  // namespace
}  // namespace quorvane
