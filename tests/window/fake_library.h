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

// Stands in for the reader library: records what the window's commands
// hand it and answers as the test tells it to.
class FakeLibrary final : public qor::ReaderLibrary {
public:
    struct Open {
        std::string port;
        std::int32_t baud;
        bool operator==(const Open&) const = default;
    };

    std::int32_t CROpenCom(const char* port, std::int32_t baud) override {
        opens.push_back({port, baud});
        return openResult;
    }
    std::int32_t CRCloseCom() override {
        ++closes;
        return 0;
    }
    std::int32_t CRReadCardSN(std::int32_t&, unsigned char* sn, std::int32_t cardType,
                              std::int32_t codeType) override {
        reads.emplace_back(cardType, codeType);
        if (duringRead) duringRead();
        if (readResult == 0) std::copy(card.begin(), card.end(), sn);
        return readResult;
    }
    std::string BindFailure() const override { return {}; }

    void SetCard(std::string_view number) {
        card.fill(0);
        std::copy_n(number.begin(), std::min(number.size(), card.size()), card.begin());
    }

    std::int32_t openResult = 1;
    std::int32_t readResult = 0;
    std::array<unsigned char, 11> card{};
    std::function<void()> duringRead;  // what the operator does while a read takes its time

    std::vector<Open> opens;
    int closes = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> reads;
};
