#include "reader_controller.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_library.h"
#include "fake_view.h"

namespace {

using Events = std::vector<std::string>;

// Writes `text` as the library would: its bytes, nothing after them.
FakeLibrary::Answer Writes(std::string text) {
    return [text](std::int32_t&, unsigned char* sn) {
        std::memcpy(sn, text.data(), text.size());
        return 0;
    };
}

class ReaderControllerTest : public ::testing::Test {
protected:
    FakeLibrary library;
    FakeView view;
    qor::ReaderController controller{library, view, {"CP936", "."}};
};

TEST_F(ReaderControllerTest, OpenThatSucceedsSwapsTheButtonsThenLogs) {
    library.openResult = 1;
    controller.OpenPort(" COM3 ", " 19200 ");

    ASSERT_EQ(library.opens.size(), 1u);
    EXPECT_EQ(library.opens[0].port, "COM3");
    EXPECT_EQ(library.opens[0].baud, 19200);
    EXPECT_EQ(controller.State().ComStatus, 1);
    EXPECT_EQ(view.events, (Events{"cmdOpenCom=0", "cmdCloseCom=1", "log:打开串口成功", "log:"}));
}

TEST_F(ReaderControllerTest, OpenThatFailsLogsAndLeavesTheButtons) {
    for (std::int32_t result : {0, -3}) {
        view.events.clear();
        library.openResult = result;
        controller.OpenPort("", "abc");
        EXPECT_EQ(library.opens.back().port, "");
        EXPECT_EQ(library.opens.back().baud, 9600);
        EXPECT_EQ(controller.State().ComStatus, result);
        EXPECT_EQ(view.events, (Events{"log:打开串口失败", "log:"})) << "result " << result;
    }
}

TEST_F(ReaderControllerTest, PortTextLosesOnlyAsciiSpacesAndGoesOutInTheCodePage) {
    controller.OpenPort(
        "\xE3\x80\x80"
        "COM3 ",
        "9600");  // U+3000 is kept
    controller.OpenPort("串口", "9600");
    controller.OpenPort("COM\xF0\x9F\x98\x80", "9600");      // no CP936 form: '?'
    controller.OpenPort(std::string("COM1\0x", 6), "9600");  // an inner NUL cannot cut the name
    ASSERT_EQ(library.opens.size(), 4u);
    EXPECT_EQ(library.opens[0].port,
              "\xA1\xA1"
              "COM3");
    EXPECT_EQ(library.opens[1].port, "\xB4\xAE\xBF\xDA");
    EXPECT_EQ(library.opens[2].port, "COM?");
    EXPECT_EQ(library.opens[3].port, "COM1?x");
}

TEST_F(ReaderControllerTest, CloseReturnsToClosedStateAndReportsFailureHonestly) {
    struct Case {
        std::int32_t result;
        const char* line;
    };
    for (const Case& c :
         {Case{0, "log:关闭串口成功"}, Case{1, "log:关闭串口成功"}, Case{-1, "log:关闭串口失败"}}) {
        view.events.clear();
        library.closeResult = c.result;
        controller.ClosePort();
        EXPECT_EQ(controller.State().ComStatus, c.result);
        EXPECT_EQ(view.events, (Events{"cmdOpenCom=1", "cmdCloseCom=0", c.line, "log:"}))
            << "result " << c.result;
    }
}

TEST_F(ReaderControllerTest, ReadShowsTheNumberAndLogsItWithoutAnEmptyLine) {
    library.onRead = Writes(std::string("0000B2C3D4\0", 11));
    controller.ReadCardNumber(2, 3);
    controller.ReadCardNumber(2, 3);

    ASSERT_EQ(library.reads.size(), 2u);
    EXPECT_EQ(library.reads[0].cardType, 2);
    EXPECT_EQ(library.reads[0].codeType, 3);
    EXPECT_EQ(library.reads[0].sn, controller.State().CardSnBuf().data());
    EXPECT_EQ(view.events, (Events{"edCardSn=0000B2C3D4", "log:读取卡号：0000B2C3D4",
                                   "edCardSn=0000B2C3D4", "log:读取卡号：0000B2C3D4"}));
}

TEST_F(ReaderControllerTest, FailedReadEmptiesTheBoxAndLogsTheResult) {
    library.onRead = Writes(std::string("0000B2C3D4\0", 11));
    controller.ReadCardNumber(2, 3);
    library.onRead = nullptr;
    for (std::int32_t result : {-11, 1, -2147483647 - 1}) {
        library.readResult = result;
        controller.ReadCardNumber(-1, -1);
    }
    library.onRead = Writes(std::string("0000B2C3D5\0", 11));
    controller.ReadCardNumber(2, 3);

    EXPECT_EQ(library.reads.size(), 5u);
    EXPECT_EQ(view.events, (Events{"edCardSn=0000B2C3D4", "log:读取卡号：0000B2C3D4", "edCardSn=",
                                   "log:读取卡号失败：-11", "edCardSn=", "log:读取卡号失败：1",
                                   "edCardSn=", "log:读取卡号失败：-2147483648",
                                   "edCardSn=0000B2C3D5", "log:读取卡号：0000B2C3D5"}));
}

TEST_F(ReaderControllerTest, AuxIsHandedBackAtTheSameAddressWithWhatTheLibraryLeft) {
    library.onRead = [](std::int32_t& aux, unsigned char*) {
        aux = aux * 2 + 44;
        return -1;
    };
    controller.ReadCardNumber(0, 0);
    controller.ReadCardNumber(1, 1);

    const std::int32_t* slot = &controller.State().ReadCardAux();
    ASSERT_EQ(library.reads.size(), 2u);
    EXPECT_EQ(library.reads[0].auxAddress, slot);
    EXPECT_EQ(library.reads[1].auxAddress, slot);
    EXPECT_EQ(library.reads[0].auxValue, 0);
    EXPECT_EQ(library.reads[1].auxValue, 44);
    EXPECT_EQ(*slot, 132);
}

TEST_F(ReaderControllerTest, BufferIsZeroedBeforeEveryRead) {
    library.onRead = Writes("ABCDEFGHIJK");
    controller.ReadCardNumber(2, 3);
    std::array<unsigned char, 11> seen{};
    library.onRead = [&seen](std::int32_t&, unsigned char* sn) {
        std::memcpy(seen.data(), sn, seen.size());
        sn[0] = '1';
        sn[1] = '2';
        return 0;
    };
    controller.ReadCardNumber(2, 3);

    EXPECT_EQ(seen, (std::array<unsigned char, 11>{}));
    EXPECT_EQ(view.events.back(), "log:读取卡号：12");
}

// A vendor's library may write far more than 11 bytes of number and 4 of
// aux; whatever it writes past them, up to 4 KiB each, must reach nothing of
// the program's and fault nothing.
TEST_F(ReaderControllerTest, WritesPastBothBuffersLeaveTheStateAndTheNextReadIntact) {
    controller.OpenPort("COM1", "9600");
    constexpr std::size_t kPast = 4096;
    library.onRead = [this](std::int32_t& aux, unsigned char* sn) {
        EXPECT_TRUE(view.busy);
        std::memcpy(sn, "0123456789", 11);
        std::memset(sn + 11, 'X', kPast);
        auto* slot = reinterpret_cast<unsigned char*>(&aux);
        std::memset(slot + sizeof aux, 0x7F, kPast);
        aux += 44;
        return 0;
    };
    controller.ReadCardNumber(2, 3);
    controller.ReadCardNumber(2, 3);

    EXPECT_FALSE(view.busy);
    ASSERT_EQ(library.reads.size(), 2u);
    EXPECT_EQ(library.reads[1].auxAddress, library.reads[0].auxAddress);
    EXPECT_EQ(library.reads[1].auxValue, 44);
    EXPECT_EQ(controller.State().ReadCardAux(), 88);
    EXPECT_EQ(controller.State().ComStatus, 1);
    const Events read{"edCardSn=0123456789", "log:读取卡号：0123456789"};
    EXPECT_EQ(Events(view.events.end() - 4, view.events.end() - 2), read);
    EXPECT_EQ(Events(view.events.end() - 2, view.events.end()), read);
}

TEST_F(ReaderControllerTest, ShutdownClosesOnceAndSaysNothing) {
    library.closeResult = -1;
    controller.ShutdownPort();
    controller.ShutdownPort();
    EXPECT_EQ(library.closes, 1);
    EXPECT_EQ(controller.State().ComStatus, -1);
    EXPECT_TRUE(view.events.empty());
}

TEST_F(ReaderControllerTest, UnboundLibraryIsReportedBeforeEachCommandsOwnLines) {
    library.bindFailure = "libQORComm.so: cannot open shared object file";
    library.openResult = 0;
    library.closeResult = -1;
    library.readResult = -1;
    const std::string reason =
        "log:无法加载读卡器库：libQORComm.so: cannot open shared object file";

    controller.OpenPort("COM1", "9600");
    EXPECT_EQ(view.events, (Events{reason, "log:打开串口失败", "log:"}));
    view.events.clear();
    controller.ClosePort();
    EXPECT_EQ(view.events,
              (Events{reason, "cmdOpenCom=1", "cmdCloseCom=0", "log:关闭串口失败", "log:"}));
    view.events.clear();
    controller.ReadCardNumber(2, 3);
    EXPECT_EQ(view.events, (Events{reason, "edCardSn="})) << "no made-up result";
    view.events.clear();
    controller.ShutdownPort();
    EXPECT_TRUE(view.events.empty());
}

// The loader's words name the library's file and what it lacks, both chosen
// by whoever made the file.
TEST_F(ReaderControllerTest, UnboundLibraryReasonIsShownAsTextOnly) {
    library.bindFailure =
        "libQOR\x1B[2J\xE2\x80\xAE.so: undefined symbol: CROpen\xE3\x85\xA4"
        "Com";
    const std::string f = "\xEF\xBF\xBD";
    controller.OpenPort("COM1", "9600");
    ASSERT_FALSE(view.events.empty());
    EXPECT_EQ(view.events.front(), "log:无法加载读卡器库：libQOR" + f + "[2J" + f +
                                       ".so: undefined symbol: CROpen" + f + "Com");
}

}  // namespace
