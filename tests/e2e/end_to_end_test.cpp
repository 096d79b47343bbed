// The whole chain as an operator drives it: the window with the production
// binding, the real libQORComm.so found by the loader, and qor-sim serving
// the default port COM1 through its alias.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

#include "main_window.h"
#include "message_lines.h"
#include "qorcomm_library.h"
#include "sim_process.h"
#include "test_vectors.h"

namespace {

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        sim.emplace(std::vector<std::string>{"--port", "COM1", "--card", "5A3C96F00F"});
        ASSERT_FALSE(sim->FirstLine().empty()) << "qor-sim did not start";
        form.emplace(library);
        form->show();
    }

    template <typename Widget>
    Widget* Find(const char* name) {
        auto* widget = form->findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    QString CardSn() { return Find<QLineEdit>("edCardSn")->text(); }
    QStringList Log() { return Lines(*Find<qor::MessageList>("edMsg")); }

    simtest::PrivateRuntimeDir runtime;  // COM1 here, not in a real session's folder
    std::optional<simtest::SimProcess> sim;
    qor::QorCommLibrary library;
    std::optional<qor::Form1> form;
};

TEST_F(EndToEnd, OpenReadEveryFormatAndClose) {
    Click("cmdOpenCom");
    EXPECT_EQ(Log(), (QStringList{"打开串口成功", ""}));
    EXPECT_FALSE(Find<QPushButton>("cmdOpenCom")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("cmdCloseCom")->isEnabled());

    // The defaults: the 44-bit format, the low 3 bytes.
    Click("btnReadCard");
    EXPECT_EQ(CardSn(), "000096F00F");

    // All data bits, in each format: as many of the ID's low bits as its
    // data field holds.
    Find<QComboBox>("edCodeType")->setCurrentIndex(1);
    for (int cardType = 0; cardType < vectors::kCardTypeCount; ++cardType) {
        const QString expected =
            QString::fromLatin1(vectors::Number(vectors::kCardId, cardType, 1));
        Find<QComboBox>("edCardType")->setCurrentIndex(cardType);
        Click("btnReadCard");
        EXPECT_EQ(CardSn(), expected) << "card type " << cardType;
        EXPECT_EQ(Log().back(), "读取卡号：" + expected);
    }

    // The whole 26-bit frame, parity bits included.
    Find<QComboBox>("edCardType")->setCurrentIndex(0);
    Find<QComboBox>("edCodeType")->setCurrentIndex(0);
    Click("btnReadCard");
    EXPECT_EQ(CardSn(), "00012DE01F");

    // A 44-bit frame does not fit the whole-frame method: the read fails.
    Find<QComboBox>("edCardType")->setCurrentIndex(2);
    Click("btnReadCard");
    EXPECT_EQ(CardSn(), "");
    EXPECT_EQ(Log().back(), "读取卡号失败：-12");

    Click("cmdCloseCom");
    EXPECT_EQ(Log().mid(Log().size() - 2), (QStringList{"关闭串口成功", ""}));
    EXPECT_TRUE(Find<QPushButton>("cmdOpenCom")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("cmdCloseCom")->isEnabled());

    // With the port closed the library refuses the read.
    Click("btnReadCard");
    EXPECT_EQ(Log().back(), "读取卡号失败：-6");

    form->close();
    EXPECT_EQ(sim->Stop(SIGTERM), 0);
}

TEST_F(EndToEnd, EveryOtherReadFailingOnParityShowsEachOutcome) {
    EXPECT_EQ(sim->Stop(SIGTERM), 0);
    sim.emplace(std::vector<std::string>{"--port", "COM1", "--card", "5A3C96F00F", "--fault",
                                         "parity", "--fault-every", "2"});
    ASSERT_FALSE(sim->FirstLine().empty()) << "qor-sim did not start";
    Click("cmdOpenCom");
    for (int read = 0; read < 2; ++read) {
        Click("btnReadCard");
        EXPECT_EQ(CardSn(), "000096F00F");
        Click("btnReadCard");
        EXPECT_EQ(CardSn(), "");
    }
    EXPECT_EQ(Log().mid(2), (QStringList{"读取卡号：000096F00F", "读取卡号失败：-11",
                                         "读取卡号：000096F00F", "读取卡号失败：-11"}));
    form->close();
}

TEST_F(EndToEnd, MissingPortFailsAndTheOperatorCanRetry) {
    Find<QComboBox>("cboPort")->setEditText("/dev/qor-no-such-port");
    Click("cmdOpenCom");
    EXPECT_EQ(Log(), (QStringList{"打开串口失败", ""}));
    EXPECT_TRUE(Find<QPushButton>("cmdOpenCom")->isEnabled());

    Find<QComboBox>("cboPort")->setEditText(" COM1 ");
    Click("cmdOpenCom");
    EXPECT_EQ(Log().mid(2), (QStringList{"打开串口成功", ""}));
    Click("btnReadCard");
    EXPECT_EQ(CardSn(), "000096F00F");
    form->close();
}

}  // namespace
