// QORComm.dll through Wine's serial layer, where COM1 leads to the alias that
// the Linux qor-sim --port COM1 makes, and through the pipe of the Windows
// qor-sim.exe. Each suite says what it needs on COM1; CTest runs each with
// that in place (see CMakeLists.txt).
//
// Run as "--try-open PORT", the program only opens PORT and ends abruptly,
// without closing it, with CROpenCom's result as its exit code.
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "exclusive_port_win32.h"
#include "guarded_sn.h"
#include "handle_win32.h"
#include "line_timing.h"
#include "open_sim_pipe_win32.h"
#include "port_name_limit.h"
#include "process_user_win32.h"
#include "qorcomm.h"
#include "test_vectors.h"
#include "timing_slack.h"
#include "wide_text_win32.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A read the simulator answers takes well under a millisecond through Wine;
// one that waits for the answer timeout before it returns is a fault too.
constexpr milliseconds kAnsweredWithin{qorcomm::kAnswerTimeout / 2};
// The answer timeout, give or take a loaded machine.
constexpr milliseconds kTimedOutFrom{qorcomm::kAnswerTimeout};
constexpr milliseconds kTimedOutBy{qorcomm::kAnswerTimeout + kTimingSlack};

struct Read {
    std::int32_t code;
    milliseconds took;
    GuardedSn out;
};

Read ReadCard(std::int32_t cardType, std::int32_t codeType) {
    Read read{};
    const Clock::time_point start = Clock::now();
    read.code = CRReadCardSN(&read.out.aux, read.out.Sn(), cardType, codeType);
    read.took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    return read;
}

// Runs this program again as "--try-open `port`" and returns its exit code.
std::int32_t OpenInAnotherProcess(const std::string& port) {
    wchar_t self[MAX_PATH] = {};
    if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return 0;
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --try-open " + std::wstring(port.begin(), port.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "CreateProcessW: error " << GetLastError();
        return 0;
    }
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &code)) {
        ADD_FAILURE() << "--try-open " << port << " did not end";
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<std::int32_t>(code);
}

class Com1 : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(CRCloseCom(), QOR_OK); }
};

// qor-sim --port COM1, with its demo card 00A1B2C3D4.
using WithSim = Com1;

TEST_F(WithSim, ReadsTheDemoCard) {
    // Wine would set these rates; no port runs at them.
    EXPECT_EQ(CROpenCom("COM1", 0), QOR_E_BAUD);
    EXPECT_EQ(CROpenCom("COM1", -9600), QOR_E_BAUD);

    ASSERT_EQ(CROpenCom("COM1", 9600), QOR_OPENED);
    Read read = ReadCard(2, 3);
    ASSERT_EQ(read.code, QOR_OK);
    EXPECT_EQ(read.out.Text(), "0000B2C3D4");
    EXPECT_EQ(read.out.aux, 44);
    EXPECT_TRUE(read.out.GuardsIntact());
    EXPECT_LT(read.took, kAnsweredWithin);
    EXPECT_EQ(CRCloseCom(), QOR_OK);
    EXPECT_EQ(ReadCard(2, 3).code, QOR_E_NOT_OPEN);

    ASSERT_EQ(CROpenCom("com1", 115200), QOR_OPENED);
    for (int i = 0; i < 20; ++i) {
        read = ReadCard(0, 1);
        ASSERT_EQ(read.code, QOR_OK) << "read " << i;
        EXPECT_EQ(read.out.Text(), "0000B2C3D4");
        EXPECT_LT(read.took, kAnsweredWithin);
    }
}

TEST_F(WithSim, APortIsHeldByOneProcessAtATime) {
    ASSERT_EQ(CROpenCom("COM1", 9600), QOR_OPENED);
    EXPECT_EQ(OpenInAnotherProcess("COM1"), QOR_E_BUSY);
    EXPECT_EQ(OpenInAnotherProcess("\\\\.\\com1"), QOR_E_BUSY);
    // The refused opens left the holder's line alone.
    EXPECT_EQ(ReadCard(2, 3).code, QOR_OK);
    ASSERT_EQ(CRCloseCom(), QOR_OK);

    // That process ends with the port open, as if it crashed; the system
    // lets go of the port with it.
    EXPECT_EQ(OpenInAnotherProcess("COM1"), QOR_OPENED);
    ASSERT_EQ(CROpenCom("COM1", 9600), QOR_OPENED);
    EXPECT_EQ(ReadCard(2, 3).code, QOR_OK);
}

