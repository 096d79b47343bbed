#pragma once

#include <cstdint>
#include <string>

namespace qor {

// The three calls of the vendor's reader library, as the commands use them.
// The production binding loads the shared library; tests substitute fakes.
class ReaderLibrary {
public:
    virtual ~ReaderLibrary() = default;

    virtual std::int32_t CROpenCom(const char* port, std::int32_t baud) = 0;
    virtual std::int32_t CRCloseCom() = 0;
    virtual std::int32_t CRReadCardSN(std::int32_t& aux, unsigned char* sn, std::int32_t cardType,
                                      std::int32_t codeType) = 0;

    // Why the most recent call could not reach the library (the loader's
    // own words), or empty when it did. A call that could not be bound
    // returns the failure value of its function without touching anything.
    virtual std::string BindFailure() const = 0;
};

}  // namespace qor
