#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <string>

#include "config/SetupGlobals.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/DialogLanguages.h"
#include "gui/setup/SendStringForm.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

class SendStringFormTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member
    void SetUp() override { ResetToDefaults(g, "/home/kim"); }

    template <typename W>
    W* Find(const char* name) {
        W* w = form.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPlainTextEdit* Box(const char* name) { return Find<QPlainTextEdit>(name); }
    QLineEdit* Line(const char* name) { return Find<QLineEdit>(name); }
    QComboBox* Names() { return Find<QComboBox>("StringNames"); }
    QPushButton* ChartButton() { return Find<QPushButton>("AsciiChartButton"); }
    void Click(const char* name) { Find<QAbstractButton>(name)->click(); }
    void Open() {
        form.Fill();
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    void Focus(QWidget* w) {
        w->setFocus();
        QApplication::processEvents();
    }
    void ChooseString(int n) {
        Names()->setCurrentIndex(n - 1);
        emit Names()->activated(n - 1);
    }

    SetupGlobals g;
    FakeMessages messages;
    AsciiChart chart{g};
    SendStringForm form{g, messages, chart};
};

TEST_F(SendStringFormTest, OpeningShowsTheSettings) {
    g.AckString = "A\0B"s;
    g.TimerInterval = 250;
    g.TimerOptions = 5;
    g.ButtonString[1] = "one\r\n";
    g.ButtonCaption[1] = "Go";
    Open();
    EXPECT_EQ(Box("AckString")->toPlainText(), QString::fromUtf8("A\u00FFB"));
    EXPECT_EQ(Line("Interval")->text(), "250");
    EXPECT_TRUE(Find<QCheckBox>("TimerOn")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>("ActionToggleDtr")->isChecked());
    EXPECT_FALSE(Box("TimerString")->isVisible());
    EXPECT_EQ(Names()->currentIndex(), 0);
    EXPECT_EQ(Names()->count(), 20);
    EXPECT_EQ(Names()->itemText(19), "String20");
    EXPECT_EQ(Line("StringControlCaption")->text(), "Go");
    EXPECT_EQ(Box("StringText")->toPlainText(), "one\n");
    EXPECT_EQ(form.SelectedString(), 1);
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
}

TEST_F(SendStringFormTest, IntervalAboveTheLimitKeepsTheEditorOpen) {
    g.TimerInterval = 5;
    Open();
    Line("Interval")->setText("100000000");
    Click("DoneButton");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Timer interval must be less than 100000000 milliseconds.");
    EXPECT_EQ(messages.shown[0].title, "Quorvane");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(g.TimerInterval, 5);
    EXPECT_FALSE(IsTrue(g.ConfigChanged));

    Line("Interval")->setText("99999999");
    Click("DoneButton");
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(g.TimerInterval, 99999999);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
}

TEST_F(SendStringFormTest, TimerOptionsFromCheckBoxAndAction) {
    Open();
    EXPECT_TRUE(Find<QRadioButton>("ActionTransmit")->isChecked());
    EXPECT_TRUE(Box("TimerString")->isVisible());
    Click("ActionBreak");
    EXPECT_FALSE(Box("TimerString")->isVisible());
    Click("TimerOn");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    Click("DoneButton");
    EXPECT_EQ(g.TimerOptions, 9);

    g.ConfigChanged = kFalse;
    Open();
    EXPECT_TRUE(Find<QRadioButton>("ActionBreak")->isChecked());
    Click("ActionTransmit");
    EXPECT_TRUE(Box("TimerString")->isVisible());
    Click("DoneButton");
    EXPECT_EQ(g.TimerOptions, 3);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));  // a changed action is an edit

    g.ConfigChanged = kFalse;
    Open();
    Click("DoneButton");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
}

