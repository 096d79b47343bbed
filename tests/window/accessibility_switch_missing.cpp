#include "accessibility_switch.h"

// Built without Qt's private headers (qt6-base-private-dev).
bool SwitchAccessibility(bool) { return false; }
