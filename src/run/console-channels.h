// StdOut and StdIn: the console channels through which every line is printed and the pause line read.
#ifndef ASKBOX_RUN_CONSOLE_CHANNELS_H
#define ASKBOX_RUN_CONSOLE_CHANNELS_H

#include <stddef.h>
#include <stdint.h>

#include "base/text.h"

// Both channels closed, nothing held, nothing pending: the state at process start.
void ResetConsoleChannels();

void WriteText(const char* Bytes, size_t Length);
void WriteText(const Text& Line);
void WriteText(const char* NulTerminated);
void WriteInteger(int32_t Value);
void EndLine();
void ReadLine();

// Writes what StdOut still holds with one write; a failure here is not reported.
void WriteHeldOutput();

// The I/O check after each line and the pause: a failed channel operation leaves its code
// pending, and this raises EInOutError for it, located just after this call. The only reader of
// the pending code, it resets it.
void CheckIo();

// Every exit goes here, so that held output is never lost.
[[noreturn]] void EndProcess(uint32_t ExitCode);

#endif
