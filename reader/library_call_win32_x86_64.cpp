#include "library_call_win32.h"

namespace qor {

// 64-bit Windows has one calling convention, so a plain call is safe. The
// reader library's functions take none, two or four arguments.
std::int32_t CallLibraryFunction(void* function, std::span<const std::uintptr_t> arguments) {
    using Word = std::uintptr_t;
    const std::span<const Word> a = arguments;
    switch (a.size()) {
        case 0: return reinterpret_cast<std::int32_t (*)()>(function)();
        case 2: return reinterpret_cast<std::int32_t (*)(Word, Word)>(function)(a[0], a[1]);
        case 4:
            return reinterpret_cast<std::int32_t (*)(Word, Word, Word, Word)>(function)(a[0], a[1],
                                                                                        a[2], a[3]);
        default: return -1;
    }
}

}  // namespace qor
