#include <windows.h>

void HangForever(void) {
    for (;;) Sleep(INFINITE);
}

void BlockFor(long milliseconds) { Sleep((DWORD)milliseconds); }
