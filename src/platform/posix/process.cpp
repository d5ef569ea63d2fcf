// Reading a file of /proc/<pid>, in full up to the room given.
#include "platform/posix/process.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include "platform/decimal.h"

namespace platform {

size_t ReadProcessFile(long Pid, const char* Name, char* Out, size_t Room) {
  if (Room == 0) return 0;
  Out[0] = '\0';
  char Path[64] = "/proc/";
  size_t Length = strlen(Path);
  Length += static_cast<size_t>(FormatDecimal(Path + Length, static_cast<int32_t>(Pid)));
  Path[Length++] = '/';
  size_t NameLength = strlen(Name);
  if (Length + NameLength >= sizeof Path) return 0;
  memcpy(Path + Length, Name, NameLength + 1);
  int Fd = open(Path, O_RDONLY | O_CLOEXEC);
  if (Fd < 0) return 0;
  size_t Filled = 0;
  while (Filled + 1 < Room) {
    ssize_t Got = read(Fd, Out + Filled, Room - 1 - Filled);
    if (Got < 0 && errno == EINTR) continue;
    if (Got <= 0) break;
    Filled += static_cast<size_t>(Got);
  }
  close(Fd);
  Out[Filled] = '\0';
  return Filled;
}

}  // namespace platform
