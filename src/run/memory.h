// Memory requests of the program: every one that cannot be met raises the one out-of-memory failure.
#ifndef ASKBOX_RUN_MEMORY_H
#define ASKBOX_RUN_MEMORY_H

#include <stddef.h>

// Never returns null: a refused request ends the run with the out-of-memory report, located just
// after the call of RequestMemory.
void* RequestMemory(size_t size);
void ReleaseMemory(void* block);

#endif
