// Raw memory from the C runtime, on every platform.
#include "platform/heap.h"

#include <stdlib.h>

namespace platform {

void* AllocateBytes(size_t Size) { return malloc(Size); }
void ReleaseBytes(void* Block) { free(Block); }

}  // namespace platform
