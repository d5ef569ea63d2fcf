// UTF-8 text glyph by glyph: one glyph read, malformed bytes and controls made substitutes.
#include "platform/posix/glyphs.h"

namespace platform {

Glyph NextGlyph(const unsigned char* Text, size_t Available) {
  unsigned Lead = Text[0];
  if (Lead < 0x80) {
    if (Lead == '\n') return {1, '\n', GLYPH_LINE_END};
    if (Lead == '\r' && Available > 1 && Text[1] == '\n') return {2, '\n', GLYPH_LINE_END};
    if (Lead == '\t') return {1, '\t', GLYPH_TAB};
    if (Lead < 0x20 || Lead == 0x7F) return {1, REPLACEMENT_CHARACTER, GLYPH_SUBSTITUTE};
    return {1, Lead, GLYPH_SHOWN};
  }
  const Glyph BAD = {1, REPLACEMENT_CHARACTER, GLYPH_SUBSTITUTE};
  size_t Follow;
  uint32_t Code;
  // The second byte's range also rules out overlong forms and surrogates.
  unsigned Low = 0x80, High = 0xBF;
  if (Lead >= 0xC2 && Lead <= 0xDF) {
    Follow = 1;
    Code = Lead & 0x1F;
  } else if (Lead >= 0xE0 && Lead <= 0xEF) {
    Follow = 2;
    Code = Lead & 0x0F;
    if (Lead == 0xE0) Low = 0xA0;
    if (Lead == 0xED) High = 0x9F;
  } else if (Lead >= 0xF0 && Lead <= 0xF4) {
    Follow = 3;
    Code = Lead & 0x07;
    if (Lead == 0xF0) Low = 0x90;
    if (Lead == 0xF4) High = 0x8F;
  } else {
    return BAD;
  }
  if (Available <= Follow) return BAD;
  for (size_t I = 1; I <= Follow; ++I) {
    unsigned Next = Text[I];
    if (Next < Low || Next > High) return BAD;
    Low = 0x80;
    High = 0xBF;
    Code = (Code << 6) | (Next & 0x3F);
  }
  if (Code < 0xA0) return {Follow + 1, REPLACEMENT_CHARACTER, GLYPH_SUBSTITUTE};
  return {Follow + 1, Code, GLYPH_SHOWN};
}

size_t ToLatin1(const unsigned char* Utf8, size_t Length, char* Out) {
  size_t N = 0;
  for (const GlyphStep& S : GlyphsOf(Utf8, Length)) Out[N++] = S.G.Code < 0x100 ? static_cast<char>(S.G.Code) : '?';
  return N;
}

}  // namespace platform
