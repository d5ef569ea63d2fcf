// Test seam for a test build of askbox: write(2) on standard output fails on the call numbered by
// ASKBOX_FAIL_WRITE (1 for the first), with the errno ASKBOX_FAIL_ERRNO names (EIO by default),
// so block failures can be struck one by one and each error code checked.
#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

extern "C" ssize_t __real_write(int fd, const void* buffer, size_t count);

extern "C" ssize_t __wrap_write(int fd, const void* buffer, size_t count) {
  static long calls = 0;
  static const char* setting = getenv("ASKBOX_FAIL_WRITE");
  static const char* errorNumber = getenv("ASKBOX_FAIL_ERRNO");
  if (fd == STDOUT_FILENO && setting != nullptr && ++calls == atol(setting)) {
    errno = errorNumber != nullptr ? atoi(errorNumber) : EIO;
    return -1;
  }
  return __real_write(fd, buffer, count);
}
