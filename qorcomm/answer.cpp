#include "answer.h"

#include <algorithm>

#include "qorcomm.h"

namespace qorcomm {
namespace {

CardAnswer Failed(std::int32_t code) {
    CardAnswer answer;
    answer.code = code;
    return answer;
}

// Everything about a frame with the right SEQ, short of the Wiegand bits
// themselves, which are the decoder's to check.
CardAnswer Judge(const Frame& frame) {
    const std::span<const std::uint8_t> payload = frame.Payload();
    if (frame.cmd != (kCmdReadCard | kAnswerFlag) || payload.empty()) {
        return Failed(QOR_E_BAD_FRAME);
    }
    switch (payload[0]) {
        case kStatusCardRead: break;
        case kStatusNoCard: return Failed(payload.size() == 1 ? QOR_E_NO_CARD : QOR_E_BAD_FRAME);
        case kStatusUnsupported:  // the reader cannot give the format asked for
        default:                  // or a status this library does not know
            return Failed(QOR_E_BAD_FRAME);
    }
    if (payload.size() < 2) return Failed(QOR_E_BAD_FRAME);
    const std::uint8_t bitCount = payload[1];
    const std::size_t byteCount = (bitCount + 7u) / 8u;
    // A payload longer than its bit count calls for is as suspect as a short
    // one: the two disagree, so neither can be trusted.
    if (payload.size() != 2 + byteCount) return Failed(QOR_E_BAD_FRAME);

    CardAnswer answer;
    answer.code = QOR_OK;
    answer.bitCount = bitCount;
    answer.byteCount = static_cast<std::uint8_t>(byteCount);
    std::copy(payload.begin() + 2, payload.end(), answer.bytes.begin());
    return answer;
}

}  // namespace

std::size_t BuildReadRequest(std::uint8_t seq, std::uint8_t cardType,
                             std::span<std::uint8_t, kMaxFrame> out) {
    const std::array<std::uint8_t, 1> payload{cardType};
    return BuildFrame(seq, kCmdReadCard, payload, out);
}

bool AnswerParser::Feed(std::span<const std::uint8_t> bytes) {
    while (!done_ && !bytes.empty()) {
        // Drain() leaves less than a whole frame held, so there is always room.
        const std::size_t room = held_.size() - heldCount_;
        const std::size_t take = std::min(room, bytes.size());
        std::copy_n(bytes.begin(), take, held_.begin() + heldCount_);
        heldCount_ += take;
        bytes = bytes.subspan(take);
        Drain();
    }
    return done_;
}

void AnswerParser::Drain() {
    for (;;) {
        const ScanResult scan = ScanFrame({held_.data(), heldCount_});
        if (scan.skipped > 0) stray_ = true;
        switch (scan.status) {
            case ScanStatus::NoFrame:
            case ScanStatus::Partial: Drop(scan.consumed); return;
            case ScanStatus::Invalid:
                answer_ = Failed(QOR_E_BAD_FRAME);
                done_ = true;
                return;
            case ScanStatus::Valid:
                Drop(scan.consumed);
                // A late answer to an earlier request: not ours, keep waiting.
                if (scan.frame.seq != seq_) continue;
                answer_ = Judge(scan.frame);
                done_ = true;
                return;
        }
    }
}

void AnswerParser::Drop(std::size_t count) {
    std::copy(held_.begin() + static_cast<std::ptrdiff_t>(count),
              held_.begin() + static_cast<std::ptrdiff_t>(heldCount_), held_.begin());
    heldCount_ -= count;
}

CardAnswer AnswerParser::Result() const {
    if (done_) return answer_;
    return Failed(stray_ || heldCount_ > 0 ? QOR_E_PARTIAL : QOR_E_TIMEOUT);
}

}  // namespace qorcomm
