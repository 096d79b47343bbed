#include <windows.h>

#include <new>

#include "scratch_region.h"

namespace qor {

ScratchRegion::ScratchRegion(std::size_t minimumSize) {
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    pageSize_ = system.dwPageSize;
    size_ = (minimumSize + pageSize_ - 1) / pageSize_ * pageSize_;
    // Committed pages come zeroed.
    void* pages =
        VirtualAlloc(nullptr, size_ + pageSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (pages == nullptr) throw std::bad_alloc();
    start_ = static_cast<unsigned char*>(pages);
    DWORD previous = 0;
    if (!VirtualProtect(start_ + size_, pageSize_, PAGE_NOACCESS, &previous)) {
        VirtualFree(pages, 0, MEM_RELEASE);
        throw std::bad_alloc();
    }
}

ScratchRegion::~ScratchRegion() { VirtualFree(start_, 0, MEM_RELEASE); }

}  // namespace qor
