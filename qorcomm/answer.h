// The read-card exchange: the request the library sends, and the judgement of
// whatever comes back on the line, as PROTOCOL.md lays it out.
#ifndef QORCOMM_ANSWER_H
#define QORCOMM_ANSWER_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "frame.h"

namespace qorcomm {

inline constexpr std::uint8_t kCmdReadCard = 0x52;
// An answer carries its request's command code with this bit set.
inline constexpr std::uint8_t kAnswerFlag = 0x80;

inline constexpr std::uint8_t kStatusCardRead = 0x00;
inline constexpr std::uint8_t kStatusNoCard = 0x01;
inline constexpr std::uint8_t kStatusUnsupported = 0x02;

// Writes the request for one card frame in Wiegand format `cardType` (its
// row in wiegand.cpp's table, sent as the request's payload byte) and
// returns its length.
std::size_t BuildReadRequest(std::uint8_t seq, std::uint8_t cardType,
                             std::span<std::uint8_t, kMaxFrame> out);

struct CardAnswer {
    // QOR_OK when `bytes` holds the Wiegand frame the reader sent; otherwise
    // the failure (QOR_E_TIMEOUT, QOR_E_PARTIAL, QOR_E_BAD_FRAME, QOR_E_NO_CARD).
    std::int32_t code = 0;
    std::uint8_t bitCount = 0;
    std::uint8_t byteCount = 0;
    std::array<std::uint8_t, kMaxPayload> bytes{};

    std::span<const std::uint8_t> Bits() const { return {bytes.data(), byteCount}; }
};

// Judges the bytes that arrive after the request with sequence number `seq`
// was sent. Holds at most one frame's worth of bytes whatever it is fed.
class AnswerParser {
public:
    explicit AnswerParser(std::uint8_t seq) : seq_(seq) {}

    // Takes the bytes as they arrive; returns true once the answer is judged.
    // Bytes fed after that are ignored.
    bool Feed(std::span<const std::uint8_t> bytes);

    // The judged answer; before there is one, what the wait amounts to if the
    // deadline comes now: QOR_E_TIMEOUT or QOR_E_PARTIAL.
    CardAnswer Result() const;

private:
    void Drain();
    void Drop(std::size_t count);

    std::uint8_t seq_;
    bool done_ = false;
    // Bytes arrived that were not a whole frame answering an earlier request.
    bool stray_ = false;
    CardAnswer answer_;
    std::array<std::uint8_t, kMaxFrame> held_{};
    std::size_t heldCount_ = 0;
};

}  // namespace qorcomm

#endif  // QORCOMM_ANSWER_H
