// Test seam for a test build of askbox: write(2) on standard output fails on the call numbered by
// ASKBOX_FAIL_WRITE (1 for the first), with the errno ASKBOX_FAIL_ERRNO names (EIO by default),
// so block failures can be struck one by one and each error code checked.
#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

// The linker's names for the real call and for its wrapper.
// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" ssize_t __real_write(int Fd, const void* Buffer, size_t Count);

// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" ssize_t __wrap_write(int Fd, const void* Buffer, size_t Count) {
  static long Calls = 0;
  static const char* Setting = getenv("ASKBOX_FAIL_WRITE");
  static const char* ErrorNumber = getenv("ASKBOX_FAIL_ERRNO");
  if (Fd == STDOUT_FILENO && Setting != nullptr && ++Calls == atol(Setting)) {
    errno = ErrorNumber != nullptr ? atoi(ErrorNumber) : EIO;
    return -1;
  }
  return __real_write(Fd, Buffer, Count);
}
