// Argument splitting of the raw command line, and the double-byte classification it rests on.
#ifndef ASKBOX_CMDLINE_ARGUMENTS_H
#define ASKBOX_CMDLINE_ARGUMENTS_H

#include <stddef.h>

#include "base/text.h"

enum ByteKind { BYTE_SINGLE = 0, BYTE_LEAD = 1, BYTE_TRAIL = 2 };

// Asks the platform for the lead bytes of its ANSI code page; done once at start-up.
void BuildLeadByteSet();
bool IsLeadByte(unsigned char Byte);
// Whether the byte at index of a NUL-terminated text is single, or the lead or trail byte of a
// double-byte character.
ByteKind ByteKindAt(const char* Text, size_t Index);

// Reads the next argument from position and leaves position on the byte that ended it (a
// separator or the terminating NUL, never past it). Empty only at the end of the text.
Text ReadArgument(const char*& Position);

int ArgumentCount();
// Index 0 is the program path; 1 to ArgumentCount the arguments; any other index the empty text.
Text ArgumentAt(int Index);
// The bytes after the last directory separator or colon; the whole path when it has neither.
Text FileNamePart(const Text& Path);

// Forgets where the last in-order request ended; part of the start-up state.
void ResetArgumentCursor();

#endif
