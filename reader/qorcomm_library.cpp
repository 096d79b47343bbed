#include "qorcomm_library.h"

namespace qor {

QorCommLibrary::~QorCommLibrary() {
    if (handle_ != nullptr) Unload(handle_);
}

void* QorCommLibrary::Bind(void*& slot, const char* name) {
    bindFailure_.clear();
    if (slot != nullptr) return slot;
    if (handle_ == nullptr) handle_ = Load(bindFailure_);
    if (handle_ == nullptr) return nullptr;
    slot = Find(handle_, name, bindFailure_);
    return slot;
}

}  // namespace qor
