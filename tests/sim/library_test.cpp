// Card numbers below follow from the card IDs by hand: each format's data
// field keeps as many of the ID's low bits as the formats' table
// (qorcomm/wiegand.cpp) gives it, and code type 0 reads the whole frame
// (parity bits included) as one number.
#include "sim_process.h"

#include "line_timing.h"
#include "qorcomm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "test_vectors.h"
#include "timing_slack.h"

namespace simtest {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The library's answer timeout plus room for a loaded machine.
constexpr milliseconds kReadBound{qorcomm::kAnswerTimeout + kTimingSlack};

const char* const kPort = "COM5";

struct ReadResult {
    int32_t code;
    std::string sn;
    int32_t aux;
    milliseconds took;
};

ReadResult ReadCard(int32_t cardType, int32_t codeType) {
    unsigned char sn[11] = {};
    int32_t aux = -1;
    const auto start = Clock::now();
    const int32_t code = CRReadCardSN(&aux, sn, cardType, codeType);
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    return {code, code == QOR_OK ? std::string(reinterpret_cast<char*>(sn)) : "", aux, took};
}

// A simulator on COM5 in a private runtime folder, opened through the
// library; on the way out, the library closes and the simulator must shut
// down cleanly and take its alias with it.
template <typename Param>
class LibraryAgainstSim : public testing::TestWithParam<Param> {
protected:
    virtual std::vector<std::string> SimArgs() const = 0;

    void SetUp() override {
        std::vector<std::string> args{"--port", kPort};
        const std::vector<std::string> more = SimArgs();
        args.insert(args.end(), more.begin(), more.end());
        sim_.emplace(args);
        ASSERT_FALSE(sim_->FirstLine().empty()) << "qor-sim did not start";
        ASSERT_EQ(CROpenCom(kPort, 9600), QOR_OPENED);
    }

