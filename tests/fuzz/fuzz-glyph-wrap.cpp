// Fuzz target: glyph decoding and wrapping in terminal cells, over any bytes, widths and row limits.
#include <vector>

#include "fuzz-targets.h"
#include "platform/posix/terminal/text.h"
#include "wrapped-rows.h"

using namespace platform;

namespace {

std::string Utf8Of(uint32_t Code) {
  std::string Out;
  if (Code < 0x80) return Out + static_cast<char>(Code);
  int Follow = Code < 0x800 ? 1 : Code < 0x10000 ? 2 : 3;
  const unsigned Leads[] = {0, 0xC0, 0xE0, 0xF0};
  Out += static_cast<char>(Leads[Follow] | (Code >> (6 * Follow)));
  for (int I = Follow - 1; I >= 0; --I) Out += static_cast<char>(0x80 | ((Code >> (6 * I)) & 0x3F));
  return Out;
}

// Every glyph, read from any byte on: one to four bytes, all inside the text; a shown one is its
// code's own shortest UTF-8, never a control or a surrogate, so nothing else reaches a screen raw.
void CheckGlyphs(const unsigned char* Text, size_t Length) {
  for (size_t P = 0; P < Length; ++P) {
    Glyph G = NextGlyph(Text + P, Length - P);
    std::string Bytes(reinterpret_cast<const char*>(Text + P), G.Length <= Length - P ? G.Length : 0);
    auto Where = [&] { return " at " + std::to_string(P) + ": " + Printable(Bytes); };
    FUZZ_CHECK(G.Length >= 1 && G.Length <= 4 && G.Length <= Length - P, "glyph length" + Where());
    if (G.Kind == GLYPH_SHOWN) {
      FUZZ_CHECK(Bytes == Utf8Of(G.Code), "shown glyph is not its code's UTF-8" + Where());
      FUZZ_CHECK(G.Code >= 0xA0 || (G.Code >= 0x20 && G.Code < 0x7F), "control shown" + Where());
      FUZZ_CHECK(G.Code <= 0x10FFFF && (G.Code < 0xD800 || G.Code > 0xDFFF), "no character" + Where());
    } else if (G.Kind == GLYPH_SUBSTITUTE) {
      // Malformed UTF-8 costs one byte; only a well-formed C1 control is dropped whole.
      FUZZ_CHECK(G.Length == 1 || (Bytes[0] == '\xC2' && static_cast<unsigned char>(Bytes[1]) < 0xA0),
                 "substitute takes more than its byte" + Where());
    } else {
      FUZZ_CHECK(Bytes == (G.Kind == GLYPH_TAB ? "\t" : Text[P] == '\r' ? "\r\n" : "\n"), "kind" + Where());
    }
  }
}

}  // namespace

// Input: the width, the row limit, then the text.
int FuzzGlyphWrap(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  int Width = Input.Byte();
  int Limit = Input.Byte();
  std::string Raw = Input.Rest();
  // Exactly as long as the text, so that a read past either end is caught.
  std::vector<unsigned char> Text(Raw.begin(), Raw.end());
  CheckGlyphs(Text.data(), Text.size());
  std::vector<Span> Rows(static_cast<size_t>(Limit));
  int Count = WrapText(Text.data(), Text.size(), Width, AdvanceCells, nullptr, Rows.data(), Limit);
  FUZZ_CHECK(Count >= (Limit > 0 ? 1 : 0) && Count <= Limit,
             std::to_string(Count) + " rows for limit " + std::to_string(Limit));
  CheckWrappedRows(Text.data(), Text.size(), Rows.data(), Count, Count < Limit, Width, AdvanceCells, nullptr);
  return 0;
}
