// Which characters send text to HarfBuzz and FriBidi, and rule L2 of the bidirectional algorithm on whole runs.
#include "platform/posix/x11/text-runs.h"

namespace platform {

bool TextNeedsShaping(const unsigned char* Text, size_t Length) {
  for (const GlyphStep& S : GlyphsOf(Text, Length)) {
    uint32_t C = S.G.Code;
    if (S.G.Kind == GLYPH_SHOWN &&
        ((C >= 0x300 && C <= 0x36F) || (C >= 0x590 && C <= 0x1DFF) || (C >= 0x200C && C <= 0x200F) ||
         (C >= 0x202A && C <= 0x202E) || (C >= 0x2066 && C <= 0x2069) || (C >= 0x20D0 && C <= 0x20FF) ||
         (C >= 0xA800 && C <= 0xABFF) || (C >= 0xFB1D && C <= 0xFDFF) || (C >= 0xFE00 && C <= 0xFE0F) ||
         (C >= 0xFE20 && C <= 0xFE2F) || (C >= 0xFE70 && C <= 0xFEFF) || C >= 0x10000))
      return true;
  }
  return false;
}

void VisualRunOrder(const unsigned char* Levels, int Count, int* Order) {
  int Highest = 0, LowestOdd = 127;
  for (int I = 0; I < Count; ++I) {
    Order[I] = I;
    if (Levels[I] > Highest) Highest = Levels[I];
    if ((Levels[I] & 1) && Levels[I] < LowestOdd) LowestOdd = Levels[I];
  }
  for (int Level = Highest; Level >= LowestOdd; --Level)
    for (int I = 0; I < Count;) {
      int J = I;
      while (J < Count && Levels[Order[J]] >= Level) ++J;
      for (int A = I, B = J - 1; A < B; ++A, --B) {
        int Swap = Order[A];
        Order[A] = Order[B];
        Order[B] = Swap;
      }
      I = J > I ? J : I + 1;
    }
}

}  // namespace platform
