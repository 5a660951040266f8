// The desktop registration against a private data folder; linked with the gui tests, which
// carry the compiled-in icon and a QApplication.
#include "platform/linux/DesktopRegistration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include "gui/GuiApp.h"
#include "gui/QuorvaneIcon.h"

namespace quorvane {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<QString> Sorted(std::vector<QString> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// The command names of this process's children, from every thread's list.
std::vector<QString> ChildCommands() {
    std::vector<QString> names;
    for (const QString& task :
         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray children = ReadAll("/proc/self/task/" + task + "/children");
        for (const QByteArray& pid : children.split(' ')) {
            if (pid.trimmed().isEmpty()) continue;
            names.push_back(QString::fromUtf8(ReadAll("/proc/" + pid + "/comm")).trimmed());
        }
    }
    return names;
}

// Whether a process is running whose command line names folder (the detached cache tools).
bool ToolsRunningOn(const QString& folder) {
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.front().isDigit()) continue;
        if (ReadAll("/proc/" + pid + "/cmdline").contains(folder.toUtf8())) return true;
    }
    return false;
}

class DesktopRegistrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GuiApp();
        ASSERT_TRUE(home.isValid());
        icons = {QuorvaneIconSvg(), QuorvaneIconPng(128)};
    }
    // The folder goes when the test ends: the tools must be done writing in it by then.
    void TearDown() override {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ToolsRunningOn(home.path()); }, 20000));
    }
    QString Path(const char* relative) const { return home.path() + "/" + relative; }

    QTemporaryDir home;
    DesktopIconFiles icons;
    const QString program = "/opt/Quorvane Tools/bin/quorvane";
};

TEST_F(DesktopRegistrationTest, WritesTheTypeTheDesktopFileAndTheIconAndUpdatesTheCaches) {
    ASSERT_FALSE(icons.svg.isEmpty()) << "the icon is compiled in";
    ASSERT_TRUE(icons.svg.contains("<svg"));
    ASSERT_TRUE(icons.png128.startsWith("\x89PNG"));

    const DesktopRegistrationResult result =
        RegisterDesktopIntegration(program, icons, home.path());
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(Sorted(result.written),
              (std::vector<QString>{
                  "applications/quorvane.desktop", "icons/hicolor/128x128/apps/quorvane.png",
                  "icons/hicolor/scalable/apps/quorvane.svg", "mime/packages/quorvane.xml"}));
    EXPECT_EQ(result.started,
              (std::vector<QString>{"update-mime-database", "update-desktop-database"}));
    const std::vector<QString> children = ChildCommands();
    EXPECT_EQ(std::count(children.begin(), children.end(), "update-mime-da"), 0)
        << "the tools run detached, never as our children";

    const QString mime = QString::fromUtf8(ReadAll(Path("mime/packages/quorvane.xml")));
    EXPECT_TRUE(mime.contains("<mime-type type=\"application/x-quorvane-config\">"));
    EXPECT_TRUE(mime.contains("<glob pattern=\"*.qv3\"/>"));
    EXPECT_TRUE(mime.contains("<glob pattern=\"*.QV3\"/>"));
    EXPECT_TRUE(mime.contains("<comment>Quorvane configuration</comment>"));
    EXPECT_TRUE(mime.contains(QString::fromUtf8("<comment xml:lang=\"ja\">Quorvane 構成ファイル")));

    const QString desktop = QString::fromUtf8(ReadAll(Path("applications/quorvane.desktop")));
    for (const char* line :
         {"[Desktop Entry]\n", "\nType=Application\n", "\nName=Quorvane\n", "\nName[ja]=",
          "\nComment=", "\nComment[ja]=", "\nExec=\"/opt/Quorvane Tools/bin/quorvane\" %f\n",
          "\nIcon=quorvane\n", "\nTerminal=false\n", "\nCategories=Utility;\n",
          "\nMimeType=application/x-quorvane-config;\n"})
        EXPECT_TRUE(desktop.contains(QString::fromUtf8(line))) << line;
    EXPECT_EQ(ReadAll(Path("icons/hicolor/scalable/apps/quorvane.svg")), icons.svg);
    EXPECT_EQ(ReadAll(Path("icons/hicolor/128x128/apps/quorvane.png")), icons.png128);

    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start("desktop-file-validate", {Path("applications/quorvane.desktop")});
    ASSERT_TRUE(validate.waitForStarted())
        << "desktop-file-validate (desktop-file-utils) is needed";
    ASSERT_TRUE(validate.waitForFinished(20000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();

    // The detached tools built the caches of this folder, not of the user's own.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(Path("mime/application/x-quorvane-config.xml")); }, 20000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return ReadAll(Path("applications/mimeinfo.cache"))
                .contains("application/x-quorvane-config=quorvane.desktop;");
        },
        20000));
}

TEST_F(DesktopRegistrationTest, WritesOnlyWhatDiffersAndStartsNothingWhenAllIsInPlace) {
    RegisterDesktopIntegration(program, icons, home.path());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(Path("mime/application/x-quorvane-config.xml")); }, 20000));

    DesktopRegistrationResult again = RegisterDesktopIntegration(program, icons, home.path());
    EXPECT_TRUE(again.written.empty());
    EXPECT_TRUE(again.started.empty());

    // A moved program rewrites the desktop file alone.
    again = RegisterDesktopIntegration("/usr/local/bin/quorvane", icons, home.path());
    EXPECT_EQ(again.written, std::vector<QString>{"applications/quorvane.desktop"});
    EXPECT_EQ(again.started, std::vector<QString>{"update-desktop-database"});
    EXPECT_TRUE(ReadAll(Path("applications/quorvane.desktop"))
                    .contains("\nExec=/usr/local/bin/quorvane %f\n"));

    // A database that was never built (the tool was missing last time) is built now.
    QDir(Path("mime/application")).removeRecursively();
    again = RegisterDesktopIntegration("/usr/local/bin/quorvane", icons, home.path());
    EXPECT_TRUE(again.written.empty());
    EXPECT_EQ(again.started, std::vector<QString>{"update-mime-database"});
}

TEST_F(DesktopRegistrationTest, AFolderThatCannotBeWrittenFailsQuietly) {
    QFile blocker(Path("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const DesktopRegistrationResult result =
        RegisterDesktopIntegration(program, icons, Path("not-a-folder"));
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.written.empty());
}

TEST(DesktopExecArgument, QuotesAndEscapesWhatTheExecKeyReserves) {
    const std::pair<const char*, const char*> rows[] = {
        {"/usr/bin/quorvane", "/usr/bin/quorvane"},
        {"/opt/my apps/quorvane", "\"/opt/my apps/quorvane\""},
        {"/opt/100%/quorvane", "/opt/100%%/quorvane"},
        {"/opt/$HOME/q", "\"/opt/\\\\$HOME/q\""},  // \$ inside quotes, \ doubled
        {"/opt/a\"b/q", "\"/opt/a\\\\\"b/q\""},
        {"/opt/back\\slash/q", "\"/opt/back\\\\\\\\slash/q\""},
        {"/opt/it's/q", "\"/opt/it's/q\""},
    };
    for (const auto& [path, expected] : rows)
        EXPECT_EQ(DesktopExecArgument(path), expected) << path;
}

}  // namespace
}  // namespace quorvane
