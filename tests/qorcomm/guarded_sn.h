// An 11-byte sn between guard bytes, and an aux, all holding marks that a
// failed call must leave alone and a successful one may only change inside.
#ifndef QORCOMM_TESTS_GUARDED_SN_H
#define QORCOMM_TESTS_GUARDED_SN_H

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

struct GuardedSn {
    static constexpr unsigned char kMark = 0xA5;
    static constexpr std::int32_t kAuxMark = 0x5A5A5A5A;

    std::array<unsigned char, 15> bytes;
    std::int32_t aux = kAuxMark;

    GuardedSn() { bytes.fill(kMark); }
    unsigned char* Sn() { return bytes.data() + 2; }
    std::string Text() const {
        return std::string(reinterpret_cast<const char*>(bytes.data() + 2));
    }
    bool GuardsIntact() const {
        return bytes[0] == kMark && bytes[1] == kMark && bytes[13] == kMark && bytes[14] == kMark;
    }
    bool Untouched() const {
        return aux == kAuxMark &&
               std::all_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b == kMark; });
    }
};

#endif  // QORCOMM_TESTS_GUARDED_SN_H
