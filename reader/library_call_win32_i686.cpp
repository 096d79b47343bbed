#include "library_call_win32.h"

namespace qor {

// Pushes the arguments as both conventions expect, then puts the stack
// pointer back where it was: a __stdcall function pops its arguments and a
// __cdecl one leaves them, and a DLL built the other way than its
// documentation says must not bring the program down a call later.
std::int32_t CallLibraryFunction(void* function, std::span<const std::uintptr_t> arguments) {
    const std::uintptr_t* words = arguments.data();
    std::uintptr_t count = arguments.size();
    std::int32_t result;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "jecxz 2f\n"
        "1:\n\t"
        "pushl -4(%%edx,%%ecx,4)\n\t"
        "loop 1b\n"
        "2:\n\t"
        "call *%%eax\n\t"
        "movl %%esi, %%esp"
        : "=a"(result), "+c"(count), "+d"(words)
        : "0"(function)
        : "esi", "memory", "cc");
    return result;
}

}  // namespace qor
