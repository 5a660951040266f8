// The fake desktop portal (quorvane_fake_portal) as a child of the test, on the test's
// private session bus, and the calls it recorded.
#pragma once

#include <signal.h>
#include <sys/prctl.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>
#include <memory>
#include <ostream>
#include <string>

#include "delivery/DbusTestBus.h"

// Readable QString and QStringList in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace quorvane::portaltest {

class FakePortalProcess {
  public:
    // Starts the portal with options (see FakePortal.cpp) and waits until it owns its name.
    explicit FakePortalProcess(const QStringList& options = {}) {
        dbustest::EnsurePrivateBus();
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(QUORVANE_FAKE_PORTAL), options);
        QByteArray out;
        while (!out.contains("ready\n") && process_.waitForReadyRead(dbustest::kDeadlineMs))
            out += process_.readAllStandardOutput();
        ready_ = out.contains("ready\n");
    }
    ~FakePortalProcess() {
        process_.terminate();
        process_.waitForFinished(dbustest::kDeadlineMs);
    }

    bool Ready() const { return ready_; }

    QStringList Calls() const { return Test(QStringLiteral("Calls")).arguments().value(0).toStringList(); }
    // The recorded calls whose line starts with prefix.
    QStringList CallsStartingWith(const QString& prefix) const {
        QStringList found;
        for (const QString& call : Calls())
            if (call.startsWith(prefix)) found << call;
        return found;
    }
    // The recorded calls without the key events.
    QStringList Handshake() const {
        QStringList found;
        for (const QString& call : Calls())
            if (!call.startsWith(QStringLiteral("RemoteDesktop.NotifyKeyboard"))) found << call;
        return found;
    }

    QDBusMessage Test(const QString& method, const QVariantList& args = {}) const {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.quorvane.test.FakePortal"), method);
        call.setArguments(args);
        return QDBusConnection::sessionBus().call(call, QDBus::Block, dbustest::kDeadlineMs);
    }

  private:
    QProcess process_;
    bool ready_ = false;
};

}  // namespace quorvane::portaltest
