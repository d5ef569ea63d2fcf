// Raw memory from the C runtime, on every platform.
#include "platform/heap.h"

#include <stdlib.h>

namespace platform {

void* AllocateBytes(size_t size) { return malloc(size); }
void ReleaseBytes(void* block) { free(block); }

}  // namespace platform
