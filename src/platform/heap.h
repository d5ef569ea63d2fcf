// The memory seam: raw blocks from the C runtime, replaceable by a test fake that can refuse.
#ifndef ASKBOX_PLATFORM_HEAP_H
#define ASKBOX_PLATFORM_HEAP_H

#include <stddef.h>

namespace platform {

// Null when the request cannot be met; never raises.
void* AllocateBytes(size_t Size);
void ReleaseBytes(void* Block);

}  // namespace platform

#endif
