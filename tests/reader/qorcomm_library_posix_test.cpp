// Each suite runs in its own process with its own LD_LIBRARY_PATH (see
// CMakeLists.txt), since the loader reads that variable once at start.
#include "qorcomm_library.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <string>

#include "binding_checks.h"
#include "fake_view.h"
#include "reader_controller.h"

namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;

TEST(BindingFound, PassesArgumentsAndResultsThrough) {
    qor::QorCommLibrary library;
    ExpectArgumentsAndResultsPassThrough(library);
}

TEST(BindingFound, DrivesTheCommands) {
    qor::QorCommLibrary library;
    FakeView view;
    qor::ReaderController controller(library, view, {"ANSI_X3.4-1968", "."});
    controller.OpenPort(" COM7 ", "4800");
    controller.ReadCardNumber(-1, 5);
    controller.ClosePort();
    EXPECT_EQ(controller.State().ReadCardAux(), 1);
    EXPECT_EQ(view.events, (Events{"cmdOpenCom=0", "cmdCloseCom=1", "log:打开串口成功",
                                   "log:", "edCardSn=T-1C5", "log:读取卡号：T-1C5", "cmdOpenCom=1",
                                   "cmdCloseCom=0", "log:关闭串口成功", "log:"}));
}

TEST(BindingPartial, MissingFunctionFailsThatCallAloneAndEveryTime) {
    qor::QorCommLibrary library;
    FakeView view;
    qor::ReaderController controller(library, view, {"ANSI_X3.4-1968", "."});
    controller.OpenPort("COM7", "9600");
    controller.ReadCardNumber(2, 3);
    controller.ReadCardNumber(2, 3);

    const std::string reason = library.BindFailure();
    EXPECT_NE(reason.find("CRReadCardSN"), std::string::npos) << reason;
    EXPECT_EQ(view.events, OpenThenTwoUnboundReads(reason));

    std::int32_t aux = 0;
    EXPECT_EQ(library.CRCloseCom(), -1);
    EXPECT_EQ(library.CRReadCardSN(aux, nullptr, 0, 0), -1);
    EXPECT_EQ(library.CROpenCom("COM7", 1200), 1200);
    EXPECT_EQ(library.BindFailure(), "");
}

TEST(BindingBesideProgram, AbsentLibraryFailsUntilItAppearsBesideTheProgram) {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    const fs::path beside = fs::path(self).parent_path() / "libQORComm.so";
    fs::remove(beside);

    qor::QorCommLibrary library;
    FakeView view;
    qor::ReaderController controller(library, view, {"ANSI_X3.4-1968", "."});
    controller.OpenPort("COM7", "9600");
    controller.ShutdownPort();
    ASSERT_EQ(view.events.size(), 3u);
    EXPECT_EQ(view.events[0].rfind("log:无法加载读卡器库：", 0), 0u) << view.events[0];
    EXPECT_NE(view.events[0].find("libQORComm.so"), std::string::npos) << view.events[0];
    EXPECT_EQ(view.events[1], "log:打开串口失败");
    EXPECT_EQ(controller.State().ComStatus, -1);

    fs::copy_file(FAKE_LIBRARY_PATH, beside, fs::copy_options::overwrite_existing);
    EXPECT_EQ(library.CROpenCom("COM7", 2400), 2400);
    EXPECT_EQ(library.BindFailure(), "");
    fs::remove(beside);
}

}  // namespace
