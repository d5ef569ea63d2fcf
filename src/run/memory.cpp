// Memory requests that raise EOutOfMemory instead of returning null.
#include "run/memory.h"

#include "platform/heap.h"
#include "run/failures.h"

NOINLINE void* RequestMemory(size_t size) {
  void* block = platform::AllocateBytes(size == 0 ? 1 : size);
  if (block == nullptr) RaiseOutOfMemory(CALLER_LOCATION());
  return block;
}

void ReleaseMemory(void* block) { platform::ReleaseBytes(block); }
