#include "raw_line_win32.h"

namespace qorplatform {

DCB RawLineSettings(const DCB& found, DWORD baud) {
    DCB dcb = found;
    dcb.BaudRate = baud;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    // On: some readers draw their power from DTR and RTS.
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    // Left on, a line error would fail every later read until cleared.
    dcb.fAbortOnError = FALSE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    return dcb;
}

bool SetRawLine(HANDLE line, const DCB& found, DWORD baud) {
    DCB dcb = RawLineSettings(found, baud);
    DCB applied{};
    applied.DCBlength = sizeof applied;
    // Read back, as with termios, in case a driver settled for another rate.
    return SetCommState(line, &dcb) && GetCommState(line, &applied) &&
           applied.BaudRate == dcb.BaudRate;
}

}  // namespace qorplatform
