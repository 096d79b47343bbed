#include <time.h>
#include <unistd.h>

void HangForever(void) {
    for (;;) pause();
}

void BlockFor(long milliseconds) {
    struct timespec left = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0) {
    }
}