TEST_F(SendStringFormTest, TypingIntoTheButtonStringChangesOnlyThatString) {
    g.ButtonString[5] = "ab";
    g.ButtonCaption[5] = "Five";
    Open();
    ChooseString(5);
    EXPECT_EQ(form.SelectedString(), 5);
    EXPECT_EQ(Line("StringControlCaption")->text(), "Five");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    QPlainTextEdit* text = Box("StringText");
    Focus(text);
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, "cd");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(g.ButtonString[5], "abcd\r\n");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    for (int n = 1; n <= 20; ++n) {
        if (n == 5) continue;
        EXPECT_EQ(g.ButtonString[n], "") << n;
    }
    EXPECT_EQ(g.AckString, "");
    EXPECT_EQ(g.TimerString, "");

    ChooseString(2);
    EXPECT_EQ(text->toPlainText(), "");
    ChooseString(5);
    EXPECT_EQ(text->toPlainText(), "abcd\n");
}

TEST_F(SendStringFormTest, NulPickedForTheAcknowledgementStoresANul) {
    Open();
    QPlainTextEdit* ack = Box("AckString");
    Focus(ack);
    EXPECT_TRUE(ChartButton()->isEnabled());
    QTimer::singleShot(0, &chart, [this] {
        chart.SetCurrentRow(0);
        chart.findChild<QPushButton*>("OK")->click();
    });
    ChartButton()->click();
    EXPECT_EQ(g.AckString, "\0"s);
    EXPECT_EQ(ack->toPlainText(), QString::fromUtf8("\u00FF"));
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(form.focusWidget(), ack);
    EXPECT_EQ(g.ButtonString[1], "");
}

TEST_F(SendStringFormTest, OnlyTheStringBoxesEnableTheChart) {
    Open();
    Focus(Box("TimerString"));
    EXPECT_TRUE(ChartButton()->isEnabled());
    for (QWidget* other : std::initializer_list<QWidget*>{
             Line("Interval"), Find<QWidget>("TimerOn"), Find<QWidget>("ActionBreak"),
             Line("StringControlCaption"), Names(), Find<QWidget>("DoneButton")}) {
        Focus(Box("StringText"));
        ASSERT_TRUE(ChartButton()->isEnabled());
        Focus(other);
        EXPECT_FALSE(ChartButton()->isEnabled()) << other->objectName().toStdString();
    }
    // The pick goes to the string box that had the focus last: the timer string.
    Focus(Box("TimerString"));
    Box("TimerString")->moveCursor(QTextCursor::End);
    QTimer::singleShot(0, &chart, [this] {
        chart.SetCurrentRow(65);
        chart.findChild<QPushButton*>("OK")->click();
    });
    ChartButton()->click();
    EXPECT_EQ(g.TimerString, "A");
    EXPECT_EQ(g.AckString, "");
}

TEST_F(SendStringFormTest, CaptionIsStoredWhenItLosesTheFocus) {
    Open();
    QLineEdit* caption = Line("StringControlCaption");
    Focus(caption);
    caption->end(false);
    QTest::keyClicks(caption, "X");
    EXPECT_EQ(g.ButtonCaption[1], "String1");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    Focus(Line("Interval"));
    EXPECT_EQ(g.ButtonCaption[1], "String1X");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));

    // Enter presses OK without the focus leaving the box: the caption is stored all the same.
    Focus(caption);
    caption->setText("Send");
    QTest::keyClick(caption, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(g.ButtonCaption[1], "Send");
}

TEST_F(SendStringFormTest, StringNamesAreRenamedByTypingAndNotStored) {
    Open();
    ChooseString(3);
    Focus(Names());
    Names()->lineEdit()->selectAll();
    QTest::keyClicks(Names()->lineEdit(), "Scale");
    Focus(Line("Interval"));
    EXPECT_EQ(Names()->itemText(2), "Scale");
    EXPECT_EQ(Names()->currentIndex(), 2);
    EXPECT_EQ(form.SelectedString(), 3);
    EXPECT_EQ(g.ButtonCaption[3], "String3");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    Click("DoneButton");
    Open();  // the names stay while the program runs; the first string is chosen again
    EXPECT_EQ(Names()->itemText(2), "Scale");
    EXPECT_EQ(Names()->currentIndex(), 0);
}

