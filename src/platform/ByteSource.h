// Where the record engine's bytes come from: the serial port, or the virtual device.
#pragma once

#include <cstdint>

namespace quorvane {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Returns 1 and the next byte when one is waiting, 0 when nothing is (a failed read also
    // counts as 0). Never waits.
    virtual int ReadPortByte(uint8_t& byte) = 0;
};

}  // namespace quorvane
