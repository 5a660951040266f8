#include "runtime/SessionCommandHost.h"

#include <memory>
#include <utility>

#include "config/ConfigFile.h"
#include "serial/PortDriver.h"

namespace quorvane {

SessionCommandHost::SessionCommandHost(RuntimeSession& session, SetupGlobals& g, SerialPort& port,
                                       Messages& messages, LinkMenuHandler* links,
                                       LinkClipboard* clipboard)
    : session_(session),
      g_(g),
      port_(port),
      messages_(messages),
      links_(links),
      clipboard_(clipboard) {}

void SessionCommandHost::RecomputeEditMenu() {
    if (links_) links_->RecomputeEditMenu();
}

bool SessionCommandHost::IsLinkItemEnabled(LinkMenuItem item) const {
    return links_ != nullptr && links_->IsLinkItemEnabled(item);
}

void SessionCommandHost::PerformLinkItem(LinkMenuItem item) {
    if (links_) links_->PerformLinkItem(item);
}

bool SessionCommandHost::ReloadConfiguration() {
    // The new file is read over a copy of the current settings, as every load is, so what
    // an older file does not carry keeps its value. A file that does not load leaves the
    // session untouched, port included.
    auto loaded = std::make_shared<SetupGlobals>(g_);
    if (!ReadConfigFile(*loaded, messages_)) return false;
    // A command that arrives while a tick waits inside delivery must not change the settings
    // and the port under that tick: the switch waits until the tick is over.
    session_.RunAfterTick([this, loaded] { Apply(*loaded); });
    return true;
}

void SessionCommandHost::Apply(SetupGlobals& loaded) {
    // Output queued meanwhile is not the configuration's to drop.
    loaded.OutputQueue = std::move(g_.OutputQueue);
    g_ = std::move(loaded);
    // The device keeps its DTR and RTS across the reopen: only the handle is closed.
    port_.Close();
    OpenPort(g_, port_, messages_);  // a failure has shown its message; the reload goes on
    session_.Activate();
}

}  // namespace quorvane
