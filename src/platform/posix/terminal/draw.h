// Drawing the terminal box: the buffered output to the terminal and the box's rows.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_DRAW_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_DRAW_H

#include "platform/posix/terminal/layout.h"

namespace platform {

extern int Tty;  // the controlling terminal while a box is up, else -1
extern Layout BoxLayout;

// Async-signal-safe: the signal handlers restore the terminal with it.
void WriteAll(int Fd, const char* Data, size_t Length);
void Put(const char* Bytes, size_t Length);
void Put(const char* Bytes);
void Flush();
void DiscardOutput();
// Writes "ESC [ <number> <final>" into Buffer, returning its length.
size_t FormatCsi(char* Buffer, unsigned Number, char Final);

// Makes room for the box below the cursor, or clears the alternate screen; Again after a resize.
void Place(const TerminalBox& Box, bool Again);
void Draw(const TerminalBox& Box);

}  // namespace platform

#endif
