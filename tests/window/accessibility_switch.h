#pragma once

// Turns Qt's accessibility on or off as a screen reader's bridge does, so
// that widgets raise their accessibility events; on the offscreen platform
// nothing else does. False where this build cannot.
bool SwitchAccessibility(bool on);
