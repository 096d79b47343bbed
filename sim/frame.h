#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qorsim {

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::size_t kMaxPayload = 16;
// STX, SEQ, CMD, LEN before the payload; CRC (2) and ETX after it.
inline constexpr std::size_t kHeaderSize = 4;
inline constexpr std::size_t kTrailerSize = 3;

struct Frame {
    std::uint8_t seq = 0;
    std::uint8_t cmd = 0;
    std::vector<std::uint8_t> payload;  // at most kMaxPayload bytes

    bool operator==(const Frame&) const = default;
};

std::vector<std::uint8_t> EncodeFrame(const Frame& frame);

// Finds valid frames in a byte stream that may hold junk, cut-off frames and
// frames that fail their checks. Nothing is escaped on the line, so after a
// bad candidate the search resumes at the byte after its STX: a real frame
// may start inside the bytes the bad one claimed.
class FrameReader {
public:
    void Feed(std::span<const std::uint8_t> bytes);

    // The next valid frame in what was fed, or nullopt when what is left
    // cannot complete one yet.
    std::optional<Frame> Next();

    // Whether the bytes kept after Next() returned nullopt start a frame
    // that more input could complete.
    bool HoldsPartialFrame() const { return !buffer_.empty(); }

    void Discard() { buffer_.clear(); }

private:
    std::vector<std::uint8_t> buffer_;
};

}  // namespace qorsim
