#pragma once

#include "frame.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qorsim {

inline constexpr std::uint8_t kCmdReadCard = 0x52;
inline constexpr std::uint8_t kAnswerFlag = 0x80;

enum class ReadStatus : std::uint8_t { CardRead = 0, NoCard = 1, FormatUnsupported = 2 };

enum class Fault {
    Silent,   // no answer at all
    Garbled,  // a whole answer whose CRC does not match
    Parity,   // a valid answer carrying a card frame with one parity/check bit wrong
    Partial,  // the first half of an answer, then nothing
};

std::string_view FaultName(Fault fault);
std::optional<Fault> FaultFromName(std::string_view name);

struct ReaderConfig {
    std::optional<std::uint64_t> cardId;  // nullopt: no card in the field
    std::vector<Fault> faults;            // faulty requests take these in turn
    std::uint32_t faultEvery = 1;         // request n is faulty when n % faultEvery == 0
};

struct Reply {
    std::uint64_t requestNumber = 0;  // 1 for the first read request
    ReadStatus status = ReadStatus::CardRead;
    // The fault this answer carries. A parity fault due on an answer without
    // a card frame has nothing to flip and is not applied.
    std::optional<Fault> fault;
    std::vector<std::uint8_t> bytes;  // what to send, possibly nothing
};

// The reader's side of the conversation: turns requests into the bytes to
// send back, injecting the configured faults.
class Responder {
public:
    explicit Responder(ReaderConfig config);

    // nullopt for anything but a read-card request: a reader does not answer
    // what it does not understand, and such frames do not count as requests.
    std::optional<Reply> Answer(const Frame& request);

private:
    std::optional<Fault> FaultDueNow();

    ReaderConfig config_;
    std::uint64_t requests_ = 0;
    std::uint64_t faultsInjected_ = 0;
};

}  // namespace qorsim
