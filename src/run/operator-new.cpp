// Global operator new and delete of the shipped program, so that no request escapes the out-of-memory report.
#include <new>

#include "base/memory.h"

void* operator new(size_t size) { return RequestMemory(size); }
void* operator new[](size_t size) { return RequestMemory(size); }
void operator delete(void* block) noexcept { ReleaseMemory(block); }
void operator delete[](void* block) noexcept { ReleaseMemory(block); }
void operator delete(void* block, size_t) noexcept { ReleaseMemory(block); }
void operator delete[](void* block, size_t) noexcept { ReleaseMemory(block); }

// Without the C++ runtime's support library a pure virtual call has nowhere to go; it cannot
// happen in this program, but the linker needs the symbol.
extern "C" void __cxa_pure_virtual() { __builtin_trap(); }