// qor-sim --port COM1 --fault silent --fault partial --fault-every 2: every
// second request goes unanswered, then half answered, in turn.
using WithFaultySim = Com1;

TEST_F(WithFaultySim, WaitsOutTheAnswerTimeoutAndNoLonger) {
    ASSERT_EQ(CROpenCom("COM1", 9600), QOR_OPENED);
    for (const std::int32_t fault : {QOR_E_TIMEOUT, QOR_E_PARTIAL}) {
        Read read = ReadCard(2, 3);
        EXPECT_EQ(read.code, QOR_OK);
        EXPECT_LT(read.took, kAnsweredWithin);

        read = ReadCard(2, 3);
        EXPECT_EQ(read.code, fault);
        EXPECT_GE(read.took, kTimedOutFrom);
        EXPECT_LT(read.took, kTimedOutBy);
        EXPECT_TRUE(read.out.Untouched());
    }
}

// No simulator: COM1 is mapped to an alias that is not there.
using WithoutSim = Com1;

TEST_F(WithoutSim, AComWhoseTargetIsGoneIsNoDevice) {
    EXPECT_EQ(CROpenCom("COM1", 9600), QOR_E_NO_DEVICE);
    Read read = ReadCard(2, 3);
    EXPECT_EQ(read.code, QOR_E_NOT_OPEN);
    EXPECT_TRUE(read.out.Untouched());
}

// Needs nothing on COM1, and the ANSI code page 936.
using AnyTime = Com1;

TEST_F(AnyTime, RefusesWhatIsNoPort) {
    EXPECT_EQ(CROpenCom("COM999", 9600), QOR_E_NO_DEVICE);  // never mapped

    // A name only code page 936 can spell: it reaches the file as the
    // caller's ANSI bytes, and the file is refused untouched.
    const fs::path folder =
        fs::temp_directory_path() / ("qorcomm-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path file = folder / L"读卡器.txt";
    const std::string content = "not a serial port\r\n";
    std::ofstream(file, std::ios::binary) << content;
    char ansi[MAX_PATH] = {};
    BOOL lossy = FALSE;
    ASSERT_GT(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, file.c_str(), -1, ansi, sizeof ansi,
                                  nullptr, &lossy),
              0);
    ASSERT_FALSE(lossy) << "code page " << GetACP() << " cannot spell " << file.string()
                        << "; run with LC_ALL=zh_CN.UTF-8";

    EXPECT_EQ(CROpenCom(ansi, 9600), QOR_E_NOT_TERMINAL);
    EXPECT_EQ(CROpenCom(folder.string().c_str(), 9600), QOR_E_NOT_TERMINAL);
    Read read = ReadCard(2, 3);
    EXPECT_EQ(read.code, QOR_E_NOT_OPEN);
    EXPECT_TRUE(read.out.Untouched());

    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
    in.close();
    fs::remove_all(folder);
}

// A path past MAX_PATH is the system's to judge (\\?\ takes 32767 UTF-16
// units); only a name longer than any path could widen to is refused unseen.
TEST_F(AnyTime, TriesEveryNameAPathCouldBe) {
    const std::wstring folder =
        L"\\\\?\\" +
        (fs::temp_directory_path() / (L"qorcomm-long-" + std::to_wstring(GetCurrentProcessId())))
            .wstring();
    const std::wstring deep = folder + L"\\" + std::wstring(200, L'd');
    const std::wstring file = deep + L"\\" + std::wstring(200, L'f');
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    ASSERT_TRUE(qorplatform::Handle(
                    CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr))
                    .Valid());
    std::string ansi(file.size() * 2, '\0');
    ansi.resize(static_cast<std::size_t>(WideCharToMultiByte(
        CP_ACP, WC_NO_BEST_FIT_CHARS, file.data(), static_cast<int>(file.size()), ansi.data(),
        static_cast<int>(ansi.size()), nullptr, nullptr)));
    ASSERT_GT(ansi.size(), static_cast<std::size_t>(MAX_PATH));

    const struct {
        std::string port;
        std::int32_t code;
    } kCases[] = {
        {ansi, QOR_E_NOT_TERMINAL},
        {std::string(qorcomm::kMaxPortName, 'a'), QOR_E_NO_DEVICE},
        {std::string(qorcomm::kMaxPortName + 1, 'a'), QOR_E_ARGUMENT},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(CROpenCom(c.port.c_str(), 9600), c.code) << c.port.size() << " bytes";
    DeleteFileW(file.c_str());
    RemoveDirectoryW(deep.c_str());
    RemoveDirectoryW(folder.c_str());
}

