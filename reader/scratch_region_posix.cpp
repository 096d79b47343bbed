#include <sys/mman.h>
#include <unistd.h>

#include <new>

#include "scratch_region.h"

namespace qor {

ScratchRegion::ScratchRegion(std::size_t minimumSize)
    : pageSize_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    size_ = (minimumSize + pageSize_ - 1) / pageSize_ * pageSize_;
    // Anonymous pages come zeroed.
    void* pages = mmap(nullptr, size_ + pageSize_, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) throw std::bad_alloc();
    start_ = static_cast<unsigned char*>(pages);
    if (mprotect(start_ + size_, pageSize_, PROT_NONE) != 0) {
        munmap(pages, size_ + pageSize_);
        throw std::bad_alloc();
    }
}

ScratchRegion::~ScratchRegion() { munmap(start_, size_ + pageSize_); }

}  // namespace qor
