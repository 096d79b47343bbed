#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "reader_library.h"

namespace bench {

// Answers at once, as a library with no device behind it would.
class InstantLibrary : public qor::ReaderLibrary {
public:
    std::int32_t CROpenCom(const char*, std::int32_t) override { return 1; }
    std::int32_t CRCloseCom() override { return 0; }
    std::int32_t CRReadCardSN(std::int32_t&, unsigned char* sn, std::int32_t,
                              std::int32_t) override {
        std::memcpy(sn, "0000B2C3D4", 11);
        return 0;
    }
    std::string BindFailure() const override { return {}; }
};

}  // namespace bench
