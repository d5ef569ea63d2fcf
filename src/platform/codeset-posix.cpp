// Text between the locale's character set and UTF-8: UTF-8 passes through checked, the rest goes by iconv.
#include "platform/codeset-posix.h"

#include "platform/box-model-posix.h"
#include "platform/locale-posix.h"

#include <errno.h>
#include <iconv.h>
#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

const char REPLACEMENT_UTF8[] = "\xef\xbf\xbd";

bool TakenAsUtf8() {
  char Codeset[32];
  LocaleCodeset(Codeset, sizeof Codeset);
  return Codeset[0] == '\0' || strcmp(Codeset, "UTF8") == 0 || strcmp(Codeset, "ANSIX3.41968") == 0 ||
         strcmp(Codeset, "ASCII") == 0;
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

}  // namespace

size_t Latin1ToUtf8(const char* In, size_t Length, char* Out, size_t Room) {
  size_t N = 0;
  for (size_t I = 0; I < Length && N + 3 < Room; ++I) N += PutCode(static_cast<unsigned char>(In[I]), Out + N);
  Out[N] = '\0';
  return N;
}

size_t LocaleToUtf8(const char* In, size_t Length, char* Out, size_t Room) {
  if (TakenAsUtf8()) return CopyUtf8(In, Length, Out, Room);
  char Codeset[64];
  LocaleCodesetAsSpelt(Codeset, sizeof Codeset);
  iconv_t Converter = iconv_open("UTF-8", Codeset);
  // Without a converter (a static program meeting another C library's modules) every byte that
  // is not ASCII shows as the replacement character; nothing is dropped.
  char* Next = Out;
  size_t Left = Room - 1;
  char* Source = const_cast<char*>(In);
  size_t Remaining = Length;
  while (Remaining > 0 && Left >= 3) {
    if (Converter != reinterpret_cast<iconv_t>(-1) &&
        iconv(Converter, &Source, &Remaining, &Next, &Left) != static_cast<size_t>(-1))
      break;
    if (Converter != reinterpret_cast<iconv_t>(-1) && errno == E2BIG) break;
    if (Converter == reinterpret_cast<iconv_t>(-1) && static_cast<unsigned char>(*Source) < 0x80) {
      *Next++ = *Source;
      --Left;
    } else {
      memcpy(Next, REPLACEMENT_UTF8, 3);
      Next += 3;
      Left -= 3;
    }
    ++Source;
    --Remaining;
  }
  if (Converter != reinterpret_cast<iconv_t>(-1)) iconv_close(Converter);
  *Next = '\0';
  return static_cast<size_t>(Next - Out);
}

size_t Utf8ToLocale(const char* In, size_t Length, char* Out, size_t Room) {
  if (Room == 0) return 0;
  bool Direct = TakenAsUtf8();
  iconv_t Converter = reinterpret_cast<iconv_t>(-1);
  if (!Direct) {
    char Codeset[64];
    LocaleCodesetAsSpelt(Codeset, sizeof Codeset);
    Converter = iconv_open(Codeset, "UTF-8");
  }
  size_t N = 0;
  const unsigned char* Text = reinterpret_cast<const unsigned char*>(In);
  for (size_t P = 0; P < Length;) {
    Glyph G = NextGlyph(Text + P, Length - P);
    char Piece[16];
    size_t PieceLength = 0;
    if (Direct) {
      memcpy(Piece, In + P, G.Length);
      PieceLength = G.Length;
    } else if (G.Kind != GLYPH_SUBSTITUTE && Converter != reinterpret_cast<iconv_t>(-1)) {
      char* Source = const_cast<char*>(In + P);
      size_t SourceLeft = G.Length;
      char* Target = Piece;
      size_t TargetLeft = sizeof Piece;
      if (iconv(Converter, &Source, &SourceLeft, &Target, &TargetLeft) != static_cast<size_t>(-1))
        PieceLength = sizeof Piece - TargetLeft;
      iconv(Converter, nullptr, nullptr, nullptr, nullptr);
    } else if (G.Code < 0x80 && G.Kind != GLYPH_SUBSTITUTE) {
      Piece[0] = In[P];
      PieceLength = 1;
    }
    if (PieceLength == 0) {
      Piece[0] = '?';
      PieceLength = 1;
    }
    if (N + PieceLength + 1 > Room) break;
    memcpy(Out + N, Piece, PieceLength);
    N += PieceLength;
    P += G.Length;
  }
  if (Converter != reinterpret_cast<iconv_t>(-1)) iconv_close(Converter);
  Out[N] = '\0';
  return N;
}

}  // namespace platform
