// The port analyze window opened from the setup window's Port menu over a fake port: what it
// shows, sends and guesses, and that closing it gives the port and the menu items back.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "analyzer/BestGuess.h"
#include "config/ConfigTestSupport.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeSerialPort.h"
#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "gui/MessageBoxMessages.h"
#include "gui/analyzer/ComShow.h"
#include "gui/setup/DialogLanguages.h"
#include "gui/setup/MainForm.h"
#include "gui/setup/SetupDriving.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

class ComShowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
        form.Controller().Start("");
        form.SetAnalyzerPortMaker([this] {
            auto made = std::make_unique<FakeSerialPort>();
            port = made.get();
            return made;
        });
        MenuItem(form, kStrMenuPortAnalyze)->trigger();
        analyzer = form.Analyzer();
        ASSERT_NE(analyzer, nullptr);
    }
    QString Shown(const char* name) { return analyzer->findChild<QLabel*>(name)->text(); }
    QPlainTextEdit* Buffer() { return analyzer->findChild<QPlainTextEdit*>("Buffer"); }

    QApplication& app = GuiApp();
    testing::ScratchFolder folder;
    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
    MainForm form{g, messages, locale, PortDeviceMap(folder.File("ports.ini"))};
    FakeSerialPort* port = nullptr;
    ComShow* analyzer = nullptr;
};

TEST_F(ComShowTest, OpensThePortOfTheSettingsAndHoldsThePortItemsUntilItCloses) {
    EXPECT_TRUE(port->open);
    EXPECT_EQ(analyzer->windowTitle(), QString::fromStdString(AnalyzerCaption(g)));
    EXPECT_TRUE(analyzer->isVisible());
    EXPECT_FALSE(MenuItem(form, kStrMenuPortSettings)->isEnabled());
    EXPECT_FALSE(MenuItem(form, kStrMenuPortAnalyze)->isEnabled());

    Click(analyzer, "QuitButton");
    QApplication::processEvents();
    EXPECT_EQ(form.Analyzer(), nullptr);
    EXPECT_TRUE(MenuItem(form, kStrMenuPortSettings)->isEnabled());
    EXPECT_TRUE(MenuItem(form, kStrMenuPortAnalyze)->isEnabled());
}

TEST_F(ComShowTest, EscapeClosesItLikeQuit) {
    QTest::keyClick(Buffer(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(form.Analyzer(), nullptr);
}

TEST_F(ComShowTest, ShowsCountsSendsAndGuessesWhatCame) {
    FakeSerialPort& device = *port;
    device.Play("12.5,3.1,7\r\n\0"s);
    analyzer->PollTick();
    EXPECT_EQ(analyzer->Analyzer().Display(), "12.5,3.1,7\r\n\xFF");
    EXPECT_EQ(Buffer()->toPlainText().size(), 13);  // one shown character a byte
    analyzer->PollTick();
    EXPECT_EQ(Shown("BufByteCount"), "13");
    EXPECT_TRUE(Child<QAbstractButton>(analyzer, "AnalyzeButton")->isEnabled());

    // Typing into the display changes nothing; the caret keys move the caret.
    QTest::keyClicks(Buffer(), "xyz");
    QTest::keyClick(Buffer(), Qt::Key_Home);
    EXPECT_EQ(Buffer()->toPlainText().size(), 13);
    Buffer()->selectAll();
    EXPECT_EQ(Shown("SelByteCount"), "13");
    EXPECT_EQ(Shown("SelStartPosition"), "1");

    Type(Child(analyzer, "OutputBuffer"), "P");
    Click(analyzer, "SendButton");
    analyzer->PollTick();
    EXPECT_EQ(device.written, "P");

    messages.answers = {MessageAnswer::Yes};
    Click(analyzer, "AnalyzeButton");
    EXPECT_EQ(g.RecordStructure, 1);
    EXPECT_EQ(g.NumberOfFields, 3);
    EXPECT_EQ(g.RecordLength, 11);

    Click(analyzer, "ClearButton");
    EXPECT_EQ(Buffer()->toPlainText(), "");
    EXPECT_FALSE(Child<QAbstractButton>(analyzer, "AnalyzeButton")->isEnabled());
    EXPECT_EQ(Shown("BufByteCount"), "0");
}

TEST_F(ComShowTest, WithTheTableOnAnIgnoredCrVanishes) {
    g.InputTranslation['\r'] = "Ignore";
    Child<QCheckBox>(analyzer, "Check1")->setChecked(true);
    port->Play("1,2\r");
    analyzer->PollTick();
    EXPECT_EQ(analyzer->Analyzer().Display(), "1,2");
}

TEST_F(ComShowTest, BothLanguages) {
    port->Play("+0012.50 g\r\n+0012.51 g\r\n");
    analyzer->PollTick();
    CheckBothLanguages(analyzer, "analyzer", [this] {
        analyzer->setWindowTitle(QString::fromStdString(AnalyzerCaption(g)));
    });
    analyzer->show();
}

// The question of the best guess as a real box, in both languages (with Qt's own button texts
// in Japanese, as the program loads them); No leaves the configuration as it was.
TEST_F(ComShowTest, TheBestGuessAsksInBothLanguagesAndNoChangesNothing) {
    port->Play("12.5,3.1,7\r\n");
    analyzer->PollTick();
    const int structure = g.RecordStructure;
    MessageBoxMessages boxes;
    QTranslator qtTexts;
    for (const Language language : {Language::English, Language::Japanese}) {
        SetInterfaceLanguage(language);
        if (language == Language::Japanese &&
            qtTexts.load(QLocale(QLocale::Japanese), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&qtTexts);
        QString asked;
        QTimer::singleShot(0, [&] {
            const bool up = QTest::qWaitFor(
                [] {
                    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
                },
                10000);
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(up && box != nullptr) << "no question came";
            asked = box->text();
            EXPECT_EQ(TextsWithMissingGlyphs(box), std::vector<std::string>{});
            SaveScreenshot(box, "best-guess");
            box->button(QMessageBox::No)->click();
        });
        AnalyzeInput(analyzer->Analyzer().Display(), g, boxes);
        EXPECT_TRUE(asked.startsWith(UiText(kStrDelimiterNameComma))) << asked.toStdString();
        EXPECT_TRUE(asked.endsWith(UiText(kStrBestGuessQuestion))) << asked.toStdString();
    }
    QApplication::removeTranslator(&qtTexts);
    SetInterfaceLanguage(Language::English);
    EXPECT_EQ(g.RecordStructure, structure);
}

TEST(AnalyzerDisplayText, ACrBreaksTheLineAndItsLfTakesNoRoom) {
    EXPECT_EQ(AnalyzerDisplayText("a\r\nb\nc", 0), QString("a") + QChar(QChar::ParagraphSeparator) +
                                                       QChar(0x200B) + "b" +
                                                       QChar(QChar::ParagraphSeparator) + "c");
    EXPECT_EQ(AnalyzerDisplayText("\n", '\r'), QString(QChar(0x200B)));
}

}  // namespace
}  // namespace quorvane
