// CRC-16/CCITT-FALSE, the checksum of every frame on the reader's line.
#ifndef QORCOMM_CRC16_H
#define QORCOMM_CRC16_H

#include <cstdint>
#include <span>

namespace qorcomm {

// Polynomial 0x1021, initial value 0xFFFF, no reflection, no final XOR.
std::uint16_t Crc16CcittFalse(std::span<const std::uint8_t> bytes);

}  // namespace qorcomm

#endif  // QORCOMM_CRC16_H
