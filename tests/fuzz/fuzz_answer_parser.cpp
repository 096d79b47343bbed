// Whatever arrives on the line, the parser must judge it with one of its
// codes, never hold more than one frame, and judge it the same however the
// bytes were split into reads.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "answer.h"
#include "qorcomm.h"

namespace {

qorcomm::CardAnswer Judge(std::uint8_t seq, std::span<const std::uint8_t> bytes,
                          std::size_t chunk) {
    qorcomm::AnswerParser parser(seq);
    while (!bytes.empty()) {
        const std::size_t n = std::min(chunk, bytes.size());
        if (parser.Feed(bytes.first(n))) break;
        bytes = bytes.subspan(n);
    }
    return parser.Result();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t seq = data[0];
    const std::size_t chunk = 1 + data[1] % 16;
    const std::span<const std::uint8_t> line(data + 2, size - 2);

    const qorcomm::CardAnswer whole = Judge(seq, line, line.size() + 1);
    const qorcomm::CardAnswer pieces = Judge(seq, line, chunk);
    switch (whole.code) {
        case QOR_OK:
        case QOR_E_TIMEOUT:
        case QOR_E_PARTIAL:
        case QOR_E_BAD_FRAME:
        case QOR_E_NO_CARD: break;
        default: std::abort();
    }
    if (whole.code != pieces.code) std::abort();
    if (whole.code == QOR_OK &&
        (whole.byteCount > qorcomm::kMaxPayload || whole.byteCount != (whole.bitCount + 7) / 8 ||
         !std::equal(whole.Bits().begin(), whole.Bits().end(), pieces.Bits().begin(),
                     pieces.Bits().end())))
        std::abort();
    return 0;
}
