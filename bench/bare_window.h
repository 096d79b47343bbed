#pragma once

class QWidget;

// The yardstick for the main window: a top-level widget with the controls
// of the window's table, each of its kind in its container (the combo boxes
// editable, as ours are), and nothing else: no texts, fonts, places, list
// entries or reader state.
QWidget* MakeBareWindow();
