// The least a program can do on askbox's three short paths: write the same bytes, read the pause line, end.
#include <string.h>
#include <unistd.h>

// USAGE_TEXT, BAD_ARGUMENT_TEXT and REPORT_TEXT: askbox's own output, made by bench/startup.sh.
#include "texts.h"

static void put(const char* bytes, size_t length) {
  while (length > 0) {
    ssize_t written = write(STDOUT_FILENO, bytes, length);
    if (written <= 0) return;
    bytes += written;
    length -= (size_t)written;
  }
}

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "";
  if (strcmp(path, "usage") == 0) {
    char line[128];
    put(USAGE_TEXT, sizeof USAGE_TEXT - 1);
    if (read(STDIN_FILENO, line, sizeof line) < 0) _exit(1);
    _exit(8);
  }
  if (strcmp(path, "bad-argument") == 0) {
    put(BAD_ARGUMENT_TEXT, sizeof BAD_ARGUMENT_TEXT - 1);
    _exit(9);
  }
  put(REPORT_TEXT, sizeof REPORT_TEXT - 1);
  _exit(1);
}
