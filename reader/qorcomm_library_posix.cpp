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

void* QorCommLibrary::Load(std::string& failure) {
    dlerror();
    if (void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL)) return library;
    // The search's reason names what it found or did not find; the program's
    // folder is only a second chance. Without the folder, the search alone:
    // a name made up without it would point somewhere else.
    failure = LoaderError(kLibraryName);
    const std::string folder = ProgramFolder();
    if (folder.empty()) return nullptr;
    const std::string besideProgram = folder + '/' + kLibraryName;
    void* library = dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library != nullptr) failure.clear();
    return library;
}

void* QorCommLibrary::Find(void* library, const char* name, std::string& failure) {
    dlerror();
    void* function = dlsym(library, name);
    if (function == nullptr) failure = LoaderError(name);
    return function;
}

void QorCommLibrary::Unload(void* library) { dlclose(library); }

std::int32_t QorCommLibrary::CROpenCom(const char* port, std::int32_t baud) {
    auto* function = reinterpret_cast<OpenFunction>(Bind(open_, "CROpenCom"));
    return function != nullptr ? function(port, baud) : kOpenUnbound;
}

std::int32_t QorCommLibrary::CRCloseCom() {
    auto* function = reinterpret_cast<CloseFunction>(Bind(close_, "CRCloseCom"));
    return function != nullptr ? function() : kCloseUnbound;
}

std::int32_t QorCommLibrary::CRReadCardSN(std::int32_t& aux, unsigned char* sn,
                                          std::int32_t cardType, std::int32_t codeType) {
    auto* function = reinterpret_cast<ReadFunction>(Bind(read_, "CRReadCardSN"));
    return function != nullptr ? function(&aux, sn, cardType, codeType) : kReadUnbound;
}

}  // namespace qor
