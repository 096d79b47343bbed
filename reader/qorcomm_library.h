#pragma once

#include <cstdint>
#include <string>

#include "reader_library.h"

namespace qor {

// The production binding: loads libQORComm.so through the system loader's
// search (LD_LIBRARY_PATH, the program's RUNPATH, ...), then from the
// program's own folder, and binds each function by name at its first call.
// Whatever cannot be bound is tried again at the next call; until then the
// call fails with the value the commands read as failure.
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
    void* Bind(void*& slot, const char* name);

    void* handle_ = nullptr;
    void* open_ = nullptr;
    void* close_ = nullptr;
    void* read_ = nullptr;
    std::string bindFailure_;
};

}  // namespace qor
