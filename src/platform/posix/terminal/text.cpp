// How many terminal cells the glyphs of a text take: the widths terminals agree on.
#include "platform/posix/terminal/text.h"

namespace platform {
namespace {

struct CodeRange {
  uint32_t First;
  uint32_t Last;
};

// Combining marks and invisible format characters sit on the cell before them.
const CodeRange ZERO_WIDTH[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
    {0xE0100, 0xE01EF}};

// East-Asian wide and fullwidth blocks, and the emoji blocks terminals give two cells.
const CodeRange DOUBLE_WIDTH[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD}};

template <size_t N>
bool InRanges(uint32_t Code, const CodeRange (&Ranges)[N]) {
  for (const CodeRange& Range : Ranges)
    if (Code >= Range.First && Code <= Range.Last) return true;
  return false;
}

}  // namespace

int CodeCells(uint32_t Code) {
  if (InRanges(Code, ZERO_WIDTH)) return 0;
  if (InRanges(Code, DOUBLE_WIDTH)) return 2;
  return 1;
}

int TabCells(int Column) { return 8 - Column % 8; }

int AdvanceCells(void*, const unsigned char*, const Glyph& G, int Column) {
  if (G.Kind == GLYPH_TAB) return Column + TabCells(Column);
  if (G.Kind == GLYPH_SHOWN) return Column + CodeCells(G.Code);
  return Column + 1;
}

int RowCells(const unsigned char* Text, Span Row) { return TextAdvance(Text, Row, AdvanceCells, nullptr); }

int LineCells(const unsigned char* Text, size_t Length) {
  int Cells = 0;
  for (const GlyphStep& S : GlyphsOf(Text, Length)) Cells += S.G.Kind == GLYPH_SHOWN ? CodeCells(S.G.Code) : 1;
  return Cells;
}

}  // namespace platform
