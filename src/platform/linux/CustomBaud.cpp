#include "platform/linux/CustomBaud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace quorvane {

int SetCustomBaud(int fd, uint32_t baud, uint32_t& actual) {
    actual = 0;
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return errno;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ospeed = baud;
    t.c_ispeed = baud;
    if (ioctl(fd, TCSETS2, &t) != 0) return errno;
    struct termios2 got {};
    if (ioctl(fd, TCGETS2, &got) != 0) return errno;
    actual = got.c_ospeed;
    return 0;
}

}  // namespace quorvane
