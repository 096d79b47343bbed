#pragma once

#include <cstdint>
#include <span>

namespace qor {

// Calls a function bound from the Windows reader library. Each argument is
// one machine word: a pointer, or a 32-bit integer zero-extended. The call
// itself is the processor's (library_call_win32_<processor>.cpp): on 32-bit
// Windows it must survive a DLL built with the other calling convention.
std::int32_t CallLibraryFunction(void* function, std::span<const std::uintptr_t> arguments);

}  // namespace qor
