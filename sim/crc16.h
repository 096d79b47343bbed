#pragma once

#include <cstdint>
#include <span>

namespace qorsim {

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, no reflection, no
// final XOR. Its check value over "123456789" is 0x29B1.
std::uint16_t Crc16CcittFalse(std::span<const std::uint8_t> bytes);

}  // namespace qorsim
