// What reaches the accessibility code from outside, decided from its bytes alone: a bus address and a screen reader's text offsets.
#ifndef ASKBOX_PLATFORM_POSIX_X11_ACCESSIBLE_INPUT_H
#define ASKBOX_PLATFORM_POSIX_X11_ACCESSIBLE_INPUT_H

#include <stddef.h>

namespace platform {

// The longest bus address taken.
const size_t ADDRESS_LIMIT = 512;

// True for an address askbox connects to: printable ASCII of at most ADDRESS_LIMIT bytes naming
// only local sockets ("unix:"), since anything else (tcp) means a name lookup and a connect that
// can stall.
bool TakesBusAddress(const char* Address, size_t Length);

// A part of a UTF-8 text, in bytes and in characters (code points), which is how AT-SPI counts.
struct TextPart {
  size_t BeginByte, EndByte;
  int BeginChar, EndChar;
};

// The characters Begin up to End (-1: to the end), clamped to the text.
TextPart TextChars(const unsigned char* Text, size_t Length, int Begin, int End);
// The character at Offset alone, or with Lines its line: up to and with the next line feed.
TextPart TextAround(const unsigned char* Text, size_t Length, int Offset, bool Lines);

}  // namespace platform

#endif
