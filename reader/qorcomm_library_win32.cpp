#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "library_call_win32.h"
#include "qorcomm_library.h"
#include "wide_text_win32.h"

namespace qor {
namespace {

constexpr const wchar_t* kLibraryName = L"QORComm.dll";

// The bytes of arguments each function takes on the stack, as the decorated
// spellings of its name count them (CROpenCom@8).
struct StackBytes {
    std::string_view name;
    int bytes;
};
constexpr StackBytes kStackBytes[] = {{"CROpenCom", 8}, {"CRCloseCom", 0}, {"CRReadCardSN", 16}};

int ArgumentBytes(std::string_view name) {
    for (const StackBytes& function : kStackBytes)
        if (function.name == name) return function.bytes;
    return 0;
}

HMODULE Module(void* handle) { return static_cast<HMODULE>(handle); }

// The program's own folder, or empty when the system cannot tell it.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

// The system's own words for `error`, on one line, in the user's language.
std::string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(text, length) : L"";
    LocalFree(text);
    for (wchar_t& c : message)
        if (c == L'\r' || c == L'\n') c = L' ';
    while (!message.empty() && message.back() == L' ') message.pop_back();
    if (message.empty()) message = L"error " + std::to_wstring(error);
    return qorplatform::Narrow(message);
}

std::uintptr_t Word(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

std::uintptr_t Word(std::int32_t value) { return static_cast<std::uint32_t>(value); }

}  // namespace

void* QorCommLibrary::Load(std::string& failure) {
    // A DLL planted in the working folder must never run with the operator's
    // rights. Naming a DLL folder takes the working folder out of the search;
    // an empty name would too on Windows, but not under Wine, so the folder
    // named is the program's own, searched first anyway. The system folders
    // and PATH remain. Without that folder nothing is loaded: the working
    // folder would still be searched.
    const std::wstring folder = ProgramFolder();
    if (folder.empty() || !SetDllDirectoryW(folder.c_str())) {
        const DWORD error = GetLastError();
        failure = "QORComm.dll: " + SystemMessage(error != 0 ? error : ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    HMODULE library = LoadLibraryW(kLibraryName);
    if (library == nullptr) failure = "QORComm.dll: " + SystemMessage(GetLastError());
    return library;
}

void QorCommLibrary::Unload(void* library) { FreeLibrary(Module(library)); }

void* QorCommLibrary::Find(void* library, const char* name, std::string& failure) {
    // Vendors' DLLs export the plain name, or the decorated one as their
    // compiler spells it.
    const std::string plain = name;
    const std::string decorated = plain + '@' + std::to_string(ArgumentBytes(plain));
    for (const std::string& spelling : {plain, "_" + decorated, decorated}) {
        if (void* function =
                reinterpret_cast<void*>(GetProcAddress(Module(library), spelling.c_str()))) {
            return function;
        }
    }
    failure = plain + ": " + SystemMessage(GetLastError());
    return nullptr;
}

std::int32_t QorCommLibrary::CROpenCom(const char* port, std::int32_t baud) {
    void* function = Bind(open_, "CROpenCom");
    if (function == nullptr) return kOpenUnbound;
    const std::uintptr_t arguments[] = {Word(port), Word(baud)};
    return CallLibraryFunction(function, arguments);
}

std::int32_t QorCommLibrary::CRCloseCom() {
    void* function = Bind(close_, "CRCloseCom");
    if (function == nullptr) return kCloseUnbound;
    return CallLibraryFunction(function, {});
}

std::int32_t QorCommLibrary::CRReadCardSN(std::int32_t& aux, unsigned char* sn,
                                          std::int32_t cardType, std::int32_t codeType) {
    void* function = Bind(read_, "CRReadCardSN");
    if (function == nullptr) return kReadUnbound;
    const std::uintptr_t arguments[] = {Word(&aux), Word(sn), Word(cardType), Word(codeType)};
    return CallLibraryFunction(function, arguments);
}

}  // namespace qor
