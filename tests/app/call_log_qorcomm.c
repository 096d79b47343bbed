/* A reader library that only notes which of its functions were called, one
 * line per call, in the file named by QOR_TEST_CALL_LOG. It answers like a
 * library with no reader attached; with QOR_TEST_CLOSE_HANGS set, its close
 * never returns. */
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "qorcomm.h"

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
    while (getenv("QOR_TEST_CLOSE_HANGS") != NULL) sleep(60);
    return QOR_OK;
}

int32_t QORCOMM_CALL CRReadCardSN(int32_t* aux, unsigned char* sn, int32_t cardType,
                                  int32_t codeType) {
    (void)aux;
    (void)sn;
    (void)cardType;
    (void)codeType;
    Note("CRReadCardSN");
    return QOR_E_NOT_OPEN;
}
