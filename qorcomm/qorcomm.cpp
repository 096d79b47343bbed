// The three C entry points. One port per process, as the interface has no
// handle; a mutex keeps two threads from interleaving on it.
#include "qorcomm.h"

#include <array>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "answer.h"
#include "line_timing.h"
#include "serial_port.h"
#include "wiegand.h"

namespace {

using qorcomm::Clock;

// No system call takes a path of PATH_MAX bytes or more, so such a name is
// refused before anything is tried.
constexpr std::size_t kMaxPortName = PATH_MAX - 1;

struct Line {
    std::mutex mutex;
    qorcomm::SerialPort port;
    // Kept across reopenings, so an answer still on its way from before cannot
    // pass for the answer to the next request.
    std::uint8_t seq = 0;
};

Line& TheLine() {
    static Line line;
    return line;
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
    Line& line = TheLine();
    const std::lock_guard lock(line.mutex);
    if (!line.port.IsOpen()) return QOR_E_NOT_OPEN;

    std::int32_t result = line.port.DiscardInput();
    if (result != QOR_OK) return result;

    const std::uint8_t seq = ++line.seq;
    std::array<std::uint8_t, qorcomm::kMaxFrame> request{};
    const std::size_t requestSize =
        qorcomm::BuildReadRequest(seq, static_cast<std::uint8_t>(cardType), request);
    result =
        line.port.WriteAll({request.data(), requestSize}, Clock::now() + qorcomm::kWriteTimeout);
    if (result != QOR_OK) return result;
    // The request has been sent once its last bit has left the line, which at
    // slow rates is well after write() returns.
    const Clock::time_point deadline =
        Clock::now() + line.port.WireTime(requestSize) + qorcomm::kAnswerTimeout;

    qorcomm::AnswerParser parser(seq);
    std::array<std::uint8_t, 64> chunk{};
    for (;;) {
        const std::int32_t got = line.port.ReadSome(chunk, deadline);
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
        const std::size_t length = ::strnlen(port, kMaxPortName + 1);
        if (length == 0 || length > kMaxPortName) return QOR_E_ARGUMENT;
        Line& line = TheLine();
        const std::lock_guard lock(line.mutex);
        return line.port.Open({port, length}, baud);
    });
}

int32_t QORCOMM_CALL CRCloseCom(void) {
    return Guarded([]() -> std::int32_t {
        Line& line = TheLine();
        const std::lock_guard lock(line.mutex);
        return line.port.Close();
    });
}

int32_t QORCOMM_CALL CRReadCardSN(int32_t* aux, unsigned char* sn, int32_t cardType,
                                  int32_t codeType) {
    return Guarded([&]() { return ReadCard(aux, sn, cardType, codeType); });
}
