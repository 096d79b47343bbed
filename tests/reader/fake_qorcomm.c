/* A stand-in for the reader library whose answers reveal the arguments it
 * got, so a test can see that the binding passes them through unchanged.
 * Built in several variants (see CMakeLists.txt): whole, with only
 * CROpenCom, and on Windows with each calling convention and export
 * spelling a vendor's DLL may have. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#ifndef FAKE_CALL
#define FAKE_CALL
#endif

int32_t FAKE_CALL CROpenCom(const char* port, int32_t baud) {
    return strcmp(port, "COM7") == 0 ? baud : -2;
}

#ifndef ONLY_OPEN
int32_t FAKE_CALL CRCloseCom(void) { return 7; }

int32_t FAKE_CALL CRReadCardSN(int32_t* aux, unsigned char* sn, int32_t cardType,
                               int32_t codeType) {
    *aux += 1;
    snprintf((char*)sn, 11, "T%dC%d", (int)cardType, (int)codeType);
    return 0;
}
#endif
