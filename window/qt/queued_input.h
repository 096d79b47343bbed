#pragma once

namespace qor {

// Hands out at once every event the display system has queued with Qt so
// far, less the input (keys, buttons, wheel, touch, pen): for a display
// system that brings in what came during a call only when asked, after
// which all that is queued is stale. A close among them is not lost but
// put off until control is back in the event loop, so that it never runs
// inside the command that made the call.
void DeliverQueuedEventsDroppingInput();

}  // namespace qor
