/* A reader library that only notes which of its functions were called, one
 * line per call, in the file named by QOR_TEST_CALL_LOG. It answers like a
 * library with no reader attached; with QOR_TEST_CLOSE_HANGS set, its close
 * never returns. A read takes QOR_TEST_READ_MS milliseconds, as one from a
 * silent reader does; with QOR_TEST_READ_WAITS_FOR naming a FIFO, it lasts
 * until someone opens that for writing, so a test decides when it ends. */
#include <stdio.h>
#include <stdlib.h>

#include "qorcomm.h"

/* Block the calling thread, for good or for a while (block_thread_<platform>.c). */
void HangForever(void);
void BlockFor(long milliseconds);

static void Note(const char* call) {
    const char* path = getenv("QOR_TEST_CALL_LOG");
    if (path == NULL) return;
    FILE* log = fopen(path, "a");
    if (log == NULL) return;
    fprintf(log, "%s\n", call);
    fclose(log);
}

int32_t QORCOMM_CALL CROpenCom(const char* port, int32_t baud) {
    (void)port;
    (void)baud;
    Note("CROpenCom");
    return QOR_E_NO_DEVICE;
}

int32_t QORCOMM_CALL CRCloseCom(void) {
    Note("CRCloseCom");
    if (getenv("QOR_TEST_CLOSE_HANGS") != NULL) HangForever();
    return QOR_OK;
}

int32_t QORCOMM_CALL CRReadCardSN(int32_t* aux, unsigned char* sn, int32_t cardType,
                                  int32_t codeType) {
    (void)aux;
    (void)sn;
    (void)cardType;
    (void)codeType;
    Note("CRReadCardSN");
    const char* readMs = getenv("QOR_TEST_READ_MS");
    if (readMs != NULL) BlockFor(strtol(readMs, NULL, 10));
    const char* waitFor = getenv("QOR_TEST_READ_WAITS_FOR");
    if (waitFor != NULL) {
        FILE* fifo = fopen(waitFor, "r");
        if (fifo != NULL) fclose(fifo);
    }
    return QOR_E_NOT_OPEN;
}