TEST_F(SendStringFormTest, ClosingByTheFrameStoresLikeOk) {
    Open();
    Line("Interval")->setText("300");
    Click("ActionToggleDtr");
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(g.TimerInterval, 300);
    EXPECT_EQ(g.TimerOptions, 4);

    Open();
    Line("Interval")->setText("123456789");
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(g.TimerInterval, 300);
    Line("Interval")->setText("7");
    form.close();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SendStringFormTest, KeyboardOnly) {
    Open();
    QWidget* ack = Box("AckString");
    EXPECT_TRUE(ack->hasFocus());
    QTest::keyClicks(ack, "ok");
    // Alt+A opens the chart for the box; its own keys pick.
    QTest::keyClick(ack, Qt::Key_Tab);
    QLineEdit* interval = Line("Interval");
    EXPECT_TRUE(interval->hasFocus());
    interval->selectAll();
    QTest::keyClicks(interval, "1a2-");
    EXPECT_EQ(interval->text(), "12");
    EXPECT_EQ(messages.beeps, 2);
    QTest::keyClick(interval, Qt::Key_Backspace);
    QTest::keyClick(interval, Qt::Key_5);
    QTest::keyClick(interval, Qt::Key_Tab);
    EXPECT_TRUE(Find<QWidget>("TimerOn")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(Find<QWidget>("ActionTransmit")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(Find<QRadioButton>("ActionToggleDtr")->isChecked());
    // On to the name list; the hidden timer string is never reached.
    for (int i = 0; i < 3 && !Names()->hasFocus(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_FALSE(Box("TimerString")->hasFocus());
    }
    EXPECT_TRUE(Names()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(Line("StringControlCaption")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), "go");
    EXPECT_EQ(g.ButtonString[1], "go");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(ChartButton()->hasFocus());
    EXPECT_TRUE(ChartButton()->isEnabled());
    // The chart's own keys pick; the character goes where the caret was.
    QTimer::singleShot(0, &chart, [this] {
        QTreeWidget* list = chart.findChild<QTreeWidget*>("AsciiMenu");
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Down);  // SOH
        QTest::keyClick(list, Qt::Key_Return);
    });
    QTest::keyClick(ChartButton(), Qt::Key_Space);
    EXPECT_EQ(g.ButtonString[1], "go\x01");
    EXPECT_EQ(form.focusWidget(), Box("StringText"));
    form.activateWindow();  // a window manager gives it back when the chart closes
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(Box("StringText"), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(Find<QWidget>("DoneButton")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(g.AckString, "ok");
    EXPECT_EQ(g.TimerInterval, 15);
    EXPECT_EQ(g.TimerOptions, 5);
}

TEST_F(SendStringFormTest, ShowOutputStringEditorOpensTheSharedEditor) {
    static SetupGlobals shared;  // the shared editor outlives every test
    static FakeMessages sharedMessages;
    ResetToDefaults(shared, "/home/kim");
    shared.TimerInterval = 40;
    QString title;
    QTimer::singleShot(0, [&title] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        title = modal->windowTitle();
        modal->findChild<QLineEdit*>("Interval")->setText("41");
        modal->findChild<QPushButton*>("DoneButton")->click();
    });
    ShowOutputStringEditor(shared, sharedMessages, nullptr);
    EXPECT_EQ(title, "Output String Editor");
    EXPECT_EQ(shared.TimerInterval, 41);
    EXPECT_EQ(shared.TimerOptions, 2);
}

TEST_F(SendStringFormTest, BothLanguages) {
    CheckBothLanguages(&form, "send-string-form", [this] { form.Fill(); });
    g.TimerOptions = 8;
    CheckBothLanguages(&form, "send-string-form-break", [this] { form.Fill(); });
}

}  // namespace
}  // namespace quorvane
