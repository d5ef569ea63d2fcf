// Drawing the terminal box: the buffered output to the terminal and the box's rows.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_DRAW_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_DRAW_H

#include "platform/posix/terminal/layout.h"

namespace platform {

extern int Tty;  // the controlling terminal while a box is up, else -1

// Async-signal-safe: the signal handlers restore the terminal with it. Gives up on a terminal
// that takes nothing for WithinMs.
void WriteAll(int Fd, const char* Data, size_t Length, int WithinMs);
// Output waits for a terminal that takes no more only until WakeFd (-1: none) has something to
// read or CLOCK_MONOTONIC reaches DeadlineMs (-1: never); what is left then is dropped.
void WaitOutputFor(int WakeFd, int64_t DeadlineMs);
void Put(const char* Bytes, size_t Length);
void Put(const char* Bytes);
void Flush();
// Drops what is buffered, and forgets output dropped before: a fresh terminal.
void DiscardOutput();
// Writes "ESC [ <number> <final>" into Buffer, returning its length.
size_t FormatCsi(char* Buffer, unsigned Number, char Final);
// Writes the sequence that moves the cursor to a zero-based row and column; gives its length.
size_t FormatCursorTo(char* Buffer, int Row, int Col);

// The box's first drawing, or one over the box already on the screen (after a resize).
enum Drawing { DRAW_FRESH, DRAW_AGAIN };

// Makes room for the box below the cursor, or clears the alternate screen.
void Place(const TerminalBox& Box, Drawing How);
void Draw(const TerminalBox& Box);
// Inline: the box taken off the screen, the cursor back on the caller's spot.
void EraseInlineBox();

}  // namespace platform

#endif
