#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <string>

#include "config/SetupGlobals.h"
#include "fakes/FakeMessages.h"
#include "gui/ControlTextBox.h"
#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

class AsciiChartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GuiApp();
        chart = std::make_unique<AsciiChart>(g);
        list = chart->findChild<QTreeWidget*>("AsciiMenu");
        ok = chart->findChild<QPushButton*>("OK");
        cancel = chart->findChild<QPushButton*>("Cancel");
        ASSERT_TRUE(list && ok && cancel);
    }
    void TearDown() override { SetInterfaceLanguage(Language::English); }

    // Runs Pick with act doing the user's part once the chart is up.
    std::string PickWith(std::function<void()> act) {
        QTimer::singleShot(0, chart.get(), [this, act] {
            if (!chart->isVisible()) return;
            act();
        });
        return chart->Pick(nullptr);
    }

    SetupGlobals g;
    std::unique_ptr<AsciiChart> chart;
    QTreeWidget* list = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

TEST_F(AsciiChartTest, ListsAll256CodesWithEntryZeroChosen) {
    ASSERT_EQ(list->topLevelItemCount(), 256);
    EXPECT_EQ(chart->CurrentRow(), 0);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "0");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "NUL");
    EXPECT_EQ(list->topLevelItem(9)->text(2), "TAB");
    EXPECT_EQ(list->topLevelItem(13)->text(1), "");
    EXPECT_EQ(list->topLevelItem(13)->text(2), "CR");
    EXPECT_EQ(list->topLevelItem(65)->text(1), "A");
    EXPECT_EQ(list->topLevelItem(128)->text(1), QString::fromUtf8("\xE2\x82\xAC"));  // euro
    EXPECT_EQ(list->topLevelItem(255)->text(1), QString::fromUtf8("\xC3\xBF"));
    EXPECT_EQ(list->topLevelItem(65)->data(0, Qt::UserRole).toByteArray(), " 65   \tA         ");
    EXPECT_EQ(chart->windowTitle(), UiText(kStrAsciiChartTitle));
    EXPECT_EQ(list->headerItem()->text(2), UiText(kStrAsciiChartControlCode));
    EXPECT_TRUE(ok->isDefault());
}

TEST_F(AsciiChartTest, OkDoubleClickAndCancel) {
    // OK on an entry picks its character and marks the configuration changed.
    EXPECT_EQ(PickWith([&] {
                  chart->SetCurrentRow(65);
                  ok->click();
              }),
              "A");
    EXPECT_EQ(g.ConfigChanged, kTrue);
    EXPECT_FALSE(chart->isVisible());

    // Cancel picks nothing and leaves the flag alone; the last choice is still chosen.
    g.ConfigChanged = kFalse;
    EXPECT_EQ(PickWith([&] { cancel->click(); }), "");
    EXPECT_EQ(g.ConfigChanged, kFalse);
    EXPECT_EQ(chart->CurrentRow(), 65);

    // Keyboard only: Down then Enter presses OK; Escape cancels.
    EXPECT_EQ(PickWith([&] {
                  QTest::keyClick(list, Qt::Key_Down);
                  QTest::keyClick(list, Qt::Key_Return);
              }),
              "B");
    EXPECT_EQ(PickWith([&] { QTest::keyClick(list, Qt::Key_Escape); }), "");

    // A double-click on an entry picks it.
    EXPECT_EQ(PickWith([&] {
                  QTreeWidgetItem* item = list->topLevelItem(0);
                  list->scrollToItem(item);
                  const QPoint at = list->visualItemRect(item).center();
                  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
              }),
              "\0"s);
    EXPECT_EQ(chart->Picked(), "\0"s);
}

TEST_F(AsciiChartTest, ExtraEntriesOnTop) {
    chart->SetCurrentRow(7);
    chart->AddExtraEntries({" Ignore", " Void Record"});
    ASSERT_EQ(list->topLevelItemCount(), 258);
    EXPECT_EQ(list->topLevelItem(1)->text(0), " Void Record");
    EXPECT_EQ(chart->CurrentRow(), 9);  // the same character stays chosen

    EXPECT_EQ(PickWith([&] {
                  chart->SetCurrentRow(0);
                  ok->click();
              }),
              " Ignore");
    EXPECT_EQ(PickWith([&] {
                  chart->SetCurrentRow(2);
                  ok->click();
              }),
              "\0"s);
    EXPECT_EQ(g.ConfigChanged, kTrue);

    chart->SetCurrentRow(1);
    chart->RemoveExtraEntries();
    ASSERT_EQ(list->topLevelItemCount(), 256);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "NUL");
    EXPECT_EQ(chart->CurrentRow(), 0);
    EXPECT_EQ(PickWith([&] {
                  chart->SetCurrentRow(1);
                  ok->click();
              }),
              "\x01");
}

// The "ASCII Chart..." button of a dialog: the pick goes into the box, a NUL as character 255.
TEST_F(AsciiChartTest, ButtonPutsThePickIntoTheBox) {
    FakeMessages messages;
    QWidget dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* box = new ControlTextLineEdit(messages, &dialog);
    auto* button = new QPushButton(&dialog);
    layout->addWidget(box);
    layout->addWidget(button);
    ConnectAsciiChartButton(button, *chart, [box] { return box; });
    dialog.show();
    box->SetValue("ab");
    box->setFocus();
    box->setSelection(1, 1);
    button->setFocus();  // the click takes the focus; the selection must survive it

    QTimer::singleShot(0, chart.get(), [&] {
        chart->SetCurrentRow(0);
        ok->click();
    });
    button->click();
    EXPECT_EQ(box->Value(), "a\0"s);
    EXPECT_EQ(box->text(), QString::fromUtf8("a\xC3\xBF"));
}

TEST_F(AsciiChartTest, ShowsInEnglishAndJapanese) {
    chart->AddExtraEntries({" Ignore", " Void Record"});
    chart->show();
    EXPECT_EQ(TextsWithMissingGlyphs(chart.get()), std::vector<std::string>{});
    SaveScreenshot(chart.get(), "ascii-chart");

    SetInterfaceLanguage(Language::Japanese);
    chart->hide();
    LocalizeForm(chart.get());
    chart->show();  // each pick shows the chart again, fitted to the language's font
    EXPECT_EQ(chart->windowTitle(), UiText(kStrAsciiChartTitle));
    EXPECT_EQ(list->headerItem()->text(0), UiText(kStrAsciiChartValue));
    EXPECT_EQ(TextsWithMissingGlyphs(chart.get()), std::vector<std::string>{});
    SaveScreenshot(chart.get(), "ascii-chart");

    SetInterfaceLanguage(Language::English);
    LocalizeForm(chart.get());
    EXPECT_EQ(ok->text(), UiText(kStrAsciiChartOk));
    chart->SetCurrentRow(2 + 200);  // the upper half of the code page
    SaveScreenshot(chart.get(), "ascii-chart-upper");
    EXPECT_EQ(cancel->text(), UiText(kStrAsciiChartCancel));
    chart->hide();
}

}  // namespace
}  // namespace quorvane
