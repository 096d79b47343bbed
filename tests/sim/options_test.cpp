#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace qorsim {
namespace {

ParseOutcome Parse(const std::vector<std::string_view>& args) { return ParseOptions(args); }

Options Accepted(const std::vector<std::string_view>& args) {
    const ParseOutcome outcome = Parse(args);
    if (const auto* error = std::get_if<UsageError>(&outcome))
        ADD_FAILURE() << "refused: " << error->message;
    return std::holds_alternative<Options>(outcome) ? std::get<Options>(outcome) : Options{};
}

TEST(Options, AcceptedForms) {
    EXPECT_EQ(Accepted({"--card", "0x5a1b2c3d4e"}).reader.cardId, 0x5A1B2C3D4Eu);
    EXPECT_EQ(Accepted({"--card=FFFFFFFFFF"}).reader.cardId, 0xFFFFFFFFFFu);
    EXPECT_EQ(Accepted({"--card", "0X0000000000001"}).reader.cardId, 1u);
    EXPECT_FALSE(Accepted({"--no-card"}).reader.cardId);
    EXPECT_EQ(Accepted({"--port", "com12"}).port, "COM12");
    EXPECT_EQ(Accepted({"--port", "COM999999999"}).port, "COM999999999");
    EXPECT_TRUE(Accepted({"-v"}).verbose);
    const Options device = Accepted({"--device", "/dev/ttyUSB0", "--baud=115200", "--then", "x"});
    EXPECT_EQ(device.device, "/dev/ttyUSB0");
    EXPECT_EQ(device.baud, 115200u);
    EXPECT_EQ(device.then, "x");
    EXPECT_EQ(Accepted({"--device", "COM3"}).baud, kDefaultBaud);

    const Options faults = Accepted({"--fault", "parity", "--fault=silent", "--fault-every", "5"});
    EXPECT_EQ(faults.reader.faults, (std::vector<Fault>{Fault::Parity, Fault::Silent}));
    EXPECT_EQ(faults.reader.faultEvery, 5u);
}

struct Refusal {
    std::vector<std::string_view> args;
    std::string messagePart;
};

class OptionsRefused : public testing::TestWithParam<Refusal> {};

TEST_P(OptionsRefused, WithAMessageNamingTheProblem) {
    const ParseOutcome outcome = Parse(GetParam().args);
    ASSERT_TRUE(std::holds_alternative<UsageError>(outcome));
    EXPECT_NE(std::get<UsageError>(outcome).message.find(GetParam().messagePart), std::string::npos)
        << std::get<UsageError>(outcome).message;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, OptionsRefused,
    testing::Values(Refusal{{"--card", "xyz"}, "not a hexadecimal"},
                    Refusal{{"--card", "-1"}, "not a hexadecimal"},
                    Refusal{{"--card", "0x"}, "not a hexadecimal"},
                    Refusal{{"--card", " 12"}, "not a hexadecimal"},
                    Refusal{{"--card", "0x10000000000"}, "more than 40 bits"},
                    Refusal{{"--card", "123456789abcdef0123"}, "more than 40 bits"},
                    Refusal{{"--card"}, "--card needs a value"},
                    Refusal{{"--card", "1", "--no-card"}, "exclude each other"},
                    Refusal{{"--fault", "loud"}, "unknown kind 'loud'"},
                    Refusal{{"--fault", "silent", "--fault-every", "0"}, "at least 1"},
                    Refusal{{"--fault", "silent", "--fault-every", "-2"}, "at least 1"},
                    Refusal{{"--fault", "silent", "--fault-every", "99999999999"}, "at least 1"},
                    Refusal{{"--fault-every", "2"}, "needs at least one --fault"},
                    Refusal{{"--port", "COM0"}, "COMn"}, Refusal{{"--port", "COM01"}, "COMn"},
                    Refusal{{"--port", "COM"}, "COMn"}, Refusal{{"--port", "LPT1"}, "COMn"},
                    Refusal{{"--port", "COM1x"}, "COMn"},
                    Refusal{{"--port", "COM1234567890"}, "COMn"},
                    Refusal{{"--port", "COM1", "--device", "/dev/ttyS0"}, "exclude each other"},
                    Refusal{{"--baud", "9600"}, "--baud needs --device"},
                    Refusal{{"--device", "COM1", "--baud", "0"}, "not a baud rate"},
                    Refusal{{"--device", "COM1", "--baud", "2147483648"}, "not a baud rate"},
                    Refusal{{"--no-card=yes"}, "takes no value"},
                    Refusal{{"--frobnicate"}, "unknown option '--frobnicate'"},
                    Refusal{{"COM1"}, "unexpected argument 'COM1'"}));

}  // namespace
}  // namespace qorsim
