#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>

#include "config/SetupGlobals.h"
#include "gui/GuiApp.h"
#include "gui/setup/DialogLanguages.h"
#include "gui/setup/GetAKey.h"
#include "gui/setup/GetAKey2.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

class KeyPickersTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member

    template <typename Picker>
    static QListWidget* List(Picker& p) {
        return p.template findChild<QListWidget*>("KeyList");
    }
    template <typename Picker>
    static QCheckBox* Check(Picker& p, const char* name) {
        return p.template findChild<QCheckBox*>(name);
    }
    template <typename Picker>
    static void Click(Picker& p, const char* name) {
        p.template findChild<QPushButton*>(name)->click();
    }
    // Runs the picker's Pick with act doing the user's part once the picker is up.
    template <typename Picker>
    static auto PickWith(Picker& p, std::function<void()> act) {
        QTimer::singleShot(0, &p, [&p, act] {
            if (!p.isVisible()) return;
            p.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&p));
            act();
        });
        return p.Pick(nullptr);
    }
    static int RowOf(QListWidget* list, const QString& text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? -1 : list->row(found.front());
    }
    template <typename Picker>
    static void DoubleClickRow(Picker& p, int row) {
        QListWidget* list = List(p);
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    SetupGlobals g;
    GetAKey keystroke{g};
    GetAKey2 hotKey{g};
};

TEST_F(KeyPickersTest, KeystrokePickerGivesMacroTextThroughItsWidgets) {
    QListWidget* list = List(keystroke);
    ASSERT_EQ(list->count(), 228);
    EXPECT_EQ(keystroke.CurrentRow(), 0);
    EXPECT_EQ(list->item(0)->text(), "NUL");
    EXPECT_EQ(list->item(227)->text(), QString::fromUtf8("\xC3\xBF"));
    EXPECT_EQ(keystroke.windowTitle(), UiText(kStrPickerKeystrokeTitle));

    const struct {
        const char* entry;
        bool shift, ctrl, alt;
        const char* result;
    } rows[] = {
        {"F1", true, true, false, "+^{F1}"},
        {"+", false, false, false, "{+}"},
        {"SPACE", false, false, false, "{ }"},
        {"\xC3\xA9", false, false, true, "\xE9"},  // é above 127 with Alt: é alone
        {"a", false, true, false, "^a"},
        {"NUL", true, true, true, "NUL"},
    };
    for (const auto& row : rows) {
        g.ConfigChanged = kFalse;
        const std::string picked = PickWith(keystroke, [&] {
            keystroke.SetCurrentRow(RowOf(list, QString::fromUtf8(row.entry)));
            Check(keystroke, "Shift")->setChecked(row.shift);
            Check(keystroke, "Ctrl")->setChecked(row.ctrl);
            Check(keystroke, "Alt")->setChecked(row.alt);
            Click(keystroke, "OK_Button");
        });
        EXPECT_EQ(picked, row.result) << row.entry;
        EXPECT_EQ(keystroke.Picked(), row.result);
        EXPECT_EQ(g.ConfigChanged, kTrue) << row.entry;
        EXPECT_FALSE(keystroke.isVisible());
        EXPECT_EQ(keystroke.Modifiers(), 0) << "cleared after OK";
    }
}

TEST_F(KeyPickersTest, CheckBoxesAreClearOnEveryShowAndCancelGivesNothing) {
    for (const char* name : {"Shift", "Ctrl", "Alt"}) Check(keystroke, name)->setChecked(true);
    int shownWith = -1;
    const std::string picked = PickWith(keystroke, [&] {
        shownWith = keystroke.Modifiers();
        Check(keystroke, "Ctrl")->setChecked(true);
        Click(keystroke, "Cancel_Button");
    });
    EXPECT_EQ(shownWith, 0);
    EXPECT_EQ(picked, "");
    EXPECT_EQ(g.ConfigChanged, kFalse);

    for (const char* name : {"Shift", "Alt"}) Check(hotKey, name)->setChecked(true);
    const HotKeyPick pick = PickWith(hotKey, [&] {
        shownWith = hotKey.Modifiers();
        Click(hotKey, "Cancel_Button");
    });
    EXPECT_EQ(shownWith, 0);
    EXPECT_EQ(pick.Name, "");
    EXPECT_EQ(pick.Code, 0);
    EXPECT_EQ(g.ConfigChanged, kFalse);
}

TEST_F(KeyPickersTest, DoubleClickAccepts) {
    EXPECT_EQ(PickWith(keystroke, [&] { DoubleClickRow(keystroke, RowOf(List(keystroke), "~")); }),
              "{~}");
    EXPECT_EQ(g.ConfigChanged, kTrue);

    g.ConfigChanged = kFalse;
    const HotKeyPick pick = PickWith(hotKey, [&] {
        Check(hotKey, "Ctrl")->setChecked(true);
        DoubleClickRow(hotKey, RowOf(List(hotKey), "A"));
    });
    EXPECT_EQ(pick.Name, "CTRL+A");
    EXPECT_EQ(pick.Code, 2 * 256 + 65);
    EXPECT_EQ(g.ConfigChanged, kTrue);
}

