// The object exported at /org/quorvane/Dde with the interface org.quorvane.Dde1. It only
// translates between bus strings and the server's byte-string callbacks; the rules live in
// DbusDdeServer and the core.
#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/DdeServer.h"

namespace quorvane {

class DbusDdeObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quorvane.Dde1")

  public:
    // Both may change while exported; a null source serves no items, a null handler
    // refuses every command.
    DbusDdeObject(const DdeItemSource* const* source, const DdeExecuteHandler* handler)
        : source_(source), handler_(handler) {}
    // Cuts the object off from its server before the server goes away: a call already queued
    // for the deleted-later object then answers as a server without items or commands.
    void Detach() {
        source_ = nullptr;
        handler_ = nullptr;
    }

  public Q_SLOTS:
    void Execute(const QString& command);
    QString Request(const QString& item);
    QStringList Items();

  Q_SIGNALS:
    // Sent by the server itself (DbusDdeServer::ItemChanged); declared for introspection.
    void Changed(const QString& item, const QString& value);

  private:
    const DdeItemSource* const* source_;
    const DdeExecuteHandler* handler_;
};

}  // namespace quorvane
