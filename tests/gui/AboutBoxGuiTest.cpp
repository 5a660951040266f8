#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/DesktopServices.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDdeCommandHost.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeSettingsStore.h"
#include "gui/AboutBox.h"
#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override { GuiApp(); }
    void TearDown() override {
        AboutBox::CloseSplash();
        SetInterfaceLanguage(Language::English);
    }
};

QString LabelText(QWidget* box, const char* name) {
    auto* label = box->findChild<QLabel*>(name);
    return label ? label->text() : QString("<no label %1>").arg(name);
}

// Once a configuration has run, About says where its keystrokes and hot keys went, in full.
TEST_F(AboutBoxTest, SaysWhereKeystrokesAndHotKeysGoOnceServicesWereChosen) {
    {
        AboutBox before;
        before.show();
        EXPECT_FALSE(before.findChild<QLabel*>("desktop")->isVisible());
    }
    SetupGlobals g;
    ResetToDefaults(g, "/tmp");
    FakeMessages messages;
    FakeClock clock;
    FakeSettingsStore settings;
    FakeDdeCommandHost host;
    std::string englishReason;
    {
        DesktopServices desktop(g, messages, clock, settings, host);  // X11 or nothing here
        englishReason = desktop.Backend().reason;
    }
    std::string english;
    for (Language language : {Language::English, Language::Japanese}) {
        SetInterfaceLanguage(language);
        AboutBox box;
        box.show();
        auto* line = box.findChild<QLabel*>("desktop");
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->isVisible());
        const std::string text = line->text().toStdString();
        // Keystrokes, then hot keys; said again in the language of the moment.
        EXPECT_EQ(text, DesktopServices::LastChoice());
        if (language == Language::English) {
            english = text;
            EXPECT_EQ(text.substr(0, text.find('\n')), englishReason);
        } else {
            EXPECT_NE(text, english);
        }
        EXPECT_GE(line->height(), line->heightForWidth(line->width()));
        EXPECT_EQ(TextsWithMissingGlyphs(&box), std::vector<std::string>{});
        SaveScreenshot(&box, "about-desktop");
    }
}

TEST_F(AboutBoxTest, ShowsNameVersionsLanguageTermsIconAndADefaultOk) {
    AboutBox box;
    box.show();
    EXPECT_EQ(box.windowTitle(), "About Quorvane");
    EXPECT_EQ(LabelText(&box, "productName"), "Quorvane");
    EXPECT_EQ(LabelText(&box, "version"), QString("Version ") + QUORVANE_VERSION);
    EXPECT_EQ(LabelText(&box, "qtVersion"), QString("Qt version ") + qVersion());
    EXPECT_EQ(LabelText(&box, "language"), "Interface language: English");
    EXPECT_EQ(LabelText(&box, "summary"), UiText(kStrDesktopComment));
    auto* icon = box.findChild<QLabel*>("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_FALSE(box.windowIcon().isNull());
    auto* ok = box.findChild<QPushButton*>("ok");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isVisible());
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), "&OK");
    EXPECT_EQ(TextsWithMissingGlyphs(&box), std::vector<std::string>{});
    SaveScreenshot(&box, "about");

    SetInterfaceLanguage(Language::Japanese);
    box.Localize();
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8("Quorvane のバージョン情報"));
    EXPECT_EQ(LabelText(&box, "language"), QString::fromUtf8("表示言語: 日本語"));
    EXPECT_EQ(LabelText(&box, "version"), QString::fromUtf8("バージョン ") + QUORVANE_VERSION);
    // The box fits the longer texts at once, without cutting them off.
    for (auto* label : box.findChildren<QLabel*>())
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    EXPECT_EQ(TextsWithMissingGlyphs(&box), std::vector<std::string>{});
    SaveScreenshot(&box, "about");
}

TEST_F(AboutBoxTest, OkClosesTheModalBox) {
    bool sawBox = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        sawBox = true;
        box->findChild<QPushButton*>("ok")->click();
    });
    AboutBox::ShowModal(nullptr);
    EXPECT_TRUE(sawBox);
}

TEST_F(AboutBoxTest, ModelessBoxReturnsAtOnceAndDeletesItselfWhenClosed) {
    QPointer<AboutBox> box = AboutBox::ShowModeless();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(box);
}

TEST_F(AboutBoxTest, SplashHasNoOkAndNoTitleAndCloseSplashEndsIt) {
    AboutBox* splash = AboutBox::ShowSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_FALSE(splash->isModal());
    EXPECT_EQ(splash->windowTitle(), "");
    EXPECT_FALSE(splash->findChild<QPushButton*>("ok")->isVisible());
    EXPECT_EQ(LabelText(splash, "productName"), "Quorvane");
    EXPECT_EQ(AboutBox::ShowSplash(), splash) << "a second call keeps the splash that is up";
    EXPECT_EQ(TextsWithMissingGlyphs(splash), std::vector<std::string>{});
    SaveScreenshot(splash, "about-splash");

    QPointer<AboutBox> watched = splash;
    AboutBox::CloseSplash();
    EXPECT_EQ(AboutBox::Splash(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(watched);
    AboutBox::CloseSplash();  // none up: nothing happens
}

}  // namespace
}  // namespace quorvane
