// Text between the locale's character set and the UTF-8 that X speaks.
#ifndef ASKBOX_PLATFORM_POSIX_CODESET_H
#define ASKBOX_PLATFORM_POSIX_CODESET_H

#include <stddef.h>

namespace platform {

// Room that converting Length bytes to UTF-8 may need, with the terminating NUL: TSCII makes up
// to four three-byte characters of one byte. A set that makes more is cut, never overrun.
inline size_t Utf8Room(size_t Length) { return 12 * Length + 1; }

// Whether the locale's bytes are taken as UTF-8 as they are: a UTF-8 locale, and one that names
// no character set or plain ASCII (C, POSIX), whose terminals mostly speak UTF-8 today.
bool LocaleTakenAsUtf8();

// The locale's bytes as UTF-8, NUL-terminated; gives the length. A byte sequence the locale's
// character set does not have becomes U+FFFD and the rest is read on, so nothing after it is
// lost. Where the locale names no character set (C, POSIX) the bytes are taken as UTF-8, as the
// terminal box takes them. Room must be at least Utf8Room(Length).
size_t LocaleToUtf8(const char* In, size_t Length, char* Out, size_t Room);

// UTF-8 in the locale's character set, NUL-terminated, cut at a character boundary to fit Room;
// a character the locale's set lacks becomes '?'. Gives the length.
size_t Utf8ToLocale(const char* In, size_t Length, char* Out, size_t Room);

// One glyph at a time from UTF-8 into the locale's character set, for drawing on a terminal that
// speaks it; the converter is opened once for a whole box.
struct GlyphEncoder {
  void* Converter;
};
// False, with nothing to close, where the locale is taken as UTF-8 and glyphs go out as they are.
bool OpenGlyphEncoder(GlyphEncoder* Encoder);
void CloseGlyphEncoder(GlyphEncoder* Encoder);
// The glyph's bytes in the locale's set, in its initial shift state after it; 0 where the set
// lacks the character or Room is too small.
size_t EncodeGlyph(GlyphEncoder& Encoder, const char* Utf8, size_t Length, char* Out, size_t Room);

// ISO 8859-1, the encoding of ICCCM STRING properties, as UTF-8; Room as for LocaleToUtf8.
size_t Latin1ToUtf8(const char* In, size_t Length, char* Out, size_t Room);

}  // namespace platform

#endif
