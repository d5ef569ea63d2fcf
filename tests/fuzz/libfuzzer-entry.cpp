// The libFuzzer side of one fuzz target: its entry point, and a property failure as a crash.
#include <stdio.h>
#include <stdlib.h>

#include "fuzz-targets.h"

void FuzzFailed(const std::string& What, const char* File, int Line) {
  fprintf(stderr, "%s:%d: %s\n", File, Line, What.c_str());
  abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  return ASKBOX_FUZZ_ENTRY(Data, Size);
}
