// How many terminal cells the glyphs of a text take: the C library's table, which terminals use.
#include "platform/posix/terminal/text.h"

#include <locale.h>
#include <string.h>
#include <wchar.h>

namespace platform {
namespace {

const char ZERO_WIDTH_JOINER[] = "\xe2\x80\x8d";
const size_t JOINER_LENGTH = sizeof ZERO_WIDTH_JOINER - 1;

// The table of a UTF-8 locale, whatever the user's: every glibc UTF-8 locale has the same widths.
// Loaded at the first character past ASCII, so that an ASCII box never pays for it; zero where
// none can be had. Not a static local, whose guard would need the C++ runtime.
locale_t Widths;
bool WidthsLoaded;

locale_t WidthLocale() {
  if (!WidthsLoaded) {
    WidthsLoaded = true;
    Widths = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  }
  return Widths;
}

}  // namespace

int CodeCells(uint32_t Code) {
  if (Code >= 0x20 && Code < 0x7F) return 1;
  locale_t Table = WidthLocale();
  if (Table == static_cast<locale_t>(0)) return 1;
  locale_t Before = uselocale(Table);
  int Cells = wcwidth(static_cast<wchar_t>(Code));
  uselocale(Before);
  return Cells < 0 ? NOT_PRINTABLE : Cells;
}

bool IsJoiner(const Glyph& G) { return G.Kind == GLYPH_SHOWN && G.Code == 0x200D; }

bool Joinable(const Glyph& G) { return G.Kind == GLYPH_SHOWN && G.Code >= 0x80 && CodeCells(G.Code) != NOT_PRINTABLE; }

int GlyphCells(const unsigned char* Start, const unsigned char* At, const Glyph& G) {
  if (G.Kind != GLYPH_SHOWN) return 1;
  int Cells = CodeCells(G.Code);
  if (Cells == NOT_PRINTABLE) return 1;
  // A character joined to the one before it goes in that one's cells, as tmux draws a ZWJ
  // sequence (an ASCII one is not joined).
  if (G.Code >= 0x80 && Start != nullptr && static_cast<size_t>(At - Start) >= JOINER_LENGTH &&
      memcmp(At - JOINER_LENGTH, ZERO_WIDTH_JOINER, JOINER_LENGTH) == 0)
    return 0;
  return Cells;
}

int TabCells(int Column) { return 8 - Column % 8; }

int AdvanceCells(void* Context, const unsigned char* Text, const Glyph& G, int Column) {
  if (G.Kind == GLYPH_TAB) return Column + TabCells(Column);
  return Column + GlyphCells(static_cast<const unsigned char*>(Context), Text, G);
}

int RowCells(const unsigned char* Text, Span Row, bool Joining) {
  return TextAdvance(Text, Row, AdvanceCells, Joining ? const_cast<unsigned char*>(Text) : nullptr);
}

int LineCells(const unsigned char* Text, size_t Length, bool Joining) {
  int Cells = 0;
  for (const GlyphStep& S : GlyphsOf(Text, Length)) Cells += GlyphCells(Joining ? Text : nullptr, Text + S.At, S.G);
  return Cells;
}

}  // namespace platform
