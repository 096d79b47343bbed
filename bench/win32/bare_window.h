#pragma once

#include <windows.h>

// The yardstick for the Windows window: a top-level window with the same
// kinds of controls at the same places, and nothing else (no texts, fonts,
// list entries or reader state). Destroying it destroys the controls.
HWND MakeBareWindow();
