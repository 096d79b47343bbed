#include "qorcomm_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "qorcomm.h"

namespace qor {
namespace {

constexpr const char* kLibraryName = "libQORComm.so";

using OpenFunction = std::int32_t(QORCOMM_CALL*)(const char*, std::int32_t);
using CloseFunction = std::int32_t(QORCOMM_CALL*)();
using ReadFunction = std::int32_t(QORCOMM_CALL*)(std::int32_t*, unsigned char*, std::int32_t,
                                                 std::int32_t);

std::string LoaderError(const char* fallback) {
    const char* error = dlerror();
    return error != nullptr ? error : fallback;
}

// The program's own folder, or empty when the system cannot tell it.
std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path) return {};
    const std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

}  // namespace

QorCommLibrary::~QorCommLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

void* QorCommLibrary::Bind(void*& slot, const char* name, int /*argumentBytes*/) {
    bindFailure_.clear();
    if (slot != nullptr) return slot;
    if (handle_ == nullptr) {
        dlerror();
        handle_ = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            // The search's reason names what it found or did not find; the
            // program's folder is only a second chance.
            // Without the folder, the search alone: a name made up without
            // it would point somewhere else.
            bindFailure_ = LoaderError(kLibraryName);
            const std::string folder = ProgramFolder();
            if (folder.empty()) return nullptr;
            const std::string besideProgram = folder + '/' + kLibraryName;
            handle_ = dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle_ == nullptr) return nullptr;
            bindFailure_.clear();
        }
    }
    dlerror();
    slot = dlsym(handle_, name);
    if (slot == nullptr) bindFailure_ = LoaderError(name);
    return slot;
}

std::int32_t QorCommLibrary::CROpenCom(const char* port, std::int32_t baud) {
    auto* function = reinterpret_cast<OpenFunction>(Bind(open_, "CROpenCom", 8));
    return function != nullptr ? function(port, baud) : 0;
}

std::int32_t QorCommLibrary::CRCloseCom() {
    auto* function = reinterpret_cast<CloseFunction>(Bind(close_, "CRCloseCom", 0));
    return function != nullptr ? function() : -1;
}

std::int32_t QorCommLibrary::CRReadCardSN(std::int32_t& aux, unsigned char* sn,
                                          std::int32_t cardType, std::int32_t codeType) {
    auto* function = reinterpret_cast<ReadFunction>(Bind(read_, "CRReadCardSN", 16));
    return function != nullptr ? function(&aux, sn, cardType, codeType) : -1;
}

}  // namespace qor
