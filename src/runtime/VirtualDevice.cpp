#include "runtime/VirtualDevice.h"

#include <algorithm>

namespace quorvane {

size_t VirtualDevice::PeekBytes(const uint8_t*& data) {
    peeked_ = input_.size() - readPos_;
    if (peeked_ > 0) data = reinterpret_cast<const uint8_t*>(input_.data()) + readPos_;
    return peeked_;
}

void VirtualDevice::ConsumeBytes(size_t n) {
    n = std::min(n, peeked_);
    peeked_ -= n;
    readPos_ += n;
    if (readPos_ == input_.size()) {
        input_.clear();
        readPos_ = 0;
    }
}

void VirtualDevice::SendInput(std::string_view bytes) {
    // The read part goes only when it is at least half, so reading stays linear.
    if (readPos_ > 0 && readPos_ >= input_.size() - readPos_) {
        input_.erase(0, readPos_);
        readPos_ = 0;
    }
    input_.append(bytes);
}

void VirtualDevice::ClearPendingInput() {
    input_.clear();
    readPos_ = 0;
    peeked_ = 0;
}

std::string_view VirtualDevice::PendingInput() const {
    return std::string_view(input_).substr(readPos_);
}

}  // namespace quorvane
