#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <string>

#include "config/SetupGlobals.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/DialogLanguages.h"
#include "gui/setup/TransTbl.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

class TransTblTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member
    void SetUp() override { ResetToDefaults(g, "/home/kim"); }

    QTreeWidget* List() { return editor.findChild<QTreeWidget*>("TransTable"); }
    QString Shown(int code) { return List()->topLevelItem(code)->text(3); }
    void Click(const char* name) { editor.findChild<QPushButton*>(name)->click(); }
    void Open(TranslationTable which) {
        editor.Fill(which);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
    void Choose(int code) { List()->setCurrentItem(List()->topLevelItem(code)); }
    // The chart answers the next Pick with its entry at row (extra entries counted first).
    void ChartWillPick(int row) {
        QTimer::singleShot(0, &chart, [this, row] {
            if (!chart.isVisible()) return;
            chart.SetCurrentRow(row);
            chart.findChild<QPushButton*>("OK")->click();
        });
    }

    SetupGlobals g;
    FakeMessages messages;
    AsciiChart chart{g};
    TransTbl editor{g, chart};
};

TEST_F(TransTblTest, RowsShowCodeCharacterControlNameAndTranslation) {
    Open(TranslationTable::PreInput);
    ASSERT_EQ(List()->topLevelItemCount(), 256);
    const QTreeWidgetItem* nul = List()->topLevelItem(0);
    EXPECT_EQ(nul->text(0) + "|" + nul->text(1) + "|" + nul->text(2) + "|" + nul->text(3),
              "0||NUL|ASCII 0");
    const QTreeWidgetItem* a = List()->topLevelItem(65);
    EXPECT_EQ(a->text(0) + "|" + a->text(1) + "|" + a->text(2) + "|" + a->text(3),
              "65|A||ASCII 65");
    EXPECT_EQ(List()->topLevelItem(32)->text(2), "SPACE");
    EXPECT_EQ(List()->topLevelItem(233)->text(1), QString::fromUtf8("é"));
    EXPECT_EQ(List()->topLevelItem(65)->data(0, Qt::AccessibleTextRole).toString(),
              QString::fromUtf8(" 65  \tA   \t\t\u00A0ASCII 65"));
}

TEST_F(TransTblTest, PreInputCodeZeroTranslatedToIgnoreStoresTheWord) {
    Open(TranslationTable::PreInput);
    EXPECT_EQ(editor.Kind(), kTransInput);
    EXPECT_EQ(editor.windowTitle(), "Pre-Input Character Translations...");
    EXPECT_EQ(chart.ExtraEntryCount(), 2);
    Choose(0);
    ChartWillPick(0);
    Click("Command1");
    EXPECT_EQ(g.InputTranslation[0], "Ignore");
    EXPECT_EQ(Shown(0), "Ignore");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));

    // A double-click translates too; the entry after the two words is NUL.
    QTreeWidgetItem* row = List()->topLevelItem(5);
    List()->scrollToItem(row);
    const QPoint at = List()->visualItemRect(row).center();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(List()->currentItem(), row);
    ChartWillPick(1);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(g.InputTranslation[5], "Void Record");
    EXPECT_EQ(Shown(5), "Void Record");
    Choose(6);
    ChartWillPick(2);
    Click("Command1");
    EXPECT_EQ(g.InputTranslation[6], "\0"s);
    EXPECT_EQ(Shown(6), "ASCII 0");
}

TEST_F(TransTblTest, ResetAllInDdeModeMapsControlCodesToNul) {
    g.Mode = kModeDde;
    g.TransferCharTableDde.assign(256, 'x');
    g.TransferCharTableLog.assign(256, 'y');
    Open(TranslationTable::PreTransfer);
    EXPECT_EQ(editor.Kind(), kTransCharacters);
    EXPECT_EQ(editor.windowTitle(), "Translation Table - DDE Server Mode");
    EXPECT_EQ(Shown(5), "ASCII 120");
    Click("Command3");
    for (int b = 0; b < 256; ++b)
        ASSERT_EQ(g.TransferCharTableDde[b], b < 32 ? '\0' : static_cast<char>(b)) << b;
    EXPECT_EQ(g.TransferCharTableLog, std::string(256, 'y'));
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(Shown(31), "ASCII 0");
    EXPECT_EQ(Shown(32), "ASCII 32");
    EXPECT_EQ(Shown(255), "ASCII 255");
}

TEST_F(TransTblTest, NulPickedForACharacterRowStoresANul) {
    g.Mode = kModeLog;
    Open(TranslationTable::PreTransfer);
    EXPECT_EQ(editor.windowTitle(), "Translation Table - Log To Disk Mode");
    EXPECT_EQ(chart.ExtraEntryCount(), 0);
    Choose(66);
    ChartWillPick(0);
    Click("Command1");
    EXPECT_EQ(g.TransferCharTableLog[66], '\0');
    EXPECT_EQ(g.TransferCharTableLog.size(), 256u);
    EXPECT_EQ(g.TransferCharTableDde[66], 'B');
    EXPECT_EQ(Shown(66), "ASCII 0");
}

