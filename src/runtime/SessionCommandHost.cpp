#include "runtime/SessionCommandHost.h"

#include <utility>

#include "config/ConfigFile.h"
#include "serial/PortDriver.h"

namespace quorvane {

SessionCommandHost::SessionCommandHost(RuntimeSession& session, SetupGlobals& g, SerialPort& port,
                                       Messages& messages)
    : session_(session), g_(g), port_(port), messages_(messages) {}

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
    // The new file is read as at startup, over File New settings, so nothing of the old
    // configuration leaks into it; the queued output and the run mode carry over. A file
    // that does not load leaves the session untouched, port included.
    SetupGlobals loaded = g_;
    ResetToDefaults(loaded, HomeDirectory());
    if (!ReadConfigFile(loaded, messages_)) return false;
    g_ = std::move(loaded);
    // The device keeps its DTR and RTS across the reopen: only the handle is closed.
    port_.Close();
    OpenPort(g_, port_, messages_);  // a failure has shown its message; the reload goes on
    session_.Activate();
    return true;
}

}  // namespace quorvane
