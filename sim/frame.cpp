#include "frame.h"

#include "crc16.h"

#include <algorithm>
#include <cassert>

namespace qorsim {

std::vector<std::uint8_t> EncodeFrame(const Frame& frame) {
    assert(frame.payload.size() <= kMaxPayload);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kHeaderSize + frame.payload.size() + kTrailerSize);
    bytes.push_back(kStx);
    bytes.push_back(frame.seq);
    bytes.push_back(frame.cmd);
    bytes.push_back(static_cast<std::uint8_t>(frame.payload.size()));
    bytes.insert(bytes.end(), frame.payload.begin(), frame.payload.end());
    const std::uint16_t crc = Crc16CcittFalse(std::span(bytes).subspan(1));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(kEtx);
    return bytes;
}

void FrameReader::Feed(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<Frame> FrameReader::Next() {
    for (;;) {
        buffer_.erase(buffer_.begin(), std::find(buffer_.begin(), buffer_.end(), kStx));
        if (buffer_.size() < kHeaderSize) return std::nullopt;

        const std::size_t length = buffer_[3];
        const std::size_t total = kHeaderSize + length + kTrailerSize;
        if (length <= kMaxPayload) {
            if (buffer_.size() < total) return std::nullopt;
            const auto covered = std::span(buffer_).subspan(1, kHeaderSize - 1 + length);
            const std::uint16_t crc = Crc16CcittFalse(covered);
            const std::size_t crcAt = kHeaderSize + length;
            if (buffer_[crcAt] == (crc >> 8) && buffer_[crcAt + 1] == (crc & 0xFF) &&
                buffer_[crcAt + 2] == kEtx) {
                Frame frame{buffer_[1],
                            buffer_[2],
                            {buffer_.begin() + kHeaderSize, buffer_.begin() + crcAt}};
                buffer_.erase(buffer_.begin(),
                              buffer_.begin() + static_cast<std::ptrdiff_t>(total));
                return frame;
            }
        }
        buffer_.erase(buffer_.begin());
    }
}

}  // namespace qorsim
