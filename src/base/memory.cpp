// Memory requests that hand a refusal to the installed handler instead of returning null.
#include "base/memory.h"

#include "base/failure.h"
#include "platform/heap.h"

namespace {

OutOfMemoryHandler InstalledHandler = nullptr;

}  // namespace

void InstallOutOfMemoryHandler(OutOfMemoryHandler Handler) { InstalledHandler = Handler; }

NOINLINE void* RequestMemory(size_t Size) {
  void* Block = platform::AllocateBytes(Size == 0 ? 1 : Size);
  if (Block != nullptr) return Block;
  if (InstalledHandler != nullptr) InstalledHandler(CALLER_LOCATION());
  __builtin_trap();
}

void ReleaseMemory(void* Block) { platform::ReleaseBytes(Block); }
