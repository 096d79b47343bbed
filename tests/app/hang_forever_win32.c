#include <windows.h>

void HangForever(void) {
    for (;;) Sleep(INFINITE);
}
