// The reader's line as SetRawLine sets a port up from the state a terminal
// program left it in.
#include <gtest/gtest.h>

#include "raw_line_win32.h"

namespace qorplatform {
namespace {

struct Setting {
    const char* name;
    DWORD (*of)(const DCB&);
    DWORD wanted;
};

constexpr Setting kReaderLine[] = {
    {"BaudRate", [](const DCB& d) -> DWORD { return d.BaudRate; }, 19200},
    {"fBinary", [](const DCB& d) -> DWORD { return d.fBinary; }, TRUE},
    {"fParity", [](const DCB& d) -> DWORD { return d.fParity; }, FALSE},
    {"fOutxCtsFlow", [](const DCB& d) -> DWORD { return d.fOutxCtsFlow; }, FALSE},
    {"fOutxDsrFlow", [](const DCB& d) -> DWORD { return d.fOutxDsrFlow; }, FALSE},
    {"fDtrControl", [](const DCB& d) -> DWORD { return d.fDtrControl; }, DTR_CONTROL_ENABLE},
    {"fDsrSensitivity", [](const DCB& d) -> DWORD { return d.fDsrSensitivity; }, FALSE},
    {"fTXContinueOnXoff", [](const DCB& d) -> DWORD { return d.fTXContinueOnXoff; }, TRUE},
    {"fOutX", [](const DCB& d) -> DWORD { return d.fOutX; }, FALSE},
    {"fInX", [](const DCB& d) -> DWORD { return d.fInX; }, FALSE},
    {"fErrorChar", [](const DCB& d) -> DWORD { return d.fErrorChar; }, FALSE},
    {"fNull", [](const DCB& d) -> DWORD { return d.fNull; }, FALSE},
    {"fRtsControl", [](const DCB& d) -> DWORD { return d.fRtsControl; }, RTS_CONTROL_ENABLE},
    {"fAbortOnError", [](const DCB& d) -> DWORD { return d.fAbortOnError; }, FALSE},
    {"ByteSize", [](const DCB& d) -> DWORD { return d.ByteSize; }, 8},
    {"Parity", [](const DCB& d) -> DWORD { return d.Parity; }, NOPARITY},
    {"StopBits", [](const DCB& d) -> DWORD { return d.StopBits; }, ONESTOPBIT},
};

// Hardware and XON/XOFF flow control, 7E2 and every error option on.
DCB AsATerminalProgramLeavesIt() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 9600;
    dcb.fBinary = FALSE;
    dcb.fParity = TRUE;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fOutxDsrFlow = TRUE;
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.fDsrSensitivity = TRUE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.fErrorChar = TRUE;
    dcb.fNull = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fAbortOnError = TRUE;
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
    dcb.StopBits = TWOSTOPBITS;
    return dcb;
}

TEST(RawLine, SetsEveryFieldTheReaderNeedsOnAPortATerminalProgramLeft) {
    const DCB found = AsATerminalProgramLeavesIt();
    const DCB set = RawLineSettings(found, 19200);
    for (const Setting& setting : kReaderLine) {
        ASSERT_NE(setting.of(found), setting.wanted) << setting.name << " starts right";
        EXPECT_EQ(setting.of(set), setting.wanted) << setting.name;
    }
    EXPECT_EQ(set.DCBlength, sizeof set);
}

}  // namespace
}  // namespace qorplatform
