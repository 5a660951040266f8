#include "runtime/HeadlessView.h"

#include "serial/PortMessages.h"

namespace quorvane {

HeadlessView::HeadlessView(std::ostream& out, std::string portName, std::function<void()> onClosed)
    : out_(out), portName_(std::move(portName)), onClosed_(std::move(onClosed)) {}

void HeadlessView::SetPortLost(bool lost, const SerialError& reason) {
    if (lost == lost_) return;
    lost_ = lost;
    if (lost) {
        device_ = reason.DevicePath;
        const PortMessage m = OpenFailureMessage(portName_, reason);
        if (!m.Title.empty()) out_ << m.Title << ": ";
        out_ << m.Text << '\n';
    } else {
        out_ << portName_ << ' ' << (device_.empty() ? std::string() : device_ + ' ') << "is back."
             << '\n';
    }
    out_.flush();
}

void HeadlessView::Closed() {
    if (onClosed_) onClosed_();
}

}  // namespace quorvane
