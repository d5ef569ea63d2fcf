// The libFuzzer side of one fuzz target: its entry point, and a property failure as a crash.
#include <stdio.h>
#include <stdlib.h>

#include "fuzz-targets.h"

void FuzzFailed(const std::string& what, const char* file, int line) {
  fprintf(stderr, "%s:%d: %s\n", file, line, what.c_str());
  abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return ASKBOX_FUZZ_ENTRY(data, size);
}
