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
    QOR_OK = 0,            /* read done, or port closed */
    QOR_OPENED = 1,        /* CROpenCom: the port is open */

    QOR_E_ARGUMENT = -1,   /* null port or sn, empty or over-long port name,
                              card or code type out of range */
    QOR_E_NO_DEVICE = -2,  /* the port name leads to nothing that can be opened */
    QOR_E_NOT_TERMINAL = -3, /* it opened, but is not a terminal device
                                (regular file, directory, pipe, ...) */
    QOR_E_BAUD = -4,       /* the platform cannot set this baud rate */
    QOR_E_IO = -5,         /* a system call on the port failed (device gone) */
    QOR_E_NOT_OPEN = -6,   /* CRReadCardSN without an open port */
    QOR_E_TIMEOUT = -7,    /* no byte of an answer within the answer timeout */
    QOR_E_PARTIAL = -8,    /* part of an answer, then nothing until the timeout */
    QOR_E_BAD_FRAME = -9,  /* an answer that fails framing or checksum, or
                              does not answer the request that was sent */
    QOR_E_NO_CARD = -10,   /* the reader answered: no card in its field */
    QOR_E_PARITY = -11,    /* the Wiegand frame's parity or check bits are wrong */
    QOR_E_TOO_WIDE = -12   /* code type 0 on a frame of more than 40 bits */
};

/* How long a read waits for the whole answer, in milliseconds. */
#define QOR_ANSWER_TIMEOUT_MS 500

/* Opens the reader's serial port at `baud`, 8 data bits, no parity, 1 stop
 * bit. `port` is "COMn" (any case, n >= 1) or a device path; see the
 * README for how COMn is resolved. An open port is closed first.
 * Returns QOR_OPENED, or a negative code. */
QORCOMM_EXPORT int32_t QORCOMM_CALL CROpenCom(const char *port, int32_t baud);

/* Closes the port. Returns QOR_OK, also when nothing was open, or QOR_E_IO. */
QORCOMM_EXPORT int32_t QORCOMM_CALL CRCloseCom(void);

/* Asks the reader for the card in its field as a Wiegand frame of
 * `cardType` (0: 26 bits, 1: 36, 2: 44, 3: 34) and extracts the number by
 * `codeType` (0: the whole frame; 1: the data bits; 2, 3, 4, 5: the low 2,
 * 3, 4, 5 bytes of the data bits).
 *
 * On QOR_OK, `sn` holds the number as 10 uppercase hexadecimal digits and a
 * NUL (exactly 11 bytes written), and `*aux`, when `aux` is not null, holds
 * the length in bits of the frame that was read (26, 36, 44 or 34).
 * On failure neither `sn` nor `aux` is written. */
QORCOMM_EXPORT int32_t QORCOMM_CALL CRReadCardSN(int32_t *aux, unsigned char *sn,
                                                 int32_t cardType, int32_t codeType);

#ifdef __cplusplus
}
#endif

#endif /* QORCOMM_H */
