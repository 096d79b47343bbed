#pragma once

#include <cstdint>
#include <string>

#include "reader_library.h"

namespace qor {

// The production binding, which loads the reader library at the first call
// and binds each function by name at its own first call. Whatever cannot be
// bound is tried again at the next call; until then the call fails with the
// value the commands read as failure, and BindFailure() gives the loader's
// own words.
//
// On Linux: libQORComm.so through the system loader's search
// (LD_LIBRARY_PATH, the program's RUNPATH, ...), then beside the program.
// On Windows: QORComm.dll, a 32-bit __stdcall DLL, through the system's
// search without the current folder (the program's folder, the system
// folders, PATH); a function is found by its plain name or either decorated
// spelling, and a DLL built with the other calling convention cannot upset
// the stack.
class QorCommLibrary final : public ReaderLibrary {
public:
    QorCommLibrary() = default;
    ~QorCommLibrary() override;
    QorCommLibrary(const QorCommLibrary&) = delete;
    QorCommLibrary& operator=(const QorCommLibrary&) = delete;

    std::int32_t CROpenCom(const char* port, std::int32_t baud) override;
    std::int32_t CRCloseCom() override;
    std::int32_t CRReadCardSN(std::int32_t& aux, unsigned char* sn, std::int32_t cardType,
                              std::int32_t codeType) override;
    std::string BindFailure() const override { return bindFailure_; }

private:
    // What each function returns when it cannot be bound: a failure as the
    // commands read its result (an open has succeeded above 0, a close at 0
    // or above, a read at 0 alone).
    static constexpr std::int32_t kOpenUnbound = 0;
    static constexpr std::int32_t kCloseUnbound = -1;
    static constexpr std::int32_t kReadUnbound = -1;

    // The function `name` from `slot`, loading the library and binding it
    // first where that has not been done; nullptr, with the reason in
    // bindFailure_, where it cannot be.
    void* Bind(void*& slot, const char* name);

    // The platform's loader (qorcomm_library_<platform>.cpp): the library,
    // or nullptr with the loader's words in `failure`; a function of it
    // likewise; and letting it go.
    static void* Load(std::string& failure);
    static void* Find(void* library, const char* name, std::string& failure);
    static void Unload(void* library);

    void* handle_ = nullptr;
    void* open_ = nullptr;
    void* close_ = nullptr;
    void* read_ = nullptr;
    std::string bindFailure_;
};

}  // namespace qor
