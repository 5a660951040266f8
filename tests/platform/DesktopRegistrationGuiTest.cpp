// The desktop registration against a private data folder; linked with the gui tests, which
// carry the compiled-in icon and a QApplication.
#include "platform/linux/DesktopRegistration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
        ASSERT_TRUE(system.isValid());
        icons = {QuorvaneIconSvg(), QuorvaneIconPng(128)};
        // An installed copy of the program on this machine must not change what is written.
        savedDataDirs = qgetenv("XDG_DATA_DIRS");
        hadDataDirs = qEnvironmentVariableIsSet("XDG_DATA_DIRS");
        qputenv("XDG_DATA_DIRS", system.path().toUtf8());
    }
    // The folder goes when the test ends: the tools must be done writing in it by then.
    void TearDown() override {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ToolsRunningOn(home.path()); }, 20000));
        if (hadDataDirs)
            qputenv("XDG_DATA_DIRS", savedDataDirs);
        else
            qunsetenv("XDG_DATA_DIRS");
    }
    // Puts a file into the system data folder, as a package would.
    void Install(const QString& relative, const QByteArray& content) const {
        const QString path = system.path() + "/" + relative;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(content), content.size());
    }
    void InstallAll() const {
        Install("applications/quorvane.desktop",
                QByteArray::fromStdString(DesktopEntryText("quorvane")));
        Install("mime/packages/quorvane.xml", QByteArray::fromStdString(MimePackageText()));
        Install("icons/hicolor/scalable/apps/quorvane.svg", icons.svg);
        Install("icons/hicolor/128x128/apps/quorvane.png", icons.png128);
    }
    QStringList Installed() const { return {system.path()}; }
    QString Path(const char* relative) const { return home.path() + "/" + relative; }

    QTemporaryDir home;
    QTemporaryDir system;  // stands for /usr/share
    QByteArray savedDataDirs;
    bool hadDataDirs = false;
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

const std::vector<QString> kAllFiles = {
    "applications/quorvane.desktop", "icons/hicolor/128x128/apps/quorvane.png",
    "icons/hicolor/scalable/apps/quorvane.svg", "mime/packages/quorvane.xml"};

TEST_F(DesktopRegistrationTest, WritesNothingThatAnInstalledPackageProvides) {
    InstallAll();
    const DesktopRegistrationResult result =
        RegisterDesktopIntegration("/usr/bin/quorvane", icons, home.path(), Installed());
    EXPECT_FALSE(result.failed);
    EXPECT_TRUE(result.written.empty());
    EXPECT_TRUE(result.started.empty()) << "the package's own scripts build the system caches";
    EXPECT_TRUE(result.removed.empty());
    EXPECT_EQ(Sorted(result.provided), kAllFiles);
    for (const QString& file : kAllFiles) EXPECT_FALSE(QFile::exists(Path(file.toUtf8()))) << file.toStdString();
    EXPECT_TRUE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST_F(DesktopRegistrationTest, WritesWhatThePackageLacks) {
    Install("applications/quorvane.desktop",
            QByteArray::fromStdString(DesktopEntryText("quorvane")));
    const DesktopRegistrationResult result =
        RegisterDesktopIntegration("/usr/bin/quorvane", icons, home.path(), Installed());
    EXPECT_EQ(result.provided, std::vector<QString>{"applications/quorvane.desktop"});
    EXPECT_EQ(Sorted(result.written),
              (std::vector<QString>{"icons/hicolor/128x128/apps/quorvane.png",
                                    "icons/hicolor/scalable/apps/quorvane.svg",
                                    "mime/packages/quorvane.xml"}));
    EXPECT_EQ(result.started, std::vector<QString>{"update-mime-database"});
    EXPECT_FALSE(QFile::exists(Path("applications/quorvane.desktop")));
}

TEST_F(DesktopRegistrationTest, LooksInXdgDataDirsAndTheProgramsOwnPrefix) {
    // Without a list of its own, the registration looks where SystemDataDirs says.
    InstallAll();
    DesktopRegistrationResult result = RegisterDesktopIntegration(program, icons, home.path());
    EXPECT_TRUE(result.written.empty());
    EXPECT_EQ(Sorted(result.provided), kAllFiles);

    // A program installed under a prefix of its own finds its files beside its bin folder.
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    ASSERT_TRUE(QDir().mkpath(prefix.path() + "/share/applications"));
    QFile desktop(prefix.path() + "/share/applications/quorvane.desktop");
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.close();
    qputenv("XDG_DATA_DIRS", home.path().toUtf8() + "/nowhere");
    result = RegisterDesktopIntegration(prefix.path() + "/bin/quorvane", {}, home.path());
    EXPECT_EQ(result.provided, std::vector<QString>{"applications/quorvane.desktop"});
    EXPECT_EQ(result.written, std::vector<QString>{"mime/packages/quorvane.xml"});
}

TEST_F(DesktopRegistrationTest, RemovesTheCopiesAnEarlierStartWroteOnceThePackageIsInstalled) {
    // A start from the build folder registered itself; the package came afterwards.
    RegisterDesktopIntegration("/home/me/quorvane/build/quorvane", icons, home.path(),
                               QStringList{});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QFile::exists(Path("mime/application/x-quorvane-config.xml")); }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ToolsRunningOn(home.path()); }, 20000));
    InstallAll();

    const DesktopRegistrationResult result =
        RegisterDesktopIntegration("/usr/bin/quorvane", icons, home.path(), Installed());
    EXPECT_FALSE(result.failed);
    EXPECT_TRUE(result.written.empty());
    EXPECT_EQ(Sorted(result.removed), kAllFiles);
    EXPECT_EQ(Sorted(result.provided), kAllFiles);
    for (const QString& file : kAllFiles) EXPECT_FALSE(QFile::exists(Path(file.toUtf8()))) << file.toStdString();
    EXPECT_EQ(result.started,
              (std::vector<QString>{"update-mime-database", "update-desktop-database"}));
    // The user's database forgets the type, so that the installed one is what the desktop sees.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !QFile::exists(Path("mime/application/x-quorvane-config.xml")); }, 20000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return !ReadAll(Path("applications/mimeinfo.cache")).contains("quorvane.desktop");
        },
        20000));

    // Nothing left to do at the next start.
    const DesktopRegistrationResult again =
        RegisterDesktopIntegration("/usr/bin/quorvane", icons, home.path(), Installed());
    EXPECT_TRUE(again.written.empty());
    EXPECT_TRUE(again.removed.empty());
    EXPECT_TRUE(again.started.empty());
}

