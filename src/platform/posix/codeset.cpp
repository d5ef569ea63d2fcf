// Text between the locale's character set and UTF-8: UTF-8 passes through checked, the rest goes by iconv.
#include "platform/posix/codeset.h"

#include "platform/posix/glyphs.h"
#include "platform/posix/locale.h"

#include <errno.h>
#include <iconv.h>
#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

const char REPLACEMENT_UTF8[] = "\xef\xbf\xbd";
void* const NO_CONVERTER = reinterpret_cast<void*>(-1);

enum Direction { LOCALE_TO_UTF8, UTF8_TO_LOCALE };

// The locale's set is named as the locale spells it, which is what iconv knows it by.
iconv_t OpenLocaleConverter(Direction Way) {
  char Codeset[64];
  LocaleCodesetAsSpelt(Codeset, sizeof Codeset);
  return Way == LOCALE_TO_UTF8 ? iconv_open("UTF-8", Codeset) : iconv_open(Codeset, "UTF-8");
}

size_t PutCode(uint32_t Code, char* Out) {
  if (Code < 0x80) {
    Out[0] = static_cast<char>(Code);
    return 1;
  }
  if (Code < 0x800) {
    Out[0] = static_cast<char>(0xC0 | (Code >> 6));
    Out[1] = static_cast<char>(0x80 | (Code & 0x3F));
    return 2;
  }
  Out[0] = static_cast<char>(0xE0 | (Code >> 12));
  Out[1] = static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
  Out[2] = static_cast<char>(0x80 | (Code & 0x3F));
  return 3;
}

// Malformed sequences are kept as they are: NextGlyph substitutes them one byte at a time.
size_t CopyUtf8(const char* In, size_t Length, char* Out, size_t Room) {
  size_t N = Length < Room ? Length : Room - 1;
  memcpy(Out, In, N);
  Out[N] = '\0';
  return N;
}

// iconv writes code points past U+10FFFF (from UCS-4, say) in the old five- and six-byte forms,
// which are no UTF-8. Each such sequence is at least three bytes, so U+FFFD takes its place in
// the same room; anything else malformed becomes '?'.
size_t KeepWellFormed(char* Text, size_t Length) {
  const unsigned char* Bytes = reinterpret_cast<const unsigned char*>(Text);
  size_t Kept = 0;
  for (size_t P = 0; P < Length;) {
    Glyph G = NextGlyph(Bytes + P, Length - P);
    if (G.Kind != GLYPH_SUBSTITUTE || Bytes[P] < 0x80) {
      memmove(Text + Kept, Text + P, G.Length);
      Kept += G.Length;
      P += G.Length;
      continue;
    }
    size_t End = P + 1;
    while (End < Length && End - P < 6 && (Bytes[End] & 0xC0) == 0x80) ++End;
    bool Room = End - P >= sizeof REPLACEMENT_UTF8 - 1;
    memcpy(Text + Kept, Room ? REPLACEMENT_UTF8 : "?", Room ? sizeof REPLACEMENT_UTF8 - 1 : 1);
    Kept += Room ? sizeof REPLACEMENT_UTF8 - 1 : 1;
    P = End;
  }
  return Kept;
}

}  // namespace

bool LocaleTakenAsUtf8() {
  char Codeset[32];
  LocaleCodeset(Codeset, sizeof Codeset);
  return Codeset[0] == '\0' || strcmp(Codeset, "UTF8") == 0 || strcmp(Codeset, "ANSIX3.41968") == 0 ||
         strcmp(Codeset, "ASCII") == 0;
}

size_t Latin1ToUtf8(const char* In, size_t Length, char* Out, size_t Room) {
  size_t N = 0;
  for (size_t I = 0; I < Length && N + 3 < Room; ++I) N += PutCode(static_cast<unsigned char>(In[I]), Out + N);
  Out[N] = '\0';
  return N;
}