// qor-sim.exe from beside this program, its stdout and stderr on one pipe.
class PipeSim {
public:
    explicit PipeSim(const std::wstring& args) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE write = nullptr;
        if (!CreatePipe(&output_, &write, &inherit, 0)) {
            ADD_FAILURE() << "CreatePipe: error " << GetLastError();
            return;
        }
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
        std::wstring command = L"\"" + (SelfFolder() / L"qor-sim.exe").wstring() + L"\" " + args;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = write;
        startup.hStdError = write;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &process)) {
            CloseHandle(process.hThread);
            process_ = process.hProcess;
        } else {
            ADD_FAILURE() << "cannot start qor-sim.exe: error " << GetLastError();
        }
        CloseHandle(write);
    }
    ~PipeSim() {
        Kill();
        CloseHandle(output_);
    }

    // The first line it printed, without its line end; empty when none came.
    std::string FirstLine() {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (text_.find('\n') == std::string::npos && Clock::now() < deadline) {
            if (!Pull()) Sleep(5);
        }
        const std::string line = text_.substr(0, text_.find('\n'));
        return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
    }

    // Its exit code once it has ended, or -1.
    int WaitForExit() {
        DWORD code = 0;
        if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_, &code)) {
            return -1;
        }
        return static_cast<int>(code);
    }

    // Everything it printed; call once it has ended.
    std::string Output() {
        while (Pull()) {
        }
        return text_;
    }

    void Kill() {
        if (process_ == nullptr) return;
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
        CloseHandle(process_);
        process_ = nullptr;
    }

private:
    static fs::path SelfFolder() {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        return fs::path(self).parent_path();
    }

    // Takes what is waiting on the pipe; false when nothing was.
    bool Pull() {
        DWORD waiting = 0;
        if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0)
            return false;
        std::string chunk(waiting, '\0');
        DWORD got = 0;
        if (!ReadFile(output_, chunk.data(), waiting, &got, nullptr)) return false;
        text_.append(chunk, 0, got);
        return got > 0;
    }

    HANDLE process_ = nullptr;
    HANDLE output_ = nullptr;
    std::string text_;
};

// This prefix maps no COM42, so "not the simulator's pipe" shows as
// QOR_E_NO_DEVICE.
const char* const kPipePort = "COM42";
const wchar_t* const kPipeName = L"\\\\.\\pipe\\qor-sim-COM42";

using PipeSimTest = Com1;

// An object as `owner` could make it, open to everyone, or with `emptyDacl`
// to no one. Windows lets a process name no owner outside its own token;
// Wine, whose processes all run as one user, lets it name any, and so
// stands in for another user here.
template <typename Create>
HANDLE Made(PSID owner, Create&& create, bool emptyDacl = false) {
    ACL empty{};
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SECURITY_DESCRIPTOR descriptor{};
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor, owner, FALSE);
    SetSecurityDescriptorDacl(&descriptor, TRUE, emptyDacl ? &empty : nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    const HANDLE made = create(&attributes);
    EXPECT_TRUE(made != nullptr && made != INVALID_HANDLE_VALUE) << "error " << GetLastError();
    return made;
}

// COM42's claim and pipe as a program other than this user's simulator could
// make them, each with the owner given.
class ClaimAndPipe {
public:
    ClaimAndPipe(PSID claimOwner, PSID pipeOwner) {
        claim_ = Made(claimOwner, [](SECURITY_ATTRIBUTES* attributes) {
            return CreateMutexW(attributes, FALSE, L"Local\\qor-sim-COM42");
        });
        pipe_ = Made(pipeOwner, [](SECURITY_ATTRIBUTES* attributes) {
            return CreateNamedPipeW(kPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                    PIPE_TYPE_BYTE | PIPE_WAIT, 1, 64, 64, 0, attributes);
        });
    }
    ~ClaimAndPipe() {
        for (const HANDLE handle : {client_, pipe_, claim_}) {
            if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        }
    }

