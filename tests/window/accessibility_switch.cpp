#include "accessibility_switch.h"

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

// Qt has no public switch: only a platform's bridge turns it on.
bool SwitchAccessibility(bool on) {
    QPlatformIntegration* platform = QGuiApplicationPrivate::platformIntegration();
    QPlatformAccessibility* accessibility =
        platform != nullptr ? platform->accessibility() : nullptr;
    if (accessibility == nullptr) return false;
    accessibility->setActive(on);
    return true;
}
