// Memory requests that hand a refusal to the installed handler instead of returning null.
#include "base/memory.h"

#include "base/failure.h"
#include "platform/heap.h"

namespace {

OutOfMemoryHandler InstalledHandler = nullptr;

}  // namespace

void InstallOutOfMemoryHandler(OutOfMemoryHandler handler) { InstalledHandler = handler; }

NOINLINE void* RequestMemory(size_t size) {
  void* block = platform::AllocateBytes(size == 0 ? 1 : size);
  if (block != nullptr) return block;
  if (InstalledHandler != nullptr) InstalledHandler(CALLER_LOCATION());
  __builtin_trap();
}

void ReleaseMemory(void* block) { platform::ReleaseBytes(block); }
