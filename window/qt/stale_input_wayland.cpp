#include <wayland-client-core.h>

#include <qpa/qplatformnativeinterface.h>
#include <QGuiApplication>

#include "queued_input.h"
#include "stale_input.h"

namespace qor {
namespace {

// Wayland's input events carry times whose base the protocol leaves open
// (a virtual keyboard sends 0), so which came before the call ended is told
// by order instead: a round trip to the compositor brings in everything it
// sent before it answered, and that is handed out at once, less the input.
// What comes after the round trip waits in the socket for the event loop.
class WaylandStaleInput final : public StaleInput {
public:
    explicit WaylandStaleInput(wl_display* display) : display_(display) {}

    void Flush() override { wl_display_flush(display_); }

    void DropUntilNow(QWidget&) override {
        // A failed round trip is a lost connection, which Qt reports and
        // ends the program for; what is queued is dropped all the same.
        wl_display_roundtrip(display_);
        DeliverQueuedEventsDroppingInput();
    }

private:
    wl_display* display_;
};

}  // namespace

std::unique_ptr<StaleInput> StaleInputOnWayland() {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (native == nullptr) return nullptr;
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    if (display == nullptr) return nullptr;
    return std::make_unique<WaylandStaleInput>(display);
}

}  // namespace qor
