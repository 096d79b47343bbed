// The three C entry points. One port per process, as the interface has no
// handle; a mutex keeps two threads from interleaving on it.
#include "qorcomm.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>

#include "answer.h"
#include "line.h"
#include "line_timing.h"
#include "port_name_limit.h"
#include "wiegand.h"

namespace {

using qorcomm::Clock;

struct Port {
    std::mutex mutex;
    std::unique_ptr<qorcomm::Line> line;  // none while closed
    std::int32_t baud = 0;                // the rate it was opened at
    // Kept across reopenings, so an answer still on its way from before cannot
    // pass for the answer to the next request.
    std::uint8_t seq = 0;
};

Port& ThePort() {
    static Port port;
    return port;
}

// Lets go of the line, if one is open: QOR_OK or QOR_E_IO.
std::int32_t CloseLine(Port& port) {
    if (!port.line) return QOR_OK;
    const std::unique_ptr<qorcomm::Line> line = std::move(port.line);
    return line->Close();
}

// No C++ exception may reach a C caller. Nothing below throws except on
// resource exhaustion (allocation, mutex), which is as good as a failed
// system call.
template <typename Body>
std::int32_t Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return QOR_E_IO;
    }
}

std::int32_t ReadCard(int32_t* aux, unsigned char* sn, int32_t cardType, int32_t codeType) {
    if (sn == nullptr || !qorcomm::KnownTypes(cardType, codeType)) return QOR_E_ARGUMENT;
    Port& port = ThePort();
    const std::lock_guard lock(port.mutex);
    if (!port.line) return QOR_E_NOT_OPEN;
    qorcomm::Line& line = *port.line;

    std::int32_t result = line.DiscardInput();
    if (result != QOR_OK) return result;

    const std::uint8_t seq = ++port.seq;
    std::array<std::uint8_t, qorcomm::kMaxFrame> request{};
    const std::size_t requestSize =
        qorcomm::BuildReadRequest(seq, static_cast<std::uint8_t>(cardType), request);
    result = line.WriteAll({request.data(), requestSize}, Clock::now() + qorcomm::kWriteTimeout);
    if (result != QOR_OK) return result;
    // The request has been sent once its last bit has left the line, which at
    // slow rates is well after write() returns.
    const Clock::time_point deadline =
        Clock::now() + qorcomm::WireTime(requestSize, port.baud) + qorcomm::kAnswerTimeout;

    qorcomm::AnswerParser parser(seq);
    std::array<std::uint8_t, 64> chunk{};
    for (;;) {
        const std::int32_t got = line.ReadSome(chunk, deadline);
        if (got < 0) return got;
        if (got == 0) break;
        if (parser.Feed({chunk.data(), static_cast<std::size_t>(got)})) break;
    }
    const qorcomm::CardAnswer answer = parser.Result();
    if (answer.code != QOR_OK) return answer.code;

    qorcomm::CardNumberText text{};
    result = qorcomm::DecodeCardNumber(answer.Bits(), answer.bitCount, cardType, codeType, text);
    if (result != QOR_OK) return result;
    std::memcpy(sn, text.data(), text.size());
    if (aux != nullptr) *aux = answer.bitCount;
    return QOR_OK;
}

}  // namespace

int32_t QORCOMM_CALL CROpenCom(const char* port, int32_t baud) {
    return Guarded([&]() -> std::int32_t {
        if (port == nullptr) return QOR_E_ARGUMENT;
        // Bounded, so rejecting an absurdly long name costs no more than a path.
        const std::size_t length = ::strnlen(port, qorcomm::kMaxPortName + 1);
        if (length == 0 || length > qorcomm::kMaxPortName) return QOR_E_ARGUMENT;
        Port& open = ThePort();
        const std::lock_guard lock(open.mutex);
        CloseLine(open);
        const std::int32_t result = qorcomm::OpenLine({port, length}, baud, open.line);
        if (open.line) open.baud = baud;
        return result;
    });
}

int32_t QORCOMM_CALL CRCloseCom(void) {
    return Guarded([]() -> std::int32_t {
        Port& port = ThePort();
        const std::lock_guard lock(port.mutex);
        return CloseLine(port);
    });
}

int32_t QORCOMM_CALL CRReadCardSN(int32_t* aux, unsigned char* sn, int32_t cardType,
                                  int32_t codeType) {
    return Guarded([&]() { return ReadCard(aux, sn, cardType, codeType); });
}
