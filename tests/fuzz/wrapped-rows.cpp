// The properties of wrapped rows, checked for the terminal's cells and the window's pixels alike.
#include "wrapped-rows.h"

#include <vector>

#include "fuzz-targets.h"
#include "platform/posix/box/line-breaks.h"

using platform::Glyph;
using platform::NextGlyph;
using platform::Span;

namespace {

// Trailing blanks, a line end, and a continuation row's leading blanks are all a wrap may drop.
bool OnlyBreaks(const unsigned char* Text, size_t Begin, size_t End) {
  for (size_t P = Begin; P < End; ++P) {
    unsigned char C = Text[P];
    if (C == '\r' && P + 1 < End && Text[P + 1] == '\n') ++P;
    else if (C != ' ' && C != '\t' && C != '\n') return false;
  }
  return true;
}

}  // namespace

void CheckWrappedRows(const unsigned char* Text, size_t Length, const Span* Rows, int Count, bool Whole,
                      int Width, platform::GlyphAdvance Advance, void* Context) {
  auto Shown = [&] { return Printable(std::string(reinterpret_cast<const char*>(Text), Length)); };
  std::vector<bool> Between(Length + 1, false);
  for (size_t P = 0; P < Length; P += NextGlyph(Text + P, Length - P).Length) Between[P] = true;
  Between[Length] = true;
  size_t Previous = 0;
  for (int I = 0; I < Count; ++I) {
    Span Row = Rows[I];
    auto Where = [&] { return "row " + std::to_string(I) + " of " + Shown(); };
    FUZZ_CHECK(Row.Begin >= Previous && Row.Begin <= Row.End && Row.End <= Length, "out of order: " + Where());
    FUZZ_CHECK(Between[Row.Begin] && Between[Row.End], "splits a glyph: " + Where());
    FUZZ_CHECK(OnlyBreaks(Text, Previous, Row.Begin), "drops text before " + Where());
    // A row wider than Width holds one glyph that takes room, or one emoji sequence or flag.
    int X = 0, Taking = 0;
    platform::LineBreaker Breaker;
    for (size_t P = Row.Begin; P < Row.End;) {
      Glyph G = NextGlyph(Text + P, Row.End - P);
      int Next = Advance(Context, Text + P, G, X);
      bool Blank = Text[P] == ' ' || Text[P] == '\t';
      if (Blank) Breaker.Reset();
      bool Inside = !Blank && Breaker.Before(G.Code) == platform::BREAK_INSIDE_CLUSTER;
      Taking += Next > X && (!Inside || Taking == 0);
      X = Next;
      P += G.Length;
    }
    FUZZ_CHECK(X <= Width || Taking == 1,
               std::to_string(X) + " wide at width " + std::to_string(Width) + ": " + Where());
    Previous = Row.End;
  }
  if (Whole) FUZZ_CHECK(OnlyBreaks(Text, Previous, Length), "drops the end of " + Shown());
}
