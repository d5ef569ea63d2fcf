// UTF-8 text glyph by glyph: what one glyph is, and a walk over the glyphs of a text.
#ifndef ASKBOX_PLATFORM_POSIX_GLYPHS_H
#define ASKBOX_PLATFORM_POSIX_GLYPHS_H

#include <stddef.h>
#include <stdint.h>

namespace platform {

enum GlyphKind { GLYPH_SHOWN, GLYPH_SUBSTITUTE, GLYPH_TAB, GLYPH_LINE_END };

struct Glyph {
  size_t Length;  // bytes it takes in the text
  uint32_t Code;  // the character, for a shown glyph
  GlyphKind Kind;
};

const uint32_t REPLACEMENT_CHARACTER = 0xFFFD;

// One glyph of UTF-8 text. Malformed UTF-8 costs exactly one byte, so whatever follows it is read
// afresh; C0 and C1 controls other than tab and line end become substitutes, because a raw one
// could move a terminal's cursor or retitle it, and an X font has nothing to draw for it.
Glyph NextGlyph(const unsigned char* Text, size_t Available);

struct Span {
  size_t Begin;
  size_t End;
};

struct GlyphStep {
  size_t At;  // where the glyph starts in the text
  Glyph G;
};

class GlyphIterator {
 public:
  GlyphIterator(const unsigned char* Text, size_t At, size_t End) : Text(Text), End(End) {
    Step.At = At;
    Read();
  }
  const GlyphStep& operator*() const { return Step; }
  GlyphIterator& operator++() {
    Step.At += Step.G.Length;
    Read();
    return *this;
  }
  bool operator!=(const GlyphIterator& Other) const { return Step.At != Other.Step.At; }

 private:
  void Read() {
    if (Step.At < End) Step.G = NextGlyph(Text + Step.At, End - Step.At);
  }
  const unsigned char* Text;
  size_t End;
  GlyphStep Step;
};

// The glyphs of Text[Begin, End) in turn: for (const GlyphStep& S : GlyphsOf(Text, Length)).
class GlyphsOf {
 public:
  GlyphsOf(const unsigned char* Text, size_t Begin, size_t End) : Text(Text), Begin(Begin), End(End) {}
  GlyphsOf(const unsigned char* Text, size_t Length) : GlyphsOf(Text, 0, Length) {}
  GlyphsOf(const unsigned char* Text, Span Part) : GlyphsOf(Text, Part.Begin, Part.End) {}
  GlyphIterator begin() const { return {Text, Begin, End}; }
  GlyphIterator end() const { return {Text, End, End}; }

 private:
  const unsigned char* Text;
  size_t Begin, End;
};

// ISO 8859-1, what X calls STRING: a character it lacks becomes '?'. Out has room for Length bytes.
size_t ToLatin1(const unsigned char* Utf8, size_t Length, char* Out);

}  // namespace platform

#endif
