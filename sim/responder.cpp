#include "responder.h"

#include "wiegand.h"

#include <array>
#include <utility>

namespace qorsim {

namespace {

constexpr std::array kFaultNames{
    std::pair{Fault::Silent, std::string_view{"silent"}},
    std::pair{Fault::Garbled, std::string_view{"garbled"}},
    std::pair{Fault::Parity, std::string_view{"parity"}},
    std::pair{Fault::Partial, std::string_view{"partial"}},
};

struct ReadAnswer {
    ReadStatus status;
    std::vector<std::uint8_t> payload;
};

ReadAnswer AnswerRead(const std::optional<std::uint64_t>& cardId, std::optional<CardFormat> format,
                      bool flipParity) {
    if (!cardId) return {ReadStatus::NoCard, {static_cast<std::uint8_t>(ReadStatus::NoCard)}};
    if (!format)
        return {ReadStatus::FormatUnsupported,
                {static_cast<std::uint8_t>(ReadStatus::FormatUnsupported)}};

    WiegandFrame frame = EncodeWiegand(*format, *cardId);
    // The last bit is a parity or check bit in every format.
    if (flipParity) frame = WithBitFlipped(frame, frame.bitCount - 1);
    std::vector<std::uint8_t> payload{static_cast<std::uint8_t>(ReadStatus::CardRead),
                                      static_cast<std::uint8_t>(frame.bitCount)};
    const std::vector<std::uint8_t> packed = PackBits(frame);
    payload.insert(payload.end(), packed.begin(), packed.end());
    return {ReadStatus::CardRead, std::move(payload)};
}

}  // namespace

std::string_view FaultName(Fault fault) {
    for (const auto& [kind, name] : kFaultNames)
        if (kind == fault) return name;
    return "?";
}

std::optional<Fault> FaultFromName(std::string_view name) {
    for (const auto& [kind, known] : kFaultNames)
        if (known == name) return kind;
    return std::nullopt;
}

Responder::Responder(ReaderConfig config) : config_(std::move(config)) {}

std::optional<Fault> Responder::FaultDueNow() {
    if (config_.faults.empty() || requests_ % config_.faultEvery != 0) return std::nullopt;
    return config_.faults[faultsInjected_++ % config_.faults.size()];
}

std::optional<Reply> Responder::Answer(const Frame& request) {
    if (request.cmd != kCmdReadCard || request.payload.size() != 1) return std::nullopt;

    Reply reply;
    reply.requestNumber = ++requests_;
    reply.fault = FaultDueNow();

    const bool flipParity = reply.fault == Fault::Parity;
    ReadAnswer answer =
        AnswerRead(config_.cardId, CardFormatFromByte(request.payload[0]), flipParity);
    reply.status = answer.status;
    if (flipParity && answer.status != ReadStatus::CardRead) reply.fault.reset();

    reply.bytes = EncodeFrame({request.seq, static_cast<std::uint8_t>(kCmdReadCard | kAnswerFlag),
                               std::move(answer.payload)});
    if (reply.fault == Fault::Silent) {
        reply.bytes.clear();
    } else if (reply.fault == Fault::Garbled) {
        // The CRC's low byte: STX, LEN and ETX stay intact, so the receiver
        // takes in the whole frame and fails it on its CRC, never on framing.
        reply.bytes[reply.bytes.size() - 2] ^= 0xFF;
    } else if (reply.fault == Fault::Partial) {
        reply.bytes.resize(reply.bytes.size() / 2);
    }
    return reply;
}

}  // namespace qorsim
