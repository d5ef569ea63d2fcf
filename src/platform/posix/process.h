// What /proc tells of a process: the one reader of its files.
#ifndef ASKBOX_PLATFORM_POSIX_PROCESS_H
#define ASKBOX_PLATFORM_POSIX_PROCESS_H

#include <stddef.h>

namespace platform {

// Reads /proc/<Pid>/<Name> into Out, at most Room - 1 bytes and NUL-terminated (the bytes may
// hold NULs of their own); gives how many were read, 0 where the file cannot be read.
size_t ReadProcessFile(long Pid, const char* Name, char* Out, size_t Room);

}  // namespace platform

#endif
