// The DDE server on a private bus: items, change signals, commands, the name rules.
#include "platform/linux/DbusDdeServer.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QObject>
#include <string>
#include <vector>

#include "delivery/DbusTestBus.h"
#include "delivery/DdeServerItems.h"
#include "platform/linux/SessionBus.h"

namespace quorvane {
namespace {

using namespace dbustest;

// Collects the Changed signals one connection receives, in arrival order.
class ChangeRecorder : public QObject {
    Q_OBJECT
  public:
    std::vector<std::string> changes;
  public Q_SLOTS:
    void OnChanged(const QString& item, const QString& value) {
        changes.push_back(item.toStdString() + "=" + value.toStdString());
    }
};

class DdeServerDbus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(EnsurePrivateBus().empty()) << "dbus-daemon did not start";
        items_.SetFieldCount(2);
        server_.SetItemSource(&items_);
        items_.SetListener(&server_);
        server_.SetExecuteHandler([this](const std::string& command) {
            commands_.push_back(command);
            return command.rfind("{SEND(", 0) == 0;
        });
    }

    QDBusMessage Call(const QString& method, const QVariantList& arguments = {}) {
        return CallAndWait(probe_, DdeCall(QStringLiteral("Quorvane.COM1"), method, arguments));
    }

    DdeServerItems items_;
    DbusDdeServer server_;
    std::vector<std::string> commands_;
    QDBusConnection probe_ = ProbeConnection(QStringLiteral("server-test-probe"));
};

TEST_F(DdeServerDbus, ServesTheItemsUnderTheTopicName) {
    const DdeServeStatus status = server_.Serve("COM1");
    ASSERT_EQ(status.result, DdeServeResult::Serving) << status.detail;
    EXPECT_EQ(status.busName, "Quorvane.COM1");
    items_.SetField(1, "12.5");
    items_.SetField(2, "\x80 5");  // the euro sign of the code page
    items_.SetRecordNumber("1");

    QDBusMessage reply = Call(QStringLiteral("Items"));
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.arguments().first().toStringList(),
              (QStringList{"Field(1)", "Field(2)", "RecordNumber", "DateTime"}));

    struct Case {
        const char* item;
        QString value;
    };
    for (const Case& c : {Case{"Field(1)", "12.5"}, Case{"field(2)", QString::fromUtf8("€ 5")},
                          Case{"RECORDNUMBER", "1"}, Case{"DateTime", ""}}) {
        reply = Call(QStringLiteral("Request"), {QString::fromLatin1(c.item)});
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << c.item;
        EXPECT_EQ(reply.arguments().first().toString(), c.value) << c.item;
    }
    for (const char* missing : {"Field(3)", "Field(0)", "Field (1)", "Nothing"}) {
        reply = Call(QStringLiteral("Request"), {QString::fromLatin1(missing)});
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << missing;
        EXPECT_EQ(reply.errorName(), "org.quorvane.Dde1.NoSuchItem") << missing;
    }
    // A huge name is quoted by its start only, not sent back whole.
    const QString huge = QStringLiteral("Field(1") + QString(1'000'000, QLatin1Char('9'));
    reply = Call(QStringLiteral("Request"), {huge});
    EXPECT_EQ(reply.errorName(), "org.quorvane.Dde1.NoSuchItem");
    EXPECT_EQ(reply.errorMessage(),
              QStringLiteral("No such item: ") + huge.left(100) + QChar(0x2026));
}

TEST_F(DdeServerDbus, ChangedFollowsEveryUpdateInOrderAlsoWhenValuesRepeat) {
    ASSERT_EQ(server_.Serve("COM1").result, DdeServeResult::Serving);
    ChangeRecorder recorder;
    ASSERT_TRUE(probe_.connect(QStringLiteral("Quorvane.COM1"), QStringLiteral("/org/quorvane/Dde"),
                               QStringLiteral("org.quorvane.Dde1"), QStringLiteral("Changed"),
                               &recorder, SLOT(OnChanged(QString, QString))));
    // A round trip after the subscription makes sure the match rule is in place.
    Call(QStringLiteral("Items"));

    for (int record = 1; record <= 2; ++record) {
        items_.SetField(1, "12.5");
        items_.SetField(2, std::string("a\0b", 3));
        items_.SetRecordNumber(std::to_string(record));
    }
    items_.SetField(1, "");  // a Reset empties the items: still an update
    const std::string nul =
        "a\xE2\x90\x80"
        "b";
    const std::vector<std::string> expected = {"Field(1)=12.5", "Field(2)=" + nul, "RecordNumber=1",
                                               "Field(1)=12.5", "Field(2)=" + nul, "RecordNumber=2",
                                               "Field(1)="};
    EXPECT_TRUE(SpinUntil([&] { return recorder.changes.size() >= expected.size(); }));
    EXPECT_EQ(recorder.changes, expected);
}

