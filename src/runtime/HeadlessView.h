// The runtime view of the headless runner: no window, so the only things worth saying are
// that the device went away and that it is back, each said once, on standard error in the
// string table's words. The end of the session is handed to a callback (the event loop).
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "runtime/RuntimeView.h"

namespace quorvane {

class HeadlessView : public RuntimeView {
  public:
    // portName names the port in the messages; onClosed runs when the session unloads.
    HeadlessView(std::ostream& out, std::string portName, std::function<void()> onClosed);

    void SetPortLost(bool lost, const SerialError& reason) override;
    void Closed() override;

  private:
    std::ostream& out_;
    std::string portName_;
    std::function<void()> onClosed_;
    bool lost_ = false;
    std::string device_;  // the device that went away, for the message when it is back
};

}  // namespace quorvane
