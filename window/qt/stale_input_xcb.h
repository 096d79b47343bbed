#pragma once

#include <cstdint>

#include <QAbstractNativeEventFilter>
#include <QWidget>

struct xcb_connection_t;

namespace qor {

// Clicks and keys that reach the window while a library call blocks its
// thread were made at a window that could not answer; they must not run
// once the call returns. Which events came in before the call ended is told
// by the X server's own order: after the call the window sends itself a
// mark, and the input events that arrive before the mark are dropped. On a
// platform other than X (Qt's offscreen one in the tests) nothing is
// dropped, since there no such order can be had.
class StaleInputFilter final : public QAbstractNativeEventFilter {
public:
    StaleInputFilter();
    ~StaleInputFilter() override;
    StaleInputFilter(const StaleInputFilter&) = delete;
    StaleInputFilter& operator=(const StaleInputFilter&) = delete;

    // Sends what is waiting for the display (a new cursor, say) before the
    // thread blocks.
    void Flush() const;
    // Drops the input that has reached `window` up to now.
    void DropUntilNow(const QWidget& window);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    xcb_connection_t* connection_ = nullptr;  // null off X
    std::uint8_t inputExtension_ = 0;         // the XInput extension's opcode, 0 until known
    bool extensionQueried_ = false;
    int marksInFlight_ = 0;
};

}  // namespace qor
