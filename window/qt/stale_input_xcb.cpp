#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWidget>

#include "stale_input.h"

namespace qor {
namespace {

// The mark: a client message of no type that only this program sends to
// its own window.
constexpr std::uint32_t kMarkWord = 0x514F5221;  // "QOR!"

// The XInput 2 events that are a click, a key or a touch: key press and
// release, button press and release (2-5), touch begin, update, end (18-20).
constexpr std::uint16_t kXiKeyPress = 2, kXiButtonRelease = 5, kXiTouchBegin = 18, kXiTouchEnd = 20;

bool IsMark(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
    const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
    return message.format == 32 && message.type == XCB_ATOM_NONE &&
           message.data.data32[0] == kMarkWord;
}

bool IsInput(const xcb_generic_event_t& event, std::uint8_t inputExtension) {
    switch (event.response_type & 0x7F) {
        case XCB_KEY_PRESS:
        case XCB_KEY_RELEASE:
        case XCB_BUTTON_PRESS:
        case XCB_BUTTON_RELEASE: return true;
        case XCB_GE_GENERIC: {
            const auto& extended = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
            if (inputExtension == 0 || extended.extension != inputExtension) return false;
            const std::uint16_t type = extended.event_type;
            return (type >= kXiKeyPress && type <= kXiButtonRelease) ||
                   (type >= kXiTouchBegin && type <= kXiTouchEnd);
        }
        default: return false;
    }
}

// Which events came in before the call ended is told by the X server's own
// order: after the call the window sends itself a mark, and the input
// events that arrive before the mark are dropped.
class XcbStaleInput final : public StaleInput, public QAbstractNativeEventFilter {
public:
    explicit XcbStaleInput(xcb_connection_t* connection) : connection_(connection) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~XcbStaleInput() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    XcbStaleInput(const XcbStaleInput&) = delete;
    XcbStaleInput& operator=(const XcbStaleInput&) = delete;

    void Flush() override { xcb_flush(connection_); }
    void DropUntilNow(QWidget& window) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    xcb_connection_t* connection_;
    std::uint8_t inputExtension_ = 0;  // the XInput extension's opcode, 0 until known
    bool extensionQueried_ = false;
    int marksInFlight_ = 0;
};

void XcbStaleInput::DropUntilNow(QWidget& window) {
    if (!extensionQueried_) {
        // Asked once, at the first call rather than at start-up: a round trip.
        extensionQueried_ = true;
        const char name[] = "XInputExtension";
        const std::unique_ptr<xcb_query_extension_reply_t, decltype(&std::free)> reply(
            xcb_query_extension_reply(
                connection_, xcb_query_extension(connection_, sizeof name - 1, name), nullptr),
            &std::free);
        if (reply != nullptr && reply->present != 0) inputExtension_ = reply->major_opcode;
    }
    xcb_client_message_event_t mark = {};
    mark.response_type = XCB_CLIENT_MESSAGE;
    mark.format = 32;
    mark.window = static_cast<xcb_window_t>(window.winId());
    mark.type = XCB_ATOM_NONE;
    mark.data.data32[0] = kMarkWord;
    // With no event mask the server hands the event to the window's creator,
    // this program, behind every event it has sent it so far.
    xcb_send_event(connection_, 0, mark.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&mark));
    xcb_flush(connection_);
    ++marksInFlight_;
}

bool XcbStaleInput::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto& event = *static_cast<const xcb_generic_event_t*>(message);
    if (IsMark(event)) {
        if (marksInFlight_ > 0) --marksInFlight_;
        return true;
    }
    return marksInFlight_ > 0 && IsInput(event, inputExtension_);
}

}  // namespace

std::unique_ptr<StaleInput> StaleInputOnX() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return nullptr;
    return std::make_unique<XcbStaleInput>(x11->connection());
}

}  // namespace qor
