// Baud rates that have no termios speed constant (14400), through the kernel's arbitrary-rate
// attributes. Kept apart because the kernel's termios header cannot share a file with the C
// library's.
#pragma once

#include <cstdint>

namespace quorvane {

// Sets input and output speed of the open terminal fd to baud. Returns 0 on success with the
// rate the device reports in actual, else the errno of the failure.
int SetCustomBaud(int fd, uint32_t baud, uint32_t& actual);

}  // namespace quorvane