    // Connects a client of its own, which takes the pipe's one instance.
    void Hold() {
        client_ = CreateFileW(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
        ASSERT_NE(client_, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    }

private:
    HANDLE claim_ = nullptr;
    HANDLE pipe_ = nullptr;
    HANDLE client_ = nullptr;
};

// No user of the machine has this SID; every Wine process runs as ...-1000.
struct AnotherUser {
    AnotherUser() { ConvertStringSidToSidW(L"S-1-5-21-0-0-0-1001", &sid); }
    ~AnotherUser() { LocalFree(sid); }
    PSID sid = nullptr;
};

TEST_F(PipeSimTest, ReadsTheDemoCardInEveryFormatForOneClientAtATime) {
    PipeSim sim(L"--port com42");
    ASSERT_EQ(sim.FirstLine(), "\\\\.\\pipe\\qor-sim-COM42");
    ASSERT_EQ(CROpenCom(kPipePort, 9600), QOR_OPENED);
    for (int cardType = 0; cardType < vectors::kCardTypeCount; ++cardType) {
        for (int codeType = 0; codeType < vectors::kCodeTypeCount; ++codeType) {
            SCOPED_TRACE("card type " + std::to_string(cardType) + ", code type " +
                         std::to_string(codeType));
            const std::string_view number = vectors::Number(0x00A1B2C3D4, cardType, codeType);
            const Read read = ReadCard(cardType, codeType);
            EXPECT_LT(read.took, kAnsweredWithin);
            if (number == "TOO_WIDE") {
                EXPECT_EQ(read.code, QOR_E_TOO_WIDE);
                continue;
            }
            ASSERT_EQ(read.code, QOR_OK);
            EXPECT_EQ(read.out.Text(), number);
            EXPECT_EQ(read.out.aux, vectors::kFrameBits[cardType]);
        }
    }
    EXPECT_EQ(OpenInAnotherProcess(kPipePort), QOR_E_BUSY);
    EXPECT_EQ(ReadCard(2, 5).code, QOR_OK);

    // Let go and taken again at once: the simulator listens again.
    ASSERT_EQ(CRCloseCom(), QOR_OK);
    ASSERT_EQ(CROpenCom(kPipePort, 115200), QOR_OPENED);
    EXPECT_EQ(ReadCard(2, 5).code, QOR_OK);

    PipeSim second(L"--port COM42");
    EXPECT_EQ(second.WaitForExit(), 1);
    EXPECT_NE(second.Output().find("another simulator is serving COM42"), std::string::npos);
}

TEST_F(PipeSimTest, WaitsOutAPartialAnswerAndRecovers) {
    PipeSim sim(L"--port COM42 --fault partial --fault-every 2");
    ASSERT_FALSE(sim.FirstLine().empty());
    ASSERT_EQ(CROpenCom(kPipePort, 9600), QOR_OPENED);
    EXPECT_EQ(ReadCard(0, 1).code, QOR_OK);
    const Read partial = ReadCard(0, 1);
    EXPECT_EQ(partial.code, QOR_E_PARTIAL);
    EXPECT_GE(partial.took, kTimedOutFrom);
    EXPECT_LT(partial.took, kTimedOutBy);
    EXPECT_TRUE(partial.out.Untouched());
    EXPECT_EQ(ReadCard(0, 1).code, QOR_OK);
}

TEST_F(PipeSimTest, OnlyARunningSimulatorOfThisUserIsThePort) {
    EXPECT_EQ(CROpenCom(kPipePort, 9600), QOR_E_NO_DEVICE);
    PipeSim sim(L"--port COM42");
    ASSERT_FALSE(sim.FirstLine().empty());

    const qorcomm::SimPipe foreign = qorcomm::OpenSimPipe(kPipePort, [](HANDLE) { return false; });
    EXPECT_EQ(foreign.state, qorcomm::SimPipe::State::NotServed);
    EXPECT_FALSE(foreign.handle.Valid());
    // Refused, it let the one instance go again.
    ASSERT_EQ(CROpenCom(kPipePort, 9600), QOR_OPENED);
    EXPECT_EQ(ReadCard(2, 5).code, QOR_OK);
    ASSERT_EQ(CRCloseCom(), QOR_OK);

    sim.Kill();
    EXPECT_EQ(CROpenCom(kPipePort, 9600), QOR_E_NO_DEVICE);
}

TEST_F(PipeSimTest, AnotherUsersBusyPipeLeavesThePortToTheSystem) {
    const AnotherUser other;
    ClaimAndPipe foreign(other.sid, other.sid);
    foreign.Hold();
    EXPECT_EQ(CROpenCom(kPipePort, 9600), QOR_E_NO_DEVICE);

    PipeSim sim(L"--port COM42");
    EXPECT_EQ(sim.WaitForExit(), 1);
    EXPECT_NE(sim.Output().find("another user"), std::string::npos) << sim.Output();
}

TEST_F(PipeSimTest, APipeOwnedByAnotherUserIsNotTheSimulatorsWhateverServesIt) {
    // Claimed as this user's simulator claims it; the pipe's server is this
    // very process, of this user too.
    const std::optional<qorplatform::ProcessUser> self =
        qorplatform::ProcessUser::Of(GetCurrentProcess());
    ASSERT_TRUE(self);
    const AnotherUser other;
    const ClaimAndPipe foreign(self->Sid(), other.sid);
    EXPECT_EQ(CROpenCom(kPipePort, 9600), QOR_E_NO_DEVICE);
}

// Whatever another user makes first under the name of this user's lock on
// COM1 (or under the machine-wide name any user could guess), and of
// whatever kind, this user opens the port as if it were not there.
TEST_F(WithSim, NoObjectOfAnotherUserMakesThePortBusy) {
    const std::optional<qorplatform::ProcessUser> self =
        qorplatform::ProcessUser::Of(GetCurrentProcess());
    ASSERT_TRUE(self);
    const AnotherUser other;
    const std::wstring own = qorplatform::PortLockName(L"\\\\.\\COM1", *self);
    for (const std::wstring& name : {own, std::wstring(L"Global\\QORComm port COM1")}) {
        for (const int kind : {0, 1, 2}) {
            SCOPED_TRACE(qorplatform::Narrow(name) + ", kind " + std::to_string(kind));
            const qorplatform::Handle squatted(Made(
                other.sid,
                [&](SECURITY_ATTRIBUTES* attributes) {
                    return kind == 2 ? CreateEventW(attributes, TRUE, FALSE, name.c_str())
                                     : CreateMutexW(attributes, FALSE, name.c_str());
                },
                kind == 1));
            ASSERT_EQ(CROpenCom("COM1", 9600), QOR_OPENED);
            EXPECT_EQ(ReadCard(2, 3).code, QOR_OK);
            EXPECT_EQ(CRCloseCom(), QOR_OK);
        }
    }
    // And this user's own lock still keeps this user's processes apart.
    ASSERT_EQ(CROpenCom("COM1", 9600), QOR_OPENED);
    EXPECT_EQ(OpenInAnotherProcess("COM1"), QOR_E_BUSY);
}

// Every name the system reads as COM9 leads to the simulator serving COM9,
// never past it to whatever the system has there.
TEST_F(PipeSimTest, EveryNameOfTheServedComPortReachesTheSimulator) {
    PipeSim sim(L"--port COM9");
    ASSERT_EQ(sim.FirstLine(), "\\\\.\\pipe\\qor-sim-COM9");
    for (const char* com9 : {"COM9:", "com9.", "COM9 ", "\\\\.\\COM9", "//./com9", "\\\\?\\COM9",
                             "\\\\.\\Global\\COM9"}) {
        SCOPED_TRACE(com9);
        ASSERT_EQ(CROpenCom(com9, 9600), QOR_OPENED);
        EXPECT_EQ(ReadCard(2, 5).code, QOR_OK);
        EXPECT_EQ(OpenInAnotherProcess("COM9"), QOR_E_BUSY);
        ASSERT_EQ(CRCloseCom(), QOR_OK);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--try-open") == 0) {
        // No CRCloseCom, no library unload: only the system can let go.
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(CROpenCom(argv[2], 9600)));
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
