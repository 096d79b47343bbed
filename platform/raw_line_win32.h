// A serial line as the reader's protocol needs it, through the Win32 comm
// functions: raw 8N1, no flow control. The library sets its port up so, and
// qor-sim its --device line, so each reads what the other sends.
#ifndef QORPLATFORM_RAW_LINE_WIN32_H
#define QORPLATFORM_RAW_LINE_WIN32_H

#include <windows.h>

namespace qorplatform {

// Sets the port `line` to raw 8N1 at `baud`, starting from `found`, its
// state as GetCommState gave it: no flow control or handshake of any kind,
// DTR and RTS on. False when the port refused, or did not take the rate.
bool SetRawLine(HANDLE line, const DCB& found, DWORD baud);

// The state SetRawLine gives the port: `found` with every setting the
// reader's line depends on made so. Wine keeps only some of a DCB's fields,
// so this is what the tests read.
DCB RawLineSettings(const DCB& found, DWORD baud);

}  // namespace qorplatform

#endif  // QORPLATFORM_RAW_LINE_WIN32_H
