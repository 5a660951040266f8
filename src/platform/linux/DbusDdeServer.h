// The DDE server on the D-Bus session bus. Each server has a bus connection of its own, so
// a second server in the same process meets the first one on the bus the way a second
// program does (and gets no name).
#pragma once

#include <QDBusConnection>
#include <QString>
#include <memory>

#include "platform/DdeServer.h"

namespace quorvane {

class DbusDdeObject;

class DbusDdeServer : public DdeServer {
  public:
    // address: the bus to use; empty = the session bus found by SessionBusAddress().
    explicit DbusDdeServer(std::string address = {});
    ~DbusDdeServer() override;
    DbusDdeServer(const DbusDdeServer&) = delete;
    DbusDdeServer& operator=(const DbusDdeServer&) = delete;

    DdeServeStatus Serve(const std::string& topic) override;
    bool Serving() const override { return serving_; }
    void Release() override;
    void SetItemSource(const DdeItemSource* source) override { source_ = source; }
    void SetExecuteHandler(DdeExecuteHandler handler) override { handler_ = std::move(handler); }
    void ItemChanged(const std::string& item, const std::string& value) override;

    // The bus name served now (empty when not serving).
    const std::string& BusName() const { return busName_; }

  private:
    void Disconnect();

    std::string address_;
    QString connectionName_;
    std::unique_ptr<QDBusConnection> connection_;
    DbusDdeObject* object_ = nullptr;  // deleted later: a command may release the server
    const DdeItemSource* source_ = nullptr;
    DdeExecuteHandler handler_;
    std::string busName_;
    bool serving_ = false;
};

}  // namespace quorvane
