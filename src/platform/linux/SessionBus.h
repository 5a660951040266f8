// Finding the D-Bus session bus without starting one: DBUS_SESSION_BUS_ADDRESS when it is
// set, otherwise the standard socket $XDG_RUNTIME_DIR/bus when it exists. Without either
// the program runs without the DDE features (DdeNoBusText says so); no bus is launched.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quorvane {

// The rule over given values, for tests: envAddress and runtimeDir may be null or empty;
// isSocket tells whether a path is a socket.
std::optional<std::string> SessionBusAddressFrom(
    const char* envAddress, const char* runtimeDir,
    const std::function<bool(const std::string&)>& isSocket);
// The address from this process's environment and file system.
std::optional<std::string> SessionBusAddress();
bool SessionBusAvailable();

// A method call to the bus daemon itself (RequestName, ReleaseName, GetNameOwner ...).
QDBusMessage BusDaemonCall(const char* method);
// A private connection under name to address, or to the session bus when address is
// empty; null when there is no bus or it refuses us (error then holds the bus's reason, when
// there is one), with nothing left registered under name.
std::unique_ptr<QDBusConnection> ConnectNamed(const std::string& address, const QString& name,
                                              QString* error = nullptr);
// Blocking questions to the bus daemon (another process, so nothing of ours has to run
// meanwhile): the unique owner of a name, and the well-known name that equals busName when
// letter case is ignored (the first in sorted order, so the choice is stable). Empty when
// there is none or the daemon does not answer within timeoutMs.
QString BusNameOwner(QDBusConnection& connection, const QString& busName, int timeoutMs);
QString BusNameIgnoringCase(QDBusConnection& connection, const QString& busName, int timeoutMs);
// A connection name of its own for each server, client and link object of this process, so
// that each talks to the bus as a separate peer: prefix + a running number.
QString NextConnectionName(const char* prefix);

}  // namespace quorvane
