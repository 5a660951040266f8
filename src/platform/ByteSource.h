// Where the record engine's bytes come from: the serial port, or the virtual device.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvane {

class ByteSource {
  public:
    virtual ~ByteSource() = default;

    // The received bytes that are at hand now, without waiting: sets data to the first and
    // returns how many, or returns 0 (data untouched) when nothing is waiting, the source is
    // closed or a read failed. It may hand out fewer than are waiting (the rest comes after
    // ConsumeBytes), and it hands out the same bytes again until they are consumed.
    // The bytes belong to the source and stay valid only until the next call on it or on
    // anything that feeds or empties it (a purge, a reset, new input): read them before
    // calling out.
    virtual size_t PeekBytes(const uint8_t*& data) = 0;
    // Removes the first n of the bytes the last PeekBytes handed out (at most that many).
    // Bytes that a purge or reset has dropped since are not removed twice: after one, this
    // removes nothing, and input that arrived later stays.
    virtual void ConsumeBytes(size_t n) = 0;

    // One byte at a time over the two calls above: 1 and the byte, which is consumed before
    // the caller sees it, or 0 when nothing is at hand.
    int ReadPortByte(uint8_t& byte) {
        const uint8_t* data = nullptr;
        if (PeekBytes(data) == 0) return 0;
        byte = data[0];
        ConsumeBytes(1);
        return 1;
    }
};

}  // namespace quorvane
