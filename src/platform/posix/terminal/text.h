// How many terminal cells the glyphs of a text take.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_TEXT_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_TEXT_H

#include "platform/posix/box/model.h"

namespace platform {

const int NOT_PRINTABLE = -1;

// The cells a character takes as terminals count them: 0 for combining marks and invisible
// format characters, 2 for wide East-Asian characters and emoji, 1 for the rest; NOT_PRINTABLE
// for one the C library knows no width of (unassigned, a line separator), which terminals do not
// agree on and which is drawn as a '?' in one cell.
int CodeCells(uint32_t Code);
// The cells of the glyph at At in a text that starts at Start, as a terminal counts them: a
// substitute or an unprintable character takes the one cell of its '?'. Start is null where the
// zero-width joiner does not reach the terminal (a locale of another set than UTF-8).
int GlyphCells(const unsigned char* Start, const unsigned char* At, const Glyph& G);
bool IsJoiner(const Glyph& G);
// Whether a glyph drawn right after a zero-width joiner joins the one before it.
bool Joinable(const Glyph& G);
int TabCells(int Column);
// The column after a glyph that starts at Column: a GlyphAdvance for WrapText, whose Context is
// the start of the text (or null). A substitute takes one cell, as the '?' drawn for it does.
int AdvanceCells(void* Context, const unsigned char* Text, const Glyph& G, int Column);
// Cells a row of the text takes, tabs expanded from its first column; Joining where the text's
// zero-width joiners reach the terminal.
int RowCells(const unsigned char* Text, Span Row, bool Joining);
// Cells of a one-line text, where every glyph but a shown one takes one cell.
int LineCells(const unsigned char* Text, size_t Length, bool Joining);

}  // namespace platform

#endif
