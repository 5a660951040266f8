// Shared set-up of the D-Bus tests: one QCoreApplication and one private dbus-daemon per
// test process, with DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR pointing at our own, so
// the desktop's bus is never touched. Waits run the event loop with a deadline.
#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <string>

namespace quorvane::dbustest {

constexpr int kDeadlineMs = 15000;  // generous: the machine is shared

inline pid_t& DaemonPid() {
    static pid_t pid = 0;
    return pid;
}

inline void StopDaemon() {
    if (DaemonPid() > 0) ::kill(DaemonPid(), SIGTERM);
}

// Starts the application object and the private bus once; returns the bus address (empty
// when the daemon could not be started).
inline std::string EnsurePrivateBus() {
    static std::string address = [] {
        static int argc = 1;
        static char name[] = "quorvane_dbus_tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed: connections may still be open when the process ends.
        new QCoreApplication(argc, argv);
        static QTemporaryDir runtimeDir;
        QFile::setPermissions(runtimeDir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ::setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 1);
        // The daemon is our child and dies with us, also when the test is killed.
        auto* daemon = new QProcess;
        daemon->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon->start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        QByteArray line;
        while (!line.contains('\n') && daemon->waitForReadyRead(kDeadlineMs))
            line += daemon->readAllStandardOutput();
        if (!line.contains('\n')) return std::string();
        DaemonPid() = static_cast<pid_t>(daemon->processId());
        ::atexit(StopDaemon);
        const QStringList lines = QString::fromUtf8(line).split(u'\n', Qt::SkipEmptyParts);
        const std::string found = lines[0].trimmed().toStdString();
        ::setenv("DBUS_SESSION_BUS_ADDRESS", found.c_str(), 1);
        return found;
    }();
    return address;
}

// Runs the event loop until done() holds or the deadline passes; true when done() held.
inline bool SpinUntil(const std::function<bool()>& done, int deadlineMs = kDeadlineMs) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > deadlineMs) loop.quit();
    });
    check.start(5);
    if (!done()) loop.exec();
    return done();
}

// A method call answered while the event loop runs (the server may be in this process).
inline QDBusMessage CallAndWait(QDBusConnection& connection, const QDBusMessage& call) {
    QDBusPendingCall pending = connection.asyncCall(call, kDeadlineMs);
    SpinUntil([&] { return pending.isFinished(); });
    return pending.reply();
}

inline QDBusMessage DdeCall(const QString& busName, const QString& method,
                            const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(busName, QStringLiteral("/org/quorvane/Dde"),
                                                       QStringLiteral("org.quorvane.Dde1"), method);
    call.setArguments(arguments);
    return call;
}

// Whether the bus name has an owner now, asked over connection.
inline bool NameHasOwner(QDBusConnection& connection, const QString& name) {
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << name;
    const QDBusMessage reply = CallAndWait(connection, ask);
    return !reply.arguments().isEmpty() && reply.arguments().first().toBool();
}

// A bus connection of the test's own, as another program would have.
inline QDBusConnection ProbeConnection(const QString& name) {
    return QDBusConnection::connectToBus(QString::fromStdString(EnsurePrivateBus()), name);
}

}  // namespace quorvane::dbustest
