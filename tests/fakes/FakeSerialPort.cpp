#include "fakes/FakeSerialPort.h"

namespace quorvane {

void FakeSerialPort::Record(std::string what) {
    calls.push_back({std::move(what), clock ? clock->TickCount() : 0});
}

SerialError FakeSerialPort::Answer() {
    if (openResults.empty()) return {};
    SerialError e = openResults.front();
    openResults.pop_front();
    return e;
}

SerialError FakeSerialPort::Open(const std::string& name, const LineRequest& lines) {
    Record("Open " + name);
    open = false;
    portName = name;
    request = lines;
    SerialError e = Answer();
    if (e.Failed()) return e;
    open = true;
    lost = false;
    lossReason = {};
    dtr = lines.DtrOn;
    rts = lines.Rts != RtsControl::Off;
    return e;
}

SerialError FakeSerialPort::Reopen() {
    Record("Reopen " + portName);
    SerialError e = Answer();
    if (e.Failed()) return e;
    open = true;
    lost = false;
    lossReason = {};
    dtr = request.DtrOn;
    rts = request.Rts != RtsControl::Off;
    return e;
}

void FakeSerialPort::Close() {
    Record("Close");
    open = false;
    peeked_ = 0;
}

size_t FakeSerialPort::PeekBytes(const uint8_t*& data) {
    peeked_ = open ? input.size() : 0;
    if (peeked_ > 0) data = reinterpret_cast<const uint8_t*>(input.data());
    return peeked_;
}

void FakeSerialPort::ConsumeBytes(size_t n) {
    n = std::min(n, peeked_);
    peeked_ -= n;
    input.erase(0, n);
}

size_t FakeSerialPort::Write(std::string_view bytes) {
    size_t n = open ? bytes.size() : 0;
    if (open && !writeLimits.empty()) {
        n = std::min(n, writeLimits.front());
        writeLimits.pop_front();
    }
    Record("Write " + std::string(bytes.substr(0, n)));
    written.append(bytes.substr(0, n));
    return n;
}

void FakeSerialPort::SetDtr(bool on) {
    Record(on ? "SetDtr 1" : "SetDtr 0");
    if (open) dtr = on;
}

void FakeSerialPort::SetRts(bool on) {
    Record(on ? "SetRts 1" : "SetRts 0");
    if (open) rts = on;
}

void FakeSerialPort::StartBreak() {
    Record("StartBreak");
    if (open) breakOn = true;
}

void FakeSerialPort::EndBreak() {
    Record("EndBreak");
    breakOn = false;
}

void FakeSerialPort::PurgeQueues() {
    Record("PurgeQueues");
    input.clear();
    peeked_ = 0;
}

uint32_t FakeSerialPort::ReadModemStatus() {
    return open ? modemStatus : 0;
}

void FakeSerialPort::Lose(int osError, const std::string& osMessage) {
    open = false;
    lost = true;
    lossReason = {SerialErrorKind::Lost, osError, osMessage, "", ""};
}

std::vector<std::string> FakeSerialPort::CallNames() const {
    std::vector<std::string> names;
    for (const Call& c : calls) names.push_back(c.What);
    return names;
}

}  // namespace quorvane
