#include "stale_input.h"

#include <QGuiApplication>

namespace qor {
namespace {

// Qt's offscreen platform, and any other without an order of events to go
// by: the window still shows it is busy, nothing is dropped.
class NoStaleInput final : public StaleInput {
public:
    void Flush() override {}
    void DropUntilNow(QWidget&) override {}
};

}  // namespace

std::unique_ptr<StaleInput> StaleInputForThisDisplay() {
    const QString platform = QGuiApplication::platformName();
    std::unique_ptr<StaleInput> stale;
    // Qt names its Wayland platforms "wayland", "wayland-egl" and so on.
    if (platform == QLatin1String("xcb")) {
        stale = StaleInputOnX();
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        stale = StaleInputOnWayland();
    }
    if (stale == nullptr) stale = std::make_unique<NoStaleInput>();
    return stale;
}

}  // namespace qor
