// How many terminal cells the glyphs of a text take.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_TEXT_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_TEXT_H

#include "platform/posix/box/model.h"

namespace platform {

// 0 for combining marks and invisible format characters, 2 for wide East-Asian characters and
// the emoji terminals give two cells, 1 for the rest.
int CodeCells(uint32_t Code);
int TabCells(int Column);
// The column after a glyph that starts at Column: a GlyphAdvance for WrapText. A substitute
// takes one cell, as the '?' drawn for it does.
int AdvanceCells(void* Context, const unsigned char* Text, const Glyph& G, int Column);
// Cells a row of the text takes, tabs expanded from its first column.
int RowCells(const unsigned char* Text, Span Row);
// Cells of a one-line text, where every glyph but a shown one takes one cell.
int LineCells(const unsigned char* Text, size_t Length);

}  // namespace platform

#endif
