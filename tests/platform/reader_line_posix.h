// What the reader's line needs of a terminal's settings, for the tests of
// whatever sets one up: SetRawLine itself, the library's port and
// qor-sim's lines.
#ifndef QORPLATFORM_TESTS_READER_LINE_POSIX_H
#define QORPLATFORM_TESTS_READER_LINE_POSIX_H

#include <termios.h>

#include <string>

namespace readerline {

struct Setting {
    const char* name;
    tcflag_t termios::*flags;
    tcflag_t mask;
    tcflag_t wanted;  // the bits of `mask` the reader's line has
};

inline constexpr Setting kReaderLine[] = {
    // Bytes reach the protocol as sent: nothing taken, changed or added.
    {"IXON", &termios::c_iflag, IXON, 0},
    {"IXOFF", &termios::c_iflag, IXOFF, 0},
    {"IXANY", &termios::c_iflag, IXANY, 0},
    {"ICRNL", &termios::c_iflag, ICRNL, 0},
    {"INLCR", &termios::c_iflag, INLCR, 0},
    {"IGNCR", &termios::c_iflag, IGNCR, 0},
    {"ISTRIP", &termios::c_iflag, ISTRIP, 0},
    {"INPCK", &termios::c_iflag, INPCK, 0},
    {"PARMRK", &termios::c_iflag, PARMRK, 0},
    {"BRKINT", &termios::c_iflag, BRKINT, 0},
    {"IGNBRK", &termios::c_iflag, IGNBRK, 0},
    {"OPOST", &termios::c_oflag, OPOST, 0},
    {"ICANON", &termios::c_lflag, ICANON, 0},
    {"ECHO", &termios::c_lflag, ECHO, 0},
    {"ECHONL", &termios::c_lflag, ECHONL, 0},
    {"ISIG", &termios::c_lflag, ISIG, 0},
    {"IEXTEN", &termios::c_lflag, IEXTEN, 0},
    // 8N1, and sending never waits for a modem line the reader does not drive.
    {"CS8", &termios::c_cflag, CSIZE, CS8},
    {"PARENB", &termios::c_cflag, PARENB, 0},
    {"CSTOPB", &termios::c_cflag, CSTOPB, 0},
    {"CRTSCTS", &termios::c_cflag, CRTSCTS, 0},
    {"CLOCAL", &termios::c_cflag, CLOCAL, CLOCAL},
    {"CREAD", &termios::c_cflag, CREAD, CREAD},
};

// A terminal as an interactive shell leaves it, with flow control both ways
// and 7E2 from an earlier program: every setting of the table the wrong way.
inline termios AsAShellLeavesIt(termios tio) {
    tio.c_iflag |=
        IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK | BRKINT | IGNBRK;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_lflag |= ICANON | ECHO | ECHONL | ISIG | IEXTEN;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CLOCAL | CREAD);
    tio.c_cflag |= CS7 | PARENB | CSTOPB | CRTSCTS;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 5;
    return tio;
}

// The settings of `tio` the reader's line does not have, by name; empty
// when it is set up as the protocol needs.
inline std::string WrongSettings(const termios& tio) {
    std::string wrong;
    for (const Setting& setting : kReaderLine) {
        if ((tio.*setting.flags & setting.mask) != setting.wanted)
            wrong += std::string(" ") + setting.name;
    }
    // A read returns as soon as one byte is there, and not before.
    if (tio.c_cc[VMIN] != 1) wrong += " VMIN";
    if (tio.c_cc[VTIME] != 0) wrong += " VTIME";
    return wrong;
}

}  // namespace readerline

#endif  // QORPLATFORM_TESTS_READER_LINE_POSIX_H
