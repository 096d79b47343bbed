/* A stand-in for the reader library whose answers reveal the arguments it
 * got, so a test can see that the binding passes them through unchanged.
 * Built once whole and once with only CROpenCom, for a missing function. */
#include <stdio.h>
#include <string.h>

#include "qorcomm.h"

int32_t CROpenCom(const char* port, int32_t baud) { return strcmp(port, "COM7") == 0 ? baud : -2; }

#ifndef ONLY_OPEN
int32_t CRCloseCom(void) { return 7; }

int32_t CRReadCardSN(int32_t* aux, unsigned char* sn, int32_t cardType, int32_t codeType) {
    *aux += 1;
    snprintf((char*)sn, 11, "T%dC%d", (int)cardType, (int)codeType);
    return 0;
}
#endif
