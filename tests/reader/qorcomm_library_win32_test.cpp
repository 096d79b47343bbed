// Each test puts one build of a fake reader DLL beside this program, as an
// operator would, and takes it away again.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "binding_checks.h"
#include "fake_view.h"
#include "qorcomm_library.h"
#include "reader_controller.h"

namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

fs::path Variant(const char* name) { return ProgramFolder().parent_path() / name / "QORComm.dll"; }

// The DLL of one variant beside the program for as long as this lives;
// create it before the library that loads it, so it goes after.
class DllBesideProgram {
public:
    explicit DllBesideProgram(const char* variant) {
        fs::copy_file(Variant(variant), path_, fs::copy_options::overwrite_existing);
    }
    ~DllBesideProgram() { fs::remove(path_); }
    DllBesideProgram(const DllBesideProgram&) = delete;
    DllBesideProgram& operator=(const DllBesideProgram&) = delete;

private:
    fs::path path_ = ProgramFolder() / "QORComm.dll";
};

// 64-bit Windows has neither decorated names nor a second calling
// convention, so only the 32-bit build makes those DLLs.
constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

TEST(Binding, FindsPlainAndEitherDecoratedSpelling) {
    std::vector<const char*> variants{"plain"};
    if (kThirtyTwoBit) variants.insert(variants.end(), {"mingw_decorated", "msvc_decorated"});
    for (const char* variant : variants) {
        SCOPED_TRACE(variant);
        DllBesideProgram dll(variant);
        qor::QorCommLibrary library;
        ExpectArgumentsAndResultsPassThrough(library);
    }
}

// Without the stack put back, each call would leave it 8 or 16 bytes off and
// the program would overflow its stack long before the loop ends.
TEST(Binding, SurvivesADllBuiltWithTheOtherCallingConvention) {
    if (!kThirtyTwoBit) GTEST_SKIP() << "one calling convention on 64-bit Windows";
    DllBesideProgram dll("cdecl");
    qor::QorCommLibrary library;
    std::int32_t aux = 0;
    unsigned char sn[11] = {};
    for (std::int32_t i = 0; i < 200'000; ++i) {
        ASSERT_EQ(library.CROpenCom("COM7", i), i);
        ASSERT_EQ(library.CRReadCardSN(aux, sn, 1, i % 6), 0);
        ASSERT_EQ(library.CRCloseCom(), 7);
    }
    EXPECT_EQ(aux, 200'000);
    ExpectArgumentsAndResultsPassThrough(library);
}

TEST(Binding, MissingFunctionFailsThatCallAloneAndEveryTime) {
    DllBesideProgram dll("partial");
    qor::QorCommLibrary library;
    FakeView view;
    qor::ReaderController controller(library, view, {"CP1252", "."});
    controller.OpenPort("COM7", "9600");
    controller.ReadCardNumber(2, 3);
    controller.ReadCardNumber(2, 3);

    const std::string reason = library.BindFailure();
    EXPECT_EQ(reason.rfind("CRReadCardSN: ", 0), 0u) << reason;
    EXPECT_GT(reason.size(), 14u) << "the system's words are missing";
    EXPECT_EQ(view.events, OpenThenTwoUnboundReads(reason));
    EXPECT_EQ(library.CROpenCom("COM7", 1200), 1200);
    EXPECT_EQ(library.BindFailure(), "");
}

TEST(Binding, AbsentDllIsReportedAndFoundOnceItIsBesideTheProgram) {
    std::optional<DllBesideProgram> dll;
    qor::QorCommLibrary library;
    FakeView view;
    qor::ReaderController controller(library, view, {"CP1252", "."});
    controller.OpenPort("COM7", "9600");
    ASSERT_EQ(view.events.size(), 3u);
    EXPECT_EQ(view.events[0].rfind("log:无法加载读卡器库：QORComm.dll: ", 0), 0u) << view.events[0];
    EXPECT_EQ(view.events[1], "log:打开串口失败");

    dll.emplace("plain");
    EXPECT_EQ(library.CROpenCom("COM7", 2400), 2400);
    EXPECT_EQ(library.BindFailure(), "");
}

TEST(Binding, IgnoresADllPlantedInTheWorkingFolder) {
    const fs::path planted = fs::temp_directory_path() / "qor-planted";
    fs::create_directories(planted);
    fs::copy_file(Variant("plain"), planted / "QORComm.dll", fs::copy_options::overwrite_existing);
    const fs::path before = fs::current_path();
    fs::current_path(planted);
    {
        qor::QorCommLibrary library;
        EXPECT_EQ(library.CROpenCom("COM7", 4800), 0);
        EXPECT_EQ(library.BindFailure().rfind("QORComm.dll: ", 0), 0u) << library.BindFailure();
    }
    fs::current_path(before);
    fs::remove_all(planted);
}

}  // namespace
