// The frame both sides of the reader's line use (see PROTOCOL.md):
// STX, SEQ, CMD, LEN, PAYLOAD[LEN], CRC high, CRC low, ETX.
#ifndef QORCOMM_FRAME_H
#define QORCOMM_FRAME_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qorcomm {

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::size_t kMaxPayload = 16;
// STX, SEQ, CMD, LEN before the payload; two CRC bytes and ETX after it.
inline constexpr std::size_t kFrameOverhead = 7;
inline constexpr std::size_t kMaxFrame = kMaxPayload + kFrameOverhead;

struct Frame {
    std::uint8_t seq = 0;
    std::uint8_t cmd = 0;
    std::uint8_t len = 0;
    std::array<std::uint8_t, kMaxPayload> payload{};

    std::span<const std::uint8_t> Payload() const { return {payload.data(), len}; }
};

// Writes the frame for `seq`, `cmd` and `payload` into `out` and returns its
// length, or 0 when the payload is over kMaxPayload bytes.
std::size_t BuildFrame(std::uint8_t seq, std::uint8_t cmd, std::span<const std::uint8_t> payload,
                       std::span<std::uint8_t, kMaxFrame> out);

enum class ScanStatus {
    NoFrame,  // no STX anywhere: every byte was skipped
    Partial,  // a frame has started but is not complete yet
    Invalid,  // a complete-enough frame that breaks the framing rules
    Valid,    // a whole frame with a matching CRC
};

struct ScanResult {
    ScanStatus status = ScanStatus::NoFrame;
    // Bytes before the STX (all of them for NoFrame); the frame starts there.
    std::size_t skipped = 0;
    // Bytes the caller may drop from the front: the skipped ones, plus the
    // frame itself when it is valid.
    std::size_t consumed = 0;
    Frame frame;  // only meaningful for Valid
};

// Looks for the first frame in `bytes`. Judges LEN as soon as it is there,
// so a LEN over kMaxPayload is Invalid without waiting for the rest.
ScanResult ScanFrame(std::span<const std::uint8_t> bytes);

}  // namespace qorcomm

#endif  // QORCOMM_FRAME_H
