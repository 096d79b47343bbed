#pragma once

#include <windows.h>

// The yardstick for the Windows window: a top-level window with the same
// kinds of controls at the same places, its caption and every control's text
// in the window's Song font, and nothing else (no list entries, icon or
// reader state). Destroying it destroys the controls.
HWND MakeBareWindow();
