#include "frame.h"

#include <algorithm>

#include "crc16.h"

namespace qorcomm {
namespace {

constexpr std::size_t kSeqAt = 1;
constexpr std::size_t kCmdAt = 2;
constexpr std::size_t kLenAt = 3;
constexpr std::size_t kPayloadAt = 4;

}  // namespace

std::size_t BuildFrame(std::uint8_t seq, std::uint8_t cmd, std::span<const std::uint8_t> payload,
                       std::span<std::uint8_t, kMaxFrame> out) {
    if (payload.size() > kMaxPayload) return 0;
    out[0] = kStx;
    out[kSeqAt] = seq;
    out[kCmdAt] = cmd;
    out[kLenAt] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), out.begin() + kPayloadAt);
    const std::size_t crcAt = kPayloadAt + payload.size();
    // The CRC covers SEQ through the payload, not the STX.
    const std::uint16_t crc = Crc16CcittFalse(out.subspan(kSeqAt, crcAt - kSeqAt));
    out[crcAt] = static_cast<std::uint8_t>(crc >> 8);
    out[crcAt + 1] = static_cast<std::uint8_t>(crc & 0xFF);
    out[crcAt + 2] = kEtx;
    return crcAt + 3;
}

ScanResult ScanFrame(std::span<const std::uint8_t> bytes) {
    ScanResult result;
    const auto stx = std::find(bytes.begin(), bytes.end(), kStx);
    result.skipped = static_cast<std::size_t>(stx - bytes.begin());
    result.consumed = result.skipped;
    if (stx == bytes.end()) return result;

    const std::span<const std::uint8_t> frame = bytes.subspan(result.skipped);
    if (frame.size() <= kLenAt) {
        result.status = ScanStatus::Partial;
        return result;
    }
    const std::size_t len = frame[kLenAt];
    if (len > kMaxPayload) {
        result.status = ScanStatus::Invalid;
        return result;
    }
    const std::size_t total = len + kFrameOverhead;
    if (frame.size() < total) {
        result.status = ScanStatus::Partial;
        return result;
    }

    const std::size_t crcAt = kPayloadAt + len;
    const std::uint16_t crc = Crc16CcittFalse(frame.subspan(kSeqAt, crcAt - kSeqAt));
    const bool crcOk = frame[crcAt] == (crc >> 8) && frame[crcAt + 1] == (crc & 0xFF);
    if (!crcOk || frame[crcAt + 2] != kEtx) {
        result.status = ScanStatus::Invalid;
        return result;
    }

    result.status = ScanStatus::Valid;
    result.consumed += total;
    result.frame.seq = frame[kSeqAt];
    result.frame.cmd = frame[kCmdAt];
    result.frame.len = static_cast<std::uint8_t>(len);
    std::copy_n(frame.begin() + kPayloadAt, len, result.frame.payload.begin());
    return result;
}

}  // namespace qorcomm
