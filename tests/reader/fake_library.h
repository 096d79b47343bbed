#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reader_library.h"

// Stands in for the reader library: records what the commands hand it and
// answers as the test tells it to.
class FakeLibrary final : public qor::ReaderLibrary {
public:
    struct Open {
        std::string port;
        std::int32_t baud;
        bool operator==(const Open&) const = default;
    };
    struct Read {
        std::int32_t* auxAddress;
        std::int32_t auxValue;  // as the call found it
        unsigned char* sn;
        std::int32_t cardType;
        std::int32_t codeType;
    };
    // Answers a read in place of `readResult` and `card`.
    using Answer = std::function<std::int32_t(std::int32_t& aux, unsigned char* sn)>;

    std::int32_t CROpenCom(const char* port, std::int32_t baud) override {
        opens.push_back({port, baud});
        return openResult;
    }
    std::int32_t CRCloseCom() override {
        ++closes;
        return closeResult;
    }
    std::int32_t CRReadCardSN(std::int32_t& aux, unsigned char* sn, std::int32_t cardType,
                              std::int32_t codeType) override {
        reads.push_back({&aux, aux, sn, cardType, codeType});
        if (onRead) return onRead(aux, sn);
        if (readResult == 0) std::copy(card.begin(), card.end(), sn);
        return readResult;
    }
    std::string BindFailure() const override { return bindFailure; }

    void SetCard(std::string_view number) {
        card.fill(0);
        std::copy_n(number.begin(), std::min(number.size(), card.size()), card.begin());
    }
    // The card type and code type of every read, in order.
    std::vector<std::pair<std::int32_t, std::int32_t>> ReadTypes() const {
        std::vector<std::pair<std::int32_t, std::int32_t>> types;
        for (const Read& read : reads) types.emplace_back(read.cardType, read.codeType);
        return types;
    }

    std::int32_t openResult = 1;
    std::int32_t closeResult = 0;
    std::int32_t readResult = 0;
    std::array<unsigned char, 11> card{};
    Answer onRead;
    std::string bindFailure;

    std::vector<Open> opens;
    int closes = 0;
    std::vector<Read> reads;
};