    void TearDown() override {
        EXPECT_EQ(CRCloseCom(), QOR_OK);
        EXPECT_EQ(sim_->Stop(SIGTERM), 0);
        EXPECT_FALSE(
            std::filesystem::exists(std::filesystem::symlink_status(runtime_.Alias(kPort))));
    }

private:
    PrivateRuntimeDir runtime_;
    std::optional<SimProcess> sim_;
};

struct ExpectedRead {
    int32_t cardType;
    int32_t codeType;
    int32_t code;
    const char* sn;  // when code is QOR_OK
};

struct CardCase {
    const char* name;
    const char* cardArg;
    std::vector<ExpectedRead> reads;
};

class LibraryReadsCard : public LibraryAgainstSim<CardCase> {
protected:
    std::vector<std::string> SimArgs() const override { return {"--card", GetParam().cardArg}; }
};

TEST_P(LibraryReadsCard, GivesTheNumberForEachFormatAndCodeType) {
    for (const ExpectedRead& expected : GetParam().reads) {
        SCOPED_TRACE("card type " + std::to_string(expected.cardType) + ", code type " +
                     std::to_string(expected.codeType));
        const ReadResult got = ReadCard(expected.cardType, expected.codeType);
        EXPECT_EQ(got.code, expected.code);
        if (expected.code == QOR_OK) {
            EXPECT_EQ(got.sn, expected.sn);
            EXPECT_EQ(got.aux, vectors::kFrameBits[expected.cardType]);
        }
        EXPECT_LT(got.took, kReadBound);
    }

    // The simulator keeps serving when the library closes and opens again.
    ASSERT_EQ(CRCloseCom(), QOR_OK);
    ASSERT_EQ(CROpenCom(kPort, 115200), QOR_OPENED);
    const ExpectedRead& first = GetParam().reads.front();
    EXPECT_EQ(ReadCard(first.cardType, first.codeType).sn, first.sn);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, LibraryReadsCard,
    testing::Values(CardCase{"Mixed",
                             "5A1B2C3D4E",
                             {{0, 0, QOR_OK, "0002587A9C"},
                              {0, 1, QOR_OK, "00002C3D4E"},
                              {0, 2, QOR_OK, "0000003D4E"},
                              {1, 0, QOR_OK, "0436587A9C"},
                              {1, 1, QOR_OK, "021B2C3D4E"},
                              {1, 4, QOR_OK, "001B2C3D4E"},
                              {2, 1, QOR_OK, "5A1B2C3D4E"},
                              {2, 3, QOR_OK, "00002C3D4E"},
                              {2, 5, QOR_OK, "5A1B2C3D4E"},
                              {2, 0, QOR_E_TOO_WIDE, nullptr},
                              {3, 0, QOR_OK, "0236587A9C"},
                              {3, 1, QOR_OK, "001B2C3D4E"},
                              {3, 5, QOR_OK, "001B2C3D4E"}}},
                    // Each parity's value differs between the halves of 12/16 bits and
                    // those of 17, so a parity rule mixed up shows here.
                    CardCase{"AllOnes",
                             "0xFFFFFFFFFF",
                             {{0, 0, QOR_OK, "0001FFFFFF"},
                              {1, 0, QOR_OK, "0FFFFFFFFE"},
                              {1, 1, QOR_OK, "03FFFFFFFF"},
                              {2, 1, QOR_OK, "FFFFFFFFFF"},
                              {3, 0, QOR_OK, "01FFFFFFFF"}}},
                    CardCase{"Zero",
                             "0",
                             {{0, 0, QOR_OK, "0000000001"},
                              {1, 0, QOR_OK, "0000000001"},
                              {2, 1, QOR_OK, "0000000000"},
                              {3, 0, QOR_OK, "0000000001"}}}),
    [](const testing::TestParamInfo<CardCase>& info) { return std::string(info.param.name); });

struct FaultCase {
    const char* name;
    std::vector<std::string> simArgs;
    std::vector<int32_t> codes;  // one per read, in order
};

class LibraryMeetsFault : public LibraryAgainstSim<FaultCase> {
protected:
    std::vector<std::string> SimArgs() const override { return GetParam().simArgs; }
};

// Every second read is faulty, so each fault must be reported, within the
// timeout, and must not spoil the read after it.
TEST_P(LibraryMeetsFault, ReportsItAndRecovers) {
    const std::vector<int32_t>& codes = GetParam().codes;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        SCOPED_TRACE("read " + std::to_string(i + 1));
        const ReadResult got = ReadCard(static_cast<int32_t>(i) % vectors::kCardTypeCount, 1);
        EXPECT_EQ(got.code, codes[i]);
        EXPECT_LT(got.took, kReadBound);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LibraryMeetsFault,
    testing::Values(FaultCase{"Silent",
                              {"--fault", "silent", "--fault-every", "2"},
                              {QOR_OK, QOR_E_TIMEOUT, QOR_OK}},
                    FaultCase{"Garbled",
                              {"--fault", "garbled", "--fault-every", "2"},
                              {QOR_OK, QOR_E_BAD_FRAME, QOR_OK}},
                    FaultCase{"Parity",
                              {"--fault", "parity", "--fault-every", "2"},
                              {QOR_OK, QOR_E_PARITY, QOR_OK, QOR_E_PARITY, QOR_OK, QOR_E_PARITY,
                               QOR_OK, QOR_E_PARITY}},
                    FaultCase{"Partial",
                              {"--fault", "partial", "--fault-every", "2"},
                              {QOR_OK, QOR_E_PARTIAL, QOR_OK}},
                    FaultCase{"NoCard", {"--no-card"}, {QOR_E_NO_CARD, QOR_E_NO_CARD}},
                    FaultCase{"AllInTurn",
                              {"--fault", "silent", "--fault", "garbled", "--fault", "parity",
                               "--fault", "partial", "--fault-every", "2"},
                              {QOR_OK, QOR_E_TIMEOUT, QOR_OK, QOR_E_BAD_FRAME, QOR_OK, QOR_E_PARITY,
                               QOR_OK, QOR_E_PARTIAL, QOR_OK}}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace simtest
