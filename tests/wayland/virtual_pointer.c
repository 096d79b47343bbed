/* A pointer for a headless compositor, whose seat has none: moves, clicks
 * and scrolls as its arguments say, in the output's own coordinates.
 *   virtual_pointer WIDTH HEIGHT STEP...
 * Steps: move:X,Y  click  wheel:NOTCHES (down when positive)  sleep:MS
 * Like wtype, it must live through all its steps: a client binds the
 * pointer only once the seat has one, and loses it when it goes. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <wayland-client.h>

#include "virtual-pointer-unstable-v1-client-protocol.h"

enum { kLeftButton = 0x110 /* BTN_LEFT */ };

static struct wl_seat* seat;
static struct zwlr_virtual_pointer_manager_v1* manager;

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    (void)data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0) {
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    }
}

static void OnGlobalRemoved(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemoved};

static uint32_t NowMs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

static void SleepMs(long ms) {
    struct timespec left = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0) {
    }
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: virtual_pointer WIDTH HEIGHT STEP...\n");
        return 2;
    }
    const uint32_t width = (uint32_t)strtoul(argv[1], NULL, 10);
    const uint32_t height = (uint32_t)strtoul(argv[2], NULL, 10);
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "virtual_pointer: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, NULL);
    wl_display_roundtrip(display);
    if (manager == NULL) {
        fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);

    for (int i = 3; i < argc; ++i) {
        const char* step = argv[i];
        unsigned x = 0, y = 0;
        long value = 0;
        if (sscanf(step, "move:%u,%u", &x, &y) == 2) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, NowMs(), x, y, width, height);
        } else if (strcmp(step, "click") == 0) {
            zwlr_virtual_pointer_v1_button(pointer, NowMs(), kLeftButton,
                                           WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, NowMs(), kLeftButton,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (sscanf(step, "wheel:%ld", &value) == 1) {
            zwlr_virtual_pointer_v1_axis_source(pointer, WL_POINTER_AXIS_SOURCE_WHEEL);
            zwlr_virtual_pointer_v1_axis_discrete(pointer, NowMs(), WL_POINTER_AXIS_VERTICAL_SCROLL,
                                                  wl_fixed_from_int((int)(15 * value)),
                                                  (int32_t)value);
        } else if (sscanf(step, "sleep:%ld", &value) == 1) {
            wl_display_flush(display);
            SleepMs(value);
            continue;
        } else {
            fprintf(stderr, "virtual_pointer: unknown step %s\n", step);
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "virtual_pointer: the compositor refused %s\n", step);
            return 1;
        }
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(manager);
    if (seat != NULL) wl_seat_destroy(seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
