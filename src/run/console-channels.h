// StdOut and StdIn: the console channels through which every line is printed and the pause line read.
#ifndef ASKBOX_RUN_CONSOLE_CHANNELS_H
#define ASKBOX_RUN_CONSOLE_CHANNELS_H

#include <stddef.h>
#include <stdint.h>

#include "cmdline/text.h"

// Both channels closed, nothing held: the state at process start.
void ResetConsoleChannels();

void WriteText(const char* bytes, size_t length);
void WriteText(const Text& text);
void WriteText(const char* nulTerminated);
void WriteInteger(int32_t value);
void EndLine();
void ReadLine();

// Writes what StdOut still holds with one write; a failure here is not reported.
void WriteHeldOutput();

// Every exit goes here, so that held output is never lost.
[[noreturn]] void EndProcess(uint32_t exitCode);

#endif
