/* The reader library's C interface: three functions, plain 32-bit results.
 *
 * The program binds these by name at run time, so the names and argument
 * order are the contract; the result codes below are this implementation's
 * own. Nothing here throws: every failure is a negative result.
 */
#ifndef QORCOMM_H
#define QORCOMM_H

#include <stdint.h>

/* The Windows build of the library is a 32-bit __stdcall DLL; keep the
 * calling convention in one place so a binding on that side can reuse it. */
#if defined(_WIN32) && !defined(_WIN64)
#define QORCOMM_CALL __stdcall
#else
#define QORCOMM_CALL
#endif

#if defined(_WIN32)
#define QORCOMM_EXPORT __declspec(dllexport)
#else
#define QORCOMM_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
enum {
    QOR_OK = 0,     /* read done, or port closed */
    QOR_OPENED = 1, /* CROpenCom: the port is open */

    QOR_E_ARGUMENT = -1,     /* null port or sn, empty or over-long port name
                                (PATH_MAX bytes or more on Linux; on Windows
                                more than 3 bytes for each of the 32767 UTF-16
                                units of the longest path), card or code type
                                out of range; nothing else is done */
    QOR_E_NO_DEVICE = -2,    /* the port name leads to nothing that can be opened */
    QOR_E_NOT_TERMINAL = -3, /* it is not a terminal device (regular file,
                                directory, pipe, ...); nothing was written */
    QOR_E_BAUD = -4,         /* the platform cannot set this baud rate */
    QOR_E_IO = -5,           /* a system call on the port failed (device gone) */
    QOR_E_NOT_OPEN = -6,     /* CRReadCardSN without an open port */
    QOR_E_TIMEOUT = -7,      /* no byte of an answer within the answer timeout
                                (whole answers to earlier requests don't count) */
    QOR_E_PARTIAL = -8,      /* bytes that were not a whole answer (the start of
                                a frame, or stray bytes), then nothing until the
                                timeout */
    QOR_E_BAD_FRAME = -9,    /* an answer that fails framing or checksum, or
                                does not answer the request that was sent */
    QOR_E_NO_CARD = -10,     /* the reader answered: no card in its field */
    QOR_E_PARITY = -11,      /* the Wiegand frame's parity or check bits are wrong */
    QOR_E_TOO_WIDE = -12,    /* code type 0 on a frame of more than 40 bits */
    QOR_E_BUSY = -13,        /* CROpenCom: another process has the port open
                                (on Windows also: the system refused access to
                                it, which is how it answers for a port in use) */
    QOR_E_NOT_PORT = -14,    /* CROpenCom, Linux: a terminal that is no reader's
                                line: the calling process's own controlling
                                terminal (/dev/tty, or any name of the same
                                device) or the pseudo-terminal multiplexer
                                /dev/ptmx; nothing was written or changed */
    QOR_E_ACCESS = -15       /* CROpenCom, Linux: the user may not open the
                                device (not a member of the group that owns
                                it, such as dialout, or no right to its
                                folder); on Windows a refused open is
                                QOR_E_BUSY, as the system answers so for a
                                port in use */
};

/* Opens the reader's serial port at `baud`, 8 data bits, no parity, 1 stop
 * bit, no flow control. Sends nothing.
 *
 * `port` is "COMn", which leads to a running qor-sim of the calling user's
 * or else to the system's own port, or a device path (the rule:
 * platform/PORTS.md, "COMn"). Anything but a terminal device (on Windows: a
 * handle GetCommState accepts) is refused and never written to; so are, on
 * Linux, the caller's own controlling terminal and /dev/ptmx.
 *
 * The open port is this process's alone until it is closed here or the
 * process ends (how, per system, and the settings the close puts back:
 * platform/PORTS.md, "An open port").
 *
 * With valid arguments, an open port is closed first, whatever happens next.
 * Returns QOR_OPENED, or a negative code; after any but QOR_E_ARGUMENT, no
 * port is open. */
QORCOMM_EXPORT int32_t QORCOMM_CALL CROpenCom(const char* port, int32_t baud);

/* Closes the port. Returns QOR_OK, also when nothing was open, or QOR_E_IO. */
QORCOMM_EXPORT int32_t QORCOMM_CALL CRCloseCom(void);

/* Asks the reader for the card in its field as a Wiegand frame of
 * `cardType` (a row of PROTOCOL.md's "Wiegand formats", from 0) and
 * extracts the number by `codeType` (0: the whole frame; 1: the data bits;
 * 2, 3, 4, 5: the low 2, 3, 4, 5 bytes of the data bits).
 *
 * On QOR_OK, `sn` holds the number as 10 uppercase hexadecimal digits and a
 * NUL (exactly 11 bytes written), and `*aux`, when `aux` is not null, holds
 * the length in bits of the frame that was read.
 * On failure neither `sn` nor `aux` is written. Arguments are checked
 * before anything is sent; the wait for the answer ends 500 ms
 * after the request has left the line. */
QORCOMM_EXPORT int32_t QORCOMM_CALL CRReadCardSN(int32_t* aux, unsigned char* sn, int32_t cardType,
                                                 int32_t codeType);

#ifdef __cplusplus
}
#endif

#endif /* QORCOMM_H */