TEST_F(KeyPickersTest, HotKeyPickerGivesNameCodeAndFlags) {
    QListWidget* list = List(hotKey);
    ASSERT_EQ(list->count(), 100);
    EXPECT_EQ(list->item(0)->text(), "None");
    EXPECT_EQ(list->item(99)->text(), "Z");
    EXPECT_EQ(hotKey.windowTitle(), UiText(kStrPickerHotKeyTitle));

    const HotKeyPick pick = PickWith(hotKey, [&] {
        hotKey.SetCurrentRow(RowOf(list, "F5"));
        Check(hotKey, "Ctrl")->setChecked(true);
        Check(hotKey, "Alt")->setChecked(true);
        Click(hotKey, "OK_Button");
    });
    EXPECT_EQ(pick.Name, "CTRL+ALT+F5");
    EXPECT_EQ(pick.Code, 6 * 256 + 116);
    EXPECT_EQ(pick.Modifiers, 6);
    EXPECT_EQ(hotKey.Picked().Code, pick.Code);
    EXPECT_EQ(hotKey.CurrentRow(), RowOf(list, "F5")) << "the choice stays for the next use";
}

TEST_F(KeyPickersTest, NulEntryComesAndGoesOnce) {
    QListWidget* list = List(keystroke);
    keystroke.SetCurrentRow(30);
    keystroke.RemoveNulEntry();
    keystroke.RemoveNulEntry();
    ASSERT_EQ(list->count(), 227);
    EXPECT_EQ(list->item(0)->text(), "SPACE");
    EXPECT_EQ(keystroke.CurrentRow(), 0);
    EXPECT_EQ(PickWith(keystroke, [&] { Click(keystroke, "OK_Button"); }), "{ }");

    keystroke.RestoreNulEntry();
    keystroke.RestoreNulEntry();
    ASSERT_EQ(list->count(), 228);
    EXPECT_EQ(list->item(1)->text(), "SPACE");
    EXPECT_EQ(keystroke.CurrentRow(), 0);
    EXPECT_EQ(PickWith(keystroke, [&] { Click(keystroke, "OK_Button"); }), "NUL");
}

// The own synthesizer of direct key events cannot type "{ }": the picker gives a plain space.
TEST_F(KeyPickersTest, SpaceUnderDirectKeyEvents) {
    g.DirectKeyEvents = kTrue;
    EXPECT_EQ(PickWith(keystroke,
                       [&] {
                           keystroke.SetCurrentRow(1);
                           Check(keystroke, "Shift")->setChecked(true);
                           Click(keystroke, "OK_Button");
                       }),
              "+ ");
}

TEST_F(KeyPickersTest, KeyboardOnly) {
    // Down, then the accelerators of the check boxes, then Enter for the default button.
    EXPECT_EQ(PickWith(keystroke,
                       [&] {
                           QListWidget* list = List(keystroke);
                           keystroke.SetCurrentRow(0);
                           QTest::keyClick(list, Qt::Key_Down);
                           // A check box's accelerator clicks it a moment later.
                           const auto press = [&](Qt::Key key, const char* box) {
                               QTest::keyClick(list, key, Qt::AltModifier);
                               EXPECT_TRUE(QTest::qWaitFor([&] {
                                   return Check(keystroke, box)->isChecked();
                               })) << box;
                           };
                           press(Qt::Key_S, "Shift");
                           press(Qt::Key_T, "Ctrl");
                           press(Qt::Key_A, "Alt");
                           QTest::keyClick(list, Qt::Key_Return);
                       }),
              "+^%{ }");
    EXPECT_EQ(PickWith(keystroke, [&] { QTest::keyClick(List(keystroke), Qt::Key_Escape); }), "");

    // Tab order: list, Shift, Ctrl, Alt, OK, Cancel; Space toggles a check box.
    const HotKeyPick pick = PickWith(hotKey, [&] {
        QListWidget* list = List(hotKey);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QTest::keyClick(list, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);  // Shift
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);  // Alt
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), "OK_Button");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    });
    EXPECT_EQ(pick.Name, "SHIFT+ALT+Z");
    EXPECT_EQ(pick.Code, 5 * 256 + 90);
}

TEST_F(KeyPickersTest, BothLanguages) {
    CheckBothLanguages(&keystroke, "keystroke-picker", [] {});
    CheckBothLanguages(&hotKey, "hot-key-picker", [] {});
}

}  // namespace
}  // namespace quorvane
