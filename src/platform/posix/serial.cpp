// Serial ports for log channels: "comN" is /dev/ttyS(N-1), set to 19200 baud, 8 data bits, no
// parity, one stop bit.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {

int openSerialPort(const char* name) {
    if (!name || std::strncmp(name, "com", 3) != 0) return -1;
    const char* digits = name + 3;
    if (*digits < '1' || *digits > '9') return -1;
    char* end = nullptr;
    long n = std::strtol(digits, &end, 10);
    if (n < 1 || n > 256) return -1;

    char device[32];
    std::snprintf(device, sizeof device, "/dev/ttyS%ld", n - 1);
    // Existing device only (no O_CREAT); O_NONBLOCK so a port without carrier does not hang the
    // open, cleared again below so that writes behave like the blocking port writes of old.
    int fd = ::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    // Not shared: a second opener of the port is refused while the log holds it.
    if (::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return -1;
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return -1;
    }
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B19200);
    ::cfsetospeed(&t, B19200);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        ::close(fd);
        return -1;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

void writeSerialPort(int fd, const void* data, size_t size) {
    if (fd < 0) return;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // output errors are ignored, like every log output error
        p += n;
        size -= static_cast<size_t>(n);
    }
}

void closeSerialPort(int fd) {
    if (fd >= 0) ::close(fd);
}

}  // namespace platform
