#pragma once

#include <cstddef>
#include <span>

namespace qor {

// Memory for the reader library to write into, holding nothing else of the
// program's: a zeroed region of whole pages with an inaccessible page right
// after it. A library that writes a little past what it was promised stays
// inside the region; one that runs further stops at the guard page, which
// ends the program rather than letting it go on with its state overwritten.
// The pages are the platform's (scratch_region_posix.cpp, _win32.cpp).
class ScratchRegion {
public:
    // At least `minimumSize` bytes, rounded up to whole pages. Throws
    // std::bad_alloc when the system has no pages to give.
    explicit ScratchRegion(std::size_t minimumSize);
    ~ScratchRegion();
    ScratchRegion(const ScratchRegion&) = delete;
    ScratchRegion& operator=(const ScratchRegion&) = delete;

    // The region, without its guard page.
    std::span<unsigned char> Bytes() const noexcept { return {start_, size_}; }

private:
    unsigned char* start_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pageSize_ = 0;
};

}  // namespace qor
