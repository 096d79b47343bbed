// Open, read and close, over and over, through the real library and the
// simulated reader, with a fixed share of the reads faulty. Every read must
// give the right number or the fault's own code, and nothing may pile up.
//
// QOR_SOAK_CYCLES sets the number of cycles (CI runs a short soak; the full
// one is 10000: see the README).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "qorcomm.h"
#include "sim_process.h"
#include "test_vectors.h"

namespace {

constexpr std::uint64_t kCard = 0x5A3C96F00FULL;
constexpr int kFaultEvery = 10;  // one read in ten is faulty
// The simulator deals the faults out in this order, one per faulty read.
constexpr struct {
    const char* kind;
    std::int32_t code;
} kFaults[] = {{"silent", QOR_E_TIMEOUT},
               {"garbled", QOR_E_BAD_FRAME},
               {"parity", QOR_E_PARITY},
               {"partial", QOR_E_PARTIAL}};

int Cycles() {
    const char* text = std::getenv("QOR_SOAK_CYCLES");
    return text != nullptr ? std::atoi(text) : 300;
}

std::size_t OpenDescriptors(const std::string& pid) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/" + pid + "/fd"))
        ++n;
    return n;
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

TEST(Soak, EveryCycleGivesTheRightNumberOrTheFaultsCode) {
    simtest::PrivateRuntimeDir runtime;
    std::vector<std::string> args{"--port",     "COM4",          "--card",
                                  "5A3C96F00F", "--fault-every", std::to_string(kFaultEvery)};
    for (const auto& fault : kFaults) args.insert(args.end(), {"--fault", fault.kind});
    simtest::SimProcess sim(args);
    ASSERT_FALSE(sim.FirstLine().empty()) << "qor-sim did not start";
    const std::string self = std::to_string(getpid());

    const int cycles = Cycles();
    const int warmUp = std::min(50, cycles);
    std::size_t descriptorsAfterWarmUp = 0, simDescriptorsAfterWarmUp = 0;
    long residentAfterWarmUp = 0;
    int faults = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        ASSERT_EQ(CROpenCom("COM4", 115200), QOR_OPENED) << "cycle " << cycle;

        const int cardType = cycle % vectors::kCardTypeCount;
        const int codeType = 1 + cycle % 5;
        std::int32_t aux = 0;
        unsigned char sn[11] = {};
        const std::int32_t code = CRReadCardSN(&aux, sn, cardType, codeType);
        if (cycle % kFaultEvery == 0) {
            const auto& fault = kFaults[(cycle / kFaultEvery - 1) % std::size(kFaults)];
            ASSERT_EQ(code, fault.code) << "cycle " << cycle << ", fault " << fault.kind;
            ++faults;
        } else {
            ASSERT_EQ(code, QOR_OK) << "cycle " << cycle;
            ASSERT_EQ(std::string(reinterpret_cast<char*>(sn)),
                      vectors::Number(kCard, cardType, codeType))
                << "cycle " << cycle << ", card type " << cardType << ", code type " << codeType;
        }
        ASSERT_EQ(CRCloseCom(), QOR_OK) << "cycle " << cycle;

        if (cycle == warmUp) {
            descriptorsAfterWarmUp = OpenDescriptors(self);
            simDescriptorsAfterWarmUp = OpenDescriptors(std::to_string(sim.Pid()));
            residentAfterWarmUp = ResidentKiB();
        }
    }
    EXPECT_EQ(faults, cycles / kFaultEvery);
    EXPECT_EQ(OpenDescriptors(self), descriptorsAfterWarmUp);
    EXPECT_EQ(OpenDescriptors(std::to_string(sim.Pid())), simDescriptorsAfterWarmUp);
    // Allocator noise, not growth: a leak per cycle would show thousands of KiB.
    EXPECT_LE(ResidentKiB() - residentAfterWarmUp, 512);
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
}

}  // namespace
