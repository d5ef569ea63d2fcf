// The run: from the arguments to the box and its exit code, or to the usage text.
#ifndef ASKBOX_RUN_MAIN_ROUTINE_H
#define ASKBOX_RUN_MAIN_ROUTINE_H

#include <stdint.h>

const int32_t MODE_HIDE_CONSOLE = 1;
const int32_t MODE_NO_OWNER = 2;
const int32_t MODE_SERVICE_DESKTOP = 4;
const int32_t MODE_ICON_FROM_MODULE = 8;
const int32_t MODE_ICON_BY_NUMBER = 16;

const uint32_t EXIT_USAGE = 8;
const uint32_t EXIT_BAD_ARGUMENT = 9;

// What must be in place before the run's first statement: the lead bytes, failure reporting,
// closed channels.
void StartUp();

// Never returns: every path ends the process.
[[noreturn]] void RunMain();

#endif
