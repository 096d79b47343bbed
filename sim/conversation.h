#pragma once

#include "frame.h"
#include "responder.h"

#include <chrono>
#include <cstdint>
#include <ostream>
#include <span>
#include <vector>

namespace qorsim {

// One line's traffic, whatever carries it (a terminal, a pipe, a serial
// port): finds the requests in the bytes that arrive and gives back what to
// send, logging each answer when asked to.
class Conversation {
public:
    // The library writes a request in one go, so bytes of an unfinished frame
    // that sit this long are a remnant (a writer killed mid-frame, line noise
    // with an STX in it) that would otherwise swallow the start of the next
    // request.
    static constexpr std::chrono::milliseconds kStalledFrame{100};

    // `log`, when given, gets a line per answered request.
    Conversation(Responder& responder, std::ostream* log);

    // The answers to the requests `bytes` complete, in order, ready to send.
    std::vector<std::uint8_t> Take(std::span<const std::uint8_t> bytes);

    // Whether the start of a frame is waiting for the rest of it; after
    // kStalledFrame of quiet the transport drops it with DropPartialFrame.
    bool HoldsPartialFrame() const { return reader_.HoldsPartialFrame(); }
    // Also for a new client: nothing of its predecessor's may count.
    void DropPartialFrame() { reader_.Discard(); }

private:
    Responder& responder_;
    std::ostream* log_;
    FrameReader reader_;
};

}  // namespace qorsim
