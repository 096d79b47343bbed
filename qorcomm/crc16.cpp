#include "crc16.h"

namespace qorcomm {

// Bitwise rather than table-driven: the sum covers at most 19 bytes (SEQ,
// CMD, LEN and a payload of kMaxPayload), so a table would cost more to read
// than the loop costs to run.
std::uint16_t Crc16CcittFalse(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>(crc ^ (byte << 8));
        for (int i = 0; i < 8; ++i) {
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<std::uint16_t>(crc << 1);
        }
    }
    return crc;
}

}  // namespace qorcomm
