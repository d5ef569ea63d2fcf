// A libXft.so.2 with only two of the calls askbox needs, found first through LD_LIBRARY_PATH by the
// test of a library that is there but incomplete (an old or a foreign one): askbox must take the
// terminal box rather than call what is not there.
#include <stddef.h>

extern "C" {

void* XftFontOpen(void*, int, ...) { return NULL; }
int XftCharExists(void*, void*, unsigned) { return 0; }

}
