// Runs every example of the manual page on driving Quorvane (docs/dbus.html) against a real
// server on the private bus, and checks the output the page shows, so the page cannot drift
// from the program.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <string>
#include <vector>

#include "config/CodePage.h"
#include "delivery/DbusTestBus.h"
#include "delivery/DdeBusNames.h"
#include "delivery/DdeServerItems.h"
#include "docs/ManualPages.h"
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

constexpr const char* kPage = "dbus.html";

// An example is a <pre class="example" data-example="name"> block of the page, its output
// the <pre class="output"> block right after it, one expected line a line.
std::vector<Example> ManualExamples() {
    std::vector<Example> examples;
    for (const manual::PageExample& e : manual::PageExamples(kPage)) {
        Example example{QString::fromStdString(e.name),
                        QString::fromStdString(e.language),
                        QString::fromStdString(e.code) + '\n',
                        {}};
        if (e.hasOutput) {
            example.expected = QString::fromStdString(e.output).split(u'\n');
            example.expected.removeAll(QString());
        }
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
        // Every block marked on this page is run here: one this test cannot run fails.
        ASSERT_TRUE(example.language == "sh" || example.language == "python")
            << example.language.toStdString();
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
    int rows = 0;
    for (const auto& row : manual::TableRows(kPage, "bus-names")) {
        ASSERT_EQ(row.size(), 2u);
        if (row[1].rfind("Quorvane.", 0) != 0) continue;
        ++rows;
        const std::string topic = CodePage::FromUtf8(row[0]);
        EXPECT_EQ(DdeBusName(kDdeServiceName, topic), row[1]) << row[0];
    }
    EXPECT_GE(rows, 5);
}

}  // namespace
}  // namespace quorvane
