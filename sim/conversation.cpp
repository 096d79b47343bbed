#include "conversation.h"

#include <iomanip>
#include <optional>

namespace qorsim {

namespace {

void LogReply(std::ostream& log, const Frame& request, const Reply& reply) {
    log << "qor-sim: request " << reply.requestNumber << " (seq " << unsigned{request.seq}
        << ", format " << unsigned{request.payload.at(0)} << "): status "
        << static_cast<unsigned>(reply.status);
    if (reply.fault) log << ", fault " << FaultName(*reply.fault);
    log << ", " << reply.bytes.size() << " bytes sent" << std::hex << std::uppercase
        << std::setfill('0');
    for (std::uint8_t byte : reply.bytes) log << ' ' << std::setw(2) << unsigned{byte};
    log << std::dec << std::setfill(' ') << std::endl;
}

}  // namespace

Conversation::Conversation(Responder& responder, std::ostream* log)
    : responder_(responder), log_(log) {}

std::vector<std::uint8_t> Conversation::Take(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    reader_.Feed(bytes);
    while (const std::optional<Frame> request = reader_.Next()) {
        const std::optional<Reply> reply = responder_.Answer(*request);
        if (!reply) continue;
        out.insert(out.end(), reply->bytes.begin(), reply->bytes.end());
        if (log_) LogReply(*log_, *request, *reply);
    }
    return out;
}

}  // namespace qorsim