size_t LocaleToUtf8(const char* In, size_t Length, char* Out, size_t Room) {
  if (Room == 0) return 0;
  if (LocaleTakenAsUtf8()) return CopyUtf8(In, Length, Out, Room);
  iconv_t Converter = OpenLocaleConverter(LOCALE_TO_UTF8);
  bool Converting = Converter != NO_CONVERTER;
  // Without a converter for the locale's set every byte that is not ASCII shows as the
  // replacement character; nothing is dropped. The NUL's place is kept back throughout.
  char* Next = Out;
  size_t Left = Room - 1;
  char* Source = const_cast<char*>(In);
  size_t Remaining = Length;
  while (Remaining > 0) {
    if (Converting) {
      if (iconv(Converter, &Source, &Remaining, &Next, &Left) != static_cast<size_t>(-1)) break;
      // A stateful decoder may take the last byte and still fail on it: nothing is left then.
      if (errno == E2BIG || Remaining == 0) break;
    }
    bool Ascii = !Converting && static_cast<unsigned char>(*Source) < 0x80;
    size_t Need = Ascii ? 1 : sizeof REPLACEMENT_UTF8 - 1;
    if (Left < Need) break;
    memcpy(Next, Ascii ? Source : REPLACEMENT_UTF8, Need);
    Next += Need;
    Left -= Need;
    ++Source;
    --Remaining;
  }
  if (!Converting) {
    *Next = '\0';
    return static_cast<size_t>(Next - Out);
  }
  // A decoder that holds a character back to see whether a combining one follows (CP1255,
  // TCVN) gives it up only here.
  iconv(Converter, nullptr, nullptr, &Next, &Left);
  iconv_close(Converter);
  size_t Kept = KeepWellFormed(Out, static_cast<size_t>(Next - Out));
  Out[Kept] = '\0';
  return Kept;
}

bool OpenGlyphEncoder(GlyphEncoder* Encoder) {
  Encoder->Converter = NO_CONVERTER;
  if (LocaleTakenAsUtf8()) return false;
  Encoder->Converter = OpenLocaleConverter(UTF8_TO_LOCALE);
  return true;
}

void CloseGlyphEncoder(GlyphEncoder* Encoder) {
  if (Encoder->Converter != NO_CONVERTER) iconv_close(static_cast<iconv_t>(Encoder->Converter));
  Encoder->Converter = NO_CONVERTER;
}

size_t EncodeGlyph(GlyphEncoder& Encoder, const char* Utf8, size_t Length, char* Out, size_t Room) {
  if (Encoder.Converter == NO_CONVERTER) {
    // Without a converter only ASCII is known to be the same in the locale's set.
    if (Length != 1 || static_cast<unsigned char>(Utf8[0]) >= 0x80 || Room < 1) return 0;
    Out[0] = Utf8[0];
    return 1;
  }
  iconv_t Converter = static_cast<iconv_t>(Encoder.Converter);
  char* Source = const_cast<char*>(Utf8);
  size_t SourceLeft = Length;
  char* Target = Out;
  size_t TargetLeft = Room;
  size_t Result = iconv(Converter, &Source, &SourceLeft, &Target, &TargetLeft);
  // Each glyph stands alone: a stateful set shifts back to its initial state after it.
  if (Result != static_cast<size_t>(-1) && SourceLeft == 0 &&
      iconv(Converter, nullptr, nullptr, &Target, &TargetLeft) != static_cast<size_t>(-1))
    return Room - TargetLeft;
  iconv(Converter, nullptr, nullptr, nullptr, nullptr);
  return 0;
}

size_t Utf8ToLocale(const char* In, size_t Length, char* Out, size_t Room) {
  if (Room == 0) return 0;
  GlyphEncoder Encoder;
  bool Direct = !OpenGlyphEncoder(&Encoder);
  size_t N = 0;
  const unsigned char* Text = reinterpret_cast<const unsigned char*>(In);
  for (const GlyphStep& S : GlyphsOf(Text, Length)) {
    const Glyph& G = S.G;
    size_t P = S.At;
    char Piece[16];
    size_t PieceLength = 0;
    if (Direct) {
      memcpy(Piece, In + P, G.Length);
      PieceLength = G.Length;
    } else if (G.Kind != GLYPH_SUBSTITUTE) {
      PieceLength = EncodeGlyph(Encoder, In + P, G.Length, Piece, sizeof Piece);
    }
    if (PieceLength == 0) {
      Piece[0] = '?';
      PieceLength = 1;
    }
    if (N + PieceLength + 1 > Room) break;
    memcpy(Out + N, Piece, PieceLength);
    N += PieceLength;
  }
  CloseGlyphEncoder(&Encoder);
  Out[N] = '\0';
  return N;
}

}  // namespace platform
