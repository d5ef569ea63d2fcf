// Memory requests of the program: one that cannot be met never comes back empty-handed.
#ifndef ASKBOX_BASE_MEMORY_H
#define ASKBOX_BASE_MEMORY_H

#include <stddef.h>

// Never returns null: a refused request goes to the out-of-memory handler, located just after
// the call of RequestMemory.
void* RequestMemory(size_t Size);
void ReleaseMemory(void* Block);

// What a refused request does; start-up installs the failure report here, so that this layer
// needs nothing of the layers above it. The handler must not return.
typedef void (*OutOfMemoryHandler)(const void* Location);
void InstallOutOfMemoryHandler(OutOfMemoryHandler Handler);

#endif
