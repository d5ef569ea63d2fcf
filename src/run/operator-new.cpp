// Global operator new and delete of the shipped program, so that no request escapes the out-of-memory report.
#include <new>

#include "base/memory.h"

void* operator new(size_t Size) { return RequestMemory(Size); }
void* operator new[](size_t Size) { return RequestMemory(Size); }
void operator delete(void* Block) noexcept { ReleaseMemory(Block); }
void operator delete[](void* Block) noexcept { ReleaseMemory(Block); }
void operator delete(void* Block, size_t) noexcept { ReleaseMemory(Block); }
void operator delete[](void* Block, size_t) noexcept { ReleaseMemory(Block); }

// Without the C++ runtime's support library a pure virtual call has nowhere to go; it cannot
// happen in this program, but the linker needs the symbol.
extern "C" void __cxa_pure_virtual() { __builtin_trap(); }  // NOLINT(readability-identifier-naming)
