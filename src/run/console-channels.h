// StdOut and StdIn: the console channels through which every line is printed and the pause line read.
#ifndef ASKBOX_RUN_CONSOLE_CHANNELS_H
#define ASKBOX_RUN_CONSOLE_CHANNELS_H

#include <stddef.h>
#include <stdint.h>

#include "base/text.h"

// Both channels closed, nothing held, nothing pending: the state at process start.
void ResetConsoleChannels();

void WriteText(const char* bytes, size_t length);
void WriteText(const Text& text);
void WriteText(const char* nulTerminated);
void WriteInteger(int32_t value);
void EndLine();
void ReadLine();

// Writes what StdOut still holds with one write; a failure here is not reported.
void WriteHeldOutput();

// The I/O check after each line and the pause: a failed channel operation leaves its code
// pending, and this raises EInOutError for it, located just after this call. The only reader of
// the pending code, it resets it.
void CheckIo();

// Every exit goes here, so that held output is never lost.
[[noreturn]] void EndProcess(uint32_t exitCode);

#endif
