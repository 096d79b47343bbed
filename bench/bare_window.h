#pragma once

class QWidget;

// The yardstick for the main window: a top-level widget with the same
// number and kinds of controls (the combo boxes editable, as ours are), and
// nothing else: no texts, fonts, list entries, table or reader state.
QWidget* MakeBareWindow();
