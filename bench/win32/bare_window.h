#pragma once

#include <windows.h>

// The yardstick for the Windows window: a top-level window with the same
// kinds of controls at the same places, and nothing else (no list entries or
// reader state, and unless `withTexts`, no texts or fonts either; with it,
// the caption and every control's text in the window's Song font).
// Destroying it destroys the controls.
HWND MakeBareWindow(bool withTexts = false);
