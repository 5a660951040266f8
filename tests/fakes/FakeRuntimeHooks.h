// Recording DDE and hot key hooks and a virtual device for runtime session tests.
#pragma once

#include <string>

#include "CallLog.h"
#include "runtime/DdeHooks.h"
#include "runtime/HotKeyHooks.h"
#include "runtime/VirtualDevice.h"

namespace quorvane {

// Listens to the session's items the way the bus hooks do, and logs every update.
class FakeDdeHooks : public DdeHooks, private DdeItemListener {
  public:
    explicit FakeDdeHooks(CallLog* log) : log_(log) {}
    void InitializeClient() override { log_->Add("hooks.InitializeClient"); }
    void ShutdownClient() override { log_->Add("hooks.ShutdownClient"); }
    void SetTopic(const std::string& topic) override { log_->Add("hooks.SetTopic(" + topic + ")"); }
    void AttachItems(DdeServerItems* items) override {
        items_ = items;
        if (items) items->SetListener(this);
    }
    const DdeServerItems* items() const { return items_; }
    void EstablishCommandLink() override { log_->Add("hooks.CommandLink"); }
    void EstablishBufferLink() override { log_->Add("hooks.BufferLink"); }
    void DisconnectServerClients() override { log_->Add("hooks.DisconnectClients"); }

  private:
    void ItemChanged(const std::string& item, const std::string& text) override {
        log_->Add("hooks.Item(" + item + "," + text + ")");
    }

    CallLog* log_;
    DdeServerItems* items_ = nullptr;
};

class FakeHotKeyHooks : public HotKeyHooks {
  public:
    explicit FakeHotKeyHooks(CallLog* log) : log_(log) {}
    void Program(const SetupGlobals&) override { log_->Add("hotkeys.Program"); }
    void Release() override { log_->Add("hotkeys.Release"); }

  private:
    CallLog* log_;
};

class FakeVirtualDevice : public VirtualDevice {
  public:
    void ShowOutput(const std::string& text) override {
        display += text;
        ++shows;
    }
    void Close() override { closed = true; }

    std::string display;
    int shows = 0;
    bool closed = false;
};

}  // namespace quorvane