TEST_F(TransTblTest, KeystrokeRowsUseThePicker) {
    int asked = 0;
    std::string answer = "{F1}";
    editor.SetKeystrokePick([&](QWidget* parent) {
        ++asked;
        EXPECT_EQ(parent, &editor);
        return answer;
    });
    Open(TranslationTable::PreTransfer);
    EXPECT_EQ(editor.windowTitle(), "Translation Table - Keystroke Mode");
    EXPECT_EQ(Shown(13), "{ENTER}");
    Choose(13);
    Click("Command1");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(g.TransferKeyTable[13], "{F1}");
    EXPECT_EQ(Shown(13), "{F1}");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));

    g.ConfigChanged = kFalse;
    answer = "";  // cancelled
    Choose(9);
    Click("Command1");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(g.TransferKeyTable[9], "{TAB}");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));

    g.DirectKeyEvents = kTrue;
    Click("Command3");
    EXPECT_EQ(g.TransferKeyTable[13], "{ENTER}");
    EXPECT_EQ(Shown(32), " ");
}

TEST_F(TransTblTest, TranslateWithNoRowChosenDoesNothing) {
    int asked = 0;
    editor.SetKeystrokePick([&](QWidget*) {
        ++asked;
        return "x"s;
    });
    bool chartShown = false;
    for (const TranslationTable which :
         {TranslationTable::PreTransfer, TranslationTable::PreInput}) {
        Open(which);
        List()->clearSelection();
        List()->setCurrentItem(nullptr);
        QTimer::singleShot(0, &chart, [&] {
            chartShown = chart.isVisible();
            if (chartShown) chart.reject();
        });
        Click("Command1");
        QApplication::processEvents();
    }
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(chartShown);
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
}

TEST_F(TransTblTest, TheChartsExtraEntriesGoWhenTheEditorCloses) {
    Open(TranslationTable::PreInput);
    EXPECT_EQ(chart.ExtraEntryCount(), 2);
    Click("Command2");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(chart.ExtraEntryCount(), 0);

    Open(TranslationTable::PreInput);
    editor.close();  // the window frame
    EXPECT_EQ(chart.ExtraEntryCount(), 0);

    QTimer::singleShot(0, &editor, [this] {
        EXPECT_EQ(chart.ExtraEntryCount(), 2);
        Click("Command2");
    });
    editor.Edit(TranslationTable::PreInput, nullptr);
    EXPECT_EQ(chart.ExtraEntryCount(), 0);
}

TEST_F(TransTblTest, KeyboardOnly) {
    g.Mode = kModeKeystrokes;
    QTimer::singleShot(0, &editor, [this] {
        QTreeWidget* list = List();
        editor.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&editor));
        EXPECT_TRUE(list->hasFocus());
        QTest::keyClick(list, Qt::Key_End);
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Return);  // Translate... is the default button
        QTest::keyClick(list, Qt::Key_Escape);
    });
    int asked = 0;
    editor.Edit(TranslationTable::PreTransfer, [&](QWidget*) {
        ++asked;
        return "{F2}"s;
    });
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(g.TransferKeyTable[254], "{F2}");

    // The chart's own keys pick for the pre-input table.
    QTimer::singleShot(0, &editor, [this] {
        QTest::keyClick(List(), Qt::Key_Home);
        QTimer::singleShot(0, &chart, [this] {
            QTreeWidget* chartList = chart.findChild<QTreeWidget*>("AsciiMenu");
            QTest::keyClick(chartList, Qt::Key_Home);
            QTest::keyClick(chartList, Qt::Key_Down);  // " Void Record"
            QTest::keyClick(chartList, Qt::Key_Return);
        });
        QTest::keyClick(List(), Qt::Key_Return);
        QTest::keyClick(List(), Qt::Key_Escape);
    });
    editor.Edit(TranslationTable::PreInput, nullptr);
    EXPECT_EQ(g.InputTranslation[0], "Void Record");
    EXPECT_EQ(chart.ExtraEntryCount(), 0);
}

TEST_F(TransTblTest, ShowTranslationEditorOpensTheSharedEditor) {
    static SetupGlobals shared;  // the shared editor outlives every test
    ResetToDefaults(shared, "/home/kim");
    QString title;
    QTimer::singleShot(0, [&title] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        title = modal->windowTitle();
        modal->findChild<QPushButton*>("Command2")->click();
    });
    ShowTranslationEditor(shared, messages, TranslationTable::PreInput, nullptr, nullptr);
    EXPECT_EQ(title, "Pre-Input Character Translations...");
    EXPECT_EQ(AsciiChart::Shared(shared).ExtraEntryCount(), 0);
}

TEST_F(TransTblTest, BothLanguages) {
    CheckBothLanguages(&editor, "trans-tbl-input",
                       [this] { editor.Fill(TranslationTable::PreInput); });
    g.Mode = kModeKeystrokes;
    CheckBothLanguages(&editor, "trans-tbl-keys",
                       [this] { editor.Fill(TranslationTable::PreTransfer); });
    g.Mode = kModeDde;
    CheckBothLanguages(&editor, "trans-tbl-dde",
                       [this] { editor.Fill(TranslationTable::PreTransfer); });
    editor.close();
}

}  // namespace
}  // namespace quorvane