TEST_F(DesktopRegistrationTest, KeepsAFileTheUserChanged) {
    RegisterDesktopIntegration(program, icons, home.path(), QStringList{});
    QFile desktop(Path("applications/quorvane.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::Append));
    desktop.write("NoDisplay=true\n");
    desktop.close();
    InstallAll();
    const DesktopRegistrationResult result =
        RegisterDesktopIntegration(program, icons, home.path(), Installed());
    EXPECT_EQ(std::count(result.removed.begin(), result.removed.end(),
                         "applications/quorvane.desktop"),
              0);
    EXPECT_TRUE(ReadAll(Path("applications/quorvane.desktop")).contains("NoDisplay=true\n"));
}

TEST(SystemDataDirs, TheProgramsPrefixFirstThenTheAbsoluteEntriesOfXdgDataDirs) {
    const QByteArray saved = qgetenv("XDG_DATA_DIRS");
    const bool had = qEnvironmentVariableIsSet("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", "/opt/q/share/:relative/share::/usr/share:/opt/q/share");
    EXPECT_EQ(SystemDataDirs("/opt/q/bin/quorvane"),
              (QStringList{"/opt/q/share", "/usr/share"}));
    qputenv("XDG_DATA_DIRS", "");
    EXPECT_EQ(SystemDataDirs("/usr/bin/quorvane"),
              (QStringList{"/usr/share", "/usr/local/share"}));
    qunsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(SystemDataDirs("/home/me/build/quorvane"),
              (QStringList{"/home/me/share", "/usr/local/share", "/usr/share"}));
    if (had) qputenv("XDG_DATA_DIRS", saved);
}

// The files the package installs are the ones the program would write itself.
TEST(PackagedDesktopFiles, AreWhatTheRegistrationWrites) {
    EXPECT_EQ(ReadAll(QUORVANE_SOURCE_DIR "/resources/quorvane.xml").toStdString(),
              MimePackageText());
    EXPECT_EQ(ReadAll(QUORVANE_SOURCE_DIR "/resources/quorvane.desktop").toStdString(),
              DesktopEntryText("quorvane"));
}

TEST(MimePackageText, RecognisesBothFileLayoutsByTheirFirstLine) {
    const std::string text = MimePackageText();
    EXPECT_NE(text.find("<magic priority=\"60\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<match type=\"string\" offset=\"0\" value=\"Quorvane Version 3.00 "
                        "Configuration File for Serial Data Acquisition Software\"/>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("value=\"Quorvane Version 2.00 Configuration File"), std::string::npos)
        << text;
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
