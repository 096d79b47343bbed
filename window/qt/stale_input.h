#pragma once

#include <memory>

class QWidget;

namespace qor {

// Clicks and keys that reach the window while a library call blocks its
// thread were made at a window that could not answer; they must not run
// once the call returns. How to tell which input came before the call ended
// is the display system's business, so there is one of these for each
// (stale_input_<system>.cpp), chosen when the window is made.
class StaleInput {
public:
    virtual ~StaleInput() = default;

    // Sends what is waiting for the display (a new cursor, say) before the
    // thread blocks.
    virtual void Flush() = 0;
    // Drops the input that has reached `window` up to now; anything else
    // that came meanwhile (a close, a repaint) still happens.
    virtual void DropUntilNow(QWidget& window) = 0;
};

// The one for the display system the application runs on. Where it has no
// order of its own to go by (Qt's offscreen platform), nothing is dropped.
std::unique_ptr<StaleInput> StaleInputForThisDisplay();

// One per display system; null where the application does not run on it.
std::unique_ptr<StaleInput> StaleInputOnX();
std::unique_ptr<StaleInput> StaleInputOnWayland();

}  // namespace qor
