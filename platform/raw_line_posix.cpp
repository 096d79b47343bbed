#include "raw_line_posix.h"

namespace qorplatform {
namespace {

struct Rate {
    std::int32_t baud;
    speed_t speed;
};

// Only the rates termios names: a custom divisor would need ioctls that
// pseudo-terminals and many USB adapters refuse, so those rates fail the open.
constexpr Rate kRates[] = {
    {50, B50},           {75, B75},     {110, B110},   {134, B134},     {150, B150},
    {200, B200},         {300, B300},   {600, B600},   {1200, B1200},   {1800, B1800},
    {2400, B2400},       {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
#ifdef B57600
    {57600, B57600},
#endif
#ifdef B115200
    {115200, B115200},
#endif
#ifdef B230400
    {230400, B230400},
#endif
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},
#endif
#ifdef B576000
    {576000, B576000},
#endif
#ifdef B921600
    {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000},
#endif
#ifdef B1152000
    {1152000, B1152000},
#endif
#ifdef B1500000
    {1500000, B1500000},
#endif
#ifdef B2000000
    {2000000, B2000000},
#endif
#ifdef B2500000
    {2500000, B2500000},
#endif
#ifdef B3000000
    {3000000, B3000000},
#endif
#ifdef B3500000
    {3500000, B3500000},
#endif
#ifdef B4000000
    {4000000, B4000000},
#endif
};

// Raw 8N1 by hand rather than cfmakeraw, which leaves RTS/CTS and outgoing
// XON/XOFF as the line's last user set them: the reader's line has neither,
// and a line left with RTS/CTS on would never send.
void MakeRaw(termios& tio) {
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

}  // namespace

std::optional<speed_t> SpeedFor(std::int32_t baud) {
    for (const Rate& rate : kRates) {
        if (rate.baud == baud) return rate.speed;
    }
    return std::nullopt;
}

bool SetRawLine(int fd, const termios& found, speed_t speed) {
    termios tio = found;
    MakeRaw(tio);
    termios applied{};
    // tcsetattr succeeds when any part of the change took, so the result is
    // read back to see whether the rate did.
    return ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0 &&
           ::tcsetattr(fd, TCSANOW, &tio) == 0 && ::tcgetattr(fd, &applied) == 0 &&
           ::cfgetospeed(&applied) == speed;
}

}  // namespace qorplatform
