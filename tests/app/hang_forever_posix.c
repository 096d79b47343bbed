#include <unistd.h>

void HangForever(void) {
    for (;;) pause();
}
