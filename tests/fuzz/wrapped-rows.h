// The properties of wrapped rows that the terminal box and the window both rely on.
#ifndef ASKBOX_TESTS_FUZZ_WRAPPED_ROWS_H
#define ASKBOX_TESTS_FUZZ_WRAPPED_ROWS_H

#include "platform/posix/box/model.h"

// Rows in order, inside the text and between glyphs, with nothing but blanks and line ends left
// out between them (and after the last where Whole); a row wider than Width holds only one glyph
// that takes room, as there is no narrower way to show it.
void CheckWrappedRows(const unsigned char* Text, size_t Length, const platform::Span* Rows, int Count,
                      bool Whole, int Width, platform::GlyphAdvance Advance, void* Context);

#endif