TEST_F(DdeServerDbus, ExecuteHandsTheCommandOnAndRefusalsAreTheRefusedError) {
    ASSERT_EQ(server_.Serve("COM1").result, DdeServeResult::Serving);
    QDBusMessage reply = Call(QStringLiteral("Execute"), {QString::fromUtf8("{SEND(é€)}")});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    reply = Call(QStringLiteral("Execute"), {QStringLiteral("{BOGUS}")});
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorName(), "org.quorvane.Dde1.Refused");
    // The check mark has no code-page byte: refused without reaching the handler.
    reply = Call(QStringLiteral("Execute"), {QString::fromUtf8("{SEND(✓)}")});
    EXPECT_EQ(reply.errorName(), "org.quorvane.Dde1.Refused");
    EXPECT_EQ(commands_, (std::vector<std::string>{"{SEND(\xE9\x80)}", "{BOGUS}"}));

    server_.SetExecuteHandler(nullptr);
    reply = Call(QStringLiteral("Execute"), {QStringLiteral("{SEND(OK)}")});
    EXPECT_EQ(reply.errorName(), "org.quorvane.Dde1.Refused");
}

TEST_F(DdeServerDbus, ASecondServerForTheSameTopicGetsNoNameUntilTheFirstReleases) {
    ASSERT_EQ(server_.Serve("Lab 2").result, DdeServeResult::Serving);
    DdeServerItems otherItems;
    DbusDdeServer second;
    second.SetItemSource(&otherItems);
    DdeServeStatus status = second.Serve("Lab 2");
    EXPECT_EQ(status.result, DdeServeResult::NameTaken);
    EXPECT_EQ(status.busName, "Quorvane.Lab_202");
    EXPECT_FALSE(second.Serving());
    second.ItemChanged("Field(1)", "x");  // harmless without a name

    // The first one still answers.
    items_.SetField(1, "first");
    QDBusMessage reply = CallAndWait(probe_, DdeCall("Quorvane.Lab_202", QStringLiteral("Request"),
                                                     {QStringLiteral("Field(1)")}));
    EXPECT_EQ(reply.arguments().value(0).toString(), "first");

    server_.Release();
    EXPECT_FALSE(server_.Serving());
    // Release returns once the daemon has let go, so nobody owns the name now.
    EXPECT_FALSE(NameHasOwner(probe_, QStringLiteral("Quorvane.Lab_202")));
    status = second.Serve("Lab 2");
    EXPECT_EQ(status.result, DdeServeResult::Serving);
    server_.Release();  // a second release does nothing
}

TEST_F(DdeServerDbus, ServingAnotherTopicReleasesTheFirst) {
    ASSERT_EQ(server_.Serve("SYSTEM").result, DdeServeResult::Serving);
    ASSERT_EQ(server_.Serve("COM3").result, DdeServeResult::Serving);
    EXPECT_FALSE(NameHasOwner(probe_, QStringLiteral("Quorvane.SYSTEM")));
    EXPECT_TRUE(NameHasOwner(probe_, QStringLiteral("Quorvane.COM3")));
}

TEST_F(DdeServerDbus, ATopicTooLongForABusNameFails) {
    const DdeServeStatus status = server_.Serve(std::string(100, '.'));
    EXPECT_EQ(status.result, DdeServeResult::Failed);
    EXPECT_FALSE(status.detail.empty());
}

TEST_F(DdeServerDbus, WithoutASessionBusTheServerSaysNoBus) {
    const std::string saved = ::getenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_FALSE(SessionBusAvailable());  // our XDG_RUNTIME_DIR has no bus socket
    DbusDdeServer server;
    EXPECT_EQ(server.Serve("COM1").result, DdeServeResult::NoBus);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);

    // A stale address: the daemon is not there.
    DbusDdeServer stale("unix:path=/nonexistent/quorvane-bus");
    EXPECT_EQ(stale.Serve("COM1").result, DdeServeResult::NoBus);
}

TEST(SessionBusTest, AddressFromTheEnvironmentElseTheRuntimeSocket) {
    ASSERT_FALSE(EnsurePrivateBus().empty());
    const auto never = [](const std::string&) { return false; };
    EXPECT_EQ(SessionBusAddressFrom("unix:path=/x", "/run/user/1", never), "unix:path=/x");
    EXPECT_EQ(SessionBusAddressFrom("", nullptr, never), std::nullopt);
    EXPECT_EQ(SessionBusAddressFrom(nullptr, "/run/user/1", never), std::nullopt);

    // A real socket at $XDG_RUNTIME_DIR/bus counts; a plain file does not.
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/bus";
    const std::string runtime = dir.path().toStdString();
    const auto isSocketHere = [](const std::string& p) {
        return SessionBusAddressFrom(nullptr, p.c_str(), [](const std::string&) { return true; });
    };
    EXPECT_EQ(isSocketHere("/run/user/1"), "unix:path=/run/user/1/bus");
    EXPECT_EQ(isSocketHere("/tmp/a,b c"), "unix:path=/tmp/a%2cb%20c/bus");
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof(addr.sun_path));
    path.copy(addr.sun_path, path.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    const std::string saved = ::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string savedRuntime = ::getenv("XDG_RUNTIME_DIR");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(SessionBusAddress(), "unix:path=" + path);
    ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
    EXPECT_EQ(SessionBusAddress(), std::nullopt);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
    ::close(fd);
}

}  // namespace
}  // namespace quorvane

#include "DdeServerDbusTest.moc"
