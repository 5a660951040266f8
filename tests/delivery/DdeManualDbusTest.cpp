// Runs every example of the manual page on driving Quorvane (docs/driving-quorvane.md)
// against a real server on the private bus, and checks the output the page shows, so the
// page cannot drift from the program.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <string>
#include <vector>

#include "config/CodePage.h"
#include "delivery/DbusTestBus.h"
#include "delivery/DdeBusNames.h"
#include "delivery/DdeServerItems.h"
#include "platform/linux/DbusDdeServer.h"

namespace quorvane {
namespace {

using namespace dbustest;

struct Example {
    QString name;
    QString language;  // "sh" or "python"
    QString code;
    QStringList expected;  // the output lines the page shows after the example
};

QString ManualText() {
    QFile file(QStringLiteral(QUORVANE_SOURCE_DIR "/docs/driving-quorvane.md"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// An example is a fenced block after "<!-- example: name -->"; the lines indented by four
// blanks that follow it (after blank lines) are its output.
std::vector<Example> ManualExamples() {
    const QStringList lines = ManualText().split(u'\n');
    static const QRegularExpression marker(QStringLiteral("^<!-- example: ([a-z-]+) -->$"));
    std::vector<Example> examples;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto match = marker.match(lines[i]);
        if (!match.hasMatch() || i + 1 >= lines.size() || !lines[i + 1].startsWith("```")) continue;
        Example example{match.captured(1), lines[i + 1].mid(3).trimmed(), {}, {}};
        for (i += 2; i < lines.size() && lines[i] != "```"; ++i) example.code += lines[i] + '\n';
        for (++i; i < lines.size() && lines[i].trimmed().isEmpty(); ++i) {
        }
        for (; i < lines.size() && lines[i].startsWith("    "); ++i)
            example.expected << lines[i].mid(4);
        --i;
        examples.push_back(example);
    }
    return examples;
}

class DdeManualDbus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(EnsurePrivateBus().empty()) << "dbus-daemon did not start";
        items_.SetFieldCount(2);
        server_.SetItemSource(&items_);
        items_.SetListener(&server_);
        server_.SetExecuteHandler([this](const std::string& command) {
            commands_.push_back(command);
            return command == "{SEND(OK)}";
        });
        ASSERT_EQ(server_.Serve("COM1").result, DdeServeResult::Serving);
        items_.SetField(1, "12.5");
    }

    void Start(QProcess& process, const Example& example) {
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (example.language == "python")
            process.start(QStringLiteral("/usr/bin/python3"), {"-c", example.code});
        else  // exec: a kill then ends the tool itself, not only the shell
            process.start(QStringLiteral("/bin/sh"), {"-c", "exec " + example.code.trimmed()});
    }

    // The tool an example needs when this machine lacks it (python3-gi is only a
    // recommendation of python3-dbus); empty when everything is there.
    static QString MissingTool(const Example& example) {
        if (example.language == "python") {
            QProcess probe;
            const QString module =
                example.code.contains(QLatin1String("gi.repository")) ? "gi" : "dbus";
            probe.start(QStringLiteral("/usr/bin/python3"), {"-c", "import " + module});
            const bool ok = probe.waitForFinished(kDeadlineMs) && probe.exitCode() == 0 &&
                            probe.exitStatus() == QProcess::NormalExit;
            return ok ? QString() : "the python3 module " + module;
        }
        const QString tool = example.code.trimmed().section(u' ', 0, 0);
        return QStandardPaths::findExecutable(tool).isEmpty() ? tool : QString();
    }

    // Each shown line must appear on one output line; "…" stands for anything.
    static bool Shows(const QString& output, const QStringList& expected) {
        for (const QString& line : expected) {
            QStringList pieces = line.trimmed().split(QString::fromUtf8("…"));
            for (QString& piece : pieces) piece = QRegularExpression::escape(piece);
            if (!output.contains(QRegularExpression(pieces.join(QStringLiteral(".*")))))
                return false;
        }
        return true;
    }

    DdeServerItems items_;
    DbusDdeServer server_;
    std::vector<std::string> commands_;
};

TEST_F(DdeManualDbus, EveryExampleWorksAsThePageShows) {
    const std::vector<Example> examples = ManualExamples();
    ASSERT_GE(examples.size(), 12u) << "the examples of the manual page were not found";
    for (const char* tool : {"gdbus", "busctl", "dbus-send", "dbus-monitor", "python"}) {
        const bool present = std::any_of(examples.begin(), examples.end(), [&](const Example& e) {
            return e.name.startsWith(QLatin1String(tool));
        });
        EXPECT_TRUE(present) << tool;
    }

    for (const Example& example : examples) {
        SCOPED_TRACE(example.name.toStdString());
        const QString missing = MissingTool(example);
        // An example that cannot run is an example nobody checked: a missing tool fails.
        if (!missing.isEmpty()) {
            ADD_FAILURE() << example.name.toStdString() << " not run: " << missing.toStdString()
                          << " is not installed";
            continue;
        }
        commands_.clear();
        QProcess process;
        QString output;
        QObject::connect(&process, &QProcess::readyRead, [&] { output += process.readAll(); });
        Start(process, example);
        ASSERT_TRUE(process.waitForStarted(kDeadlineMs));
        if (example.name.endsWith(QLatin1String("-watch"))) {
            // Watchers subscribe at their own pace: publish until the change shows.
            QTimer publish;
            QObject::connect(&publish, &QTimer::timeout, [&] { items_.SetField(1, "12.5"); });
            publish.start(100);
            const bool shown = SpinUntil([&] { return Shows(output, example.expected); });
            publish.stop();
            process.kill();
            process.waitForFinished(kDeadlineMs);
            EXPECT_FALSE(example.expected.isEmpty());
            EXPECT_TRUE(shown) << output.toStdString();
            continue;
        }
        ASSERT_TRUE(SpinUntil([&] { return process.state() == QProcess::NotRunning; }))
            << output.toStdString();
        output += process.readAll();
        const bool refused = example.name.endsWith(QLatin1String("-refused"));
        EXPECT_EQ(process.exitCode() != 0, refused) << output.toStdString();
        EXPECT_TRUE(Shows(output, example.expected)) << output.toStdString();
        if (example.name.contains(QLatin1String("execute")) || refused) {
            EXPECT_FALSE(commands_.empty()) << "the command did not reach the handler";
        }
    }
}

TEST(DdeManualTest, TheBusNameTableFollowsTheNamingRule) {
    const QStringList lines = ManualText().split(u'\n');
    static const QRegularExpression row(QStringLiteral("^\\| `([^`]*)` \\| `([^`]*)` \\|$"));
    int rows = 0;
    for (const QString& line : lines) {
        const auto match = row.match(line);
        if (!match.hasMatch() || !match.captured(2).startsWith(QLatin1String("Quorvane.")))
            continue;
        ++rows;
        const std::string topic = CodePage::FromUtf8(match.captured(1).toStdString());
        EXPECT_EQ(DdeBusName(kDdeServiceName, topic), match.captured(2).toStdString())
            << match.captured(1).toStdString();
    }
    EXPECT_GE(rows, 5);
}

}  // namespace
}  // namespace quorvane
