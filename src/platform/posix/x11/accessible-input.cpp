// Bus addresses and text offsets for the accessibility code, checked and clamped before use.
#include "platform/posix/x11/accessible-input.h"

#include <limits.h>
#include <string.h>

namespace platform {

bool TakesBusAddress(const char* Address, size_t Length) {
  if (Length == 0 || Length > ADDRESS_LIMIT || memchr(Address, '\0', Length) != nullptr) return false;
  // Each of the addresses a list separates by semicolons is tried in turn.
  int Entries = 0;
  for (size_t At = 0; At < Length;) {
    const char* End = static_cast<const char*>(memchr(Address + At, ';', Length - At));
    size_t Entry = (End != nullptr ? static_cast<size_t>(End - Address) : Length) - At;
    if (Entry > 0 && (Entry < 5 || memcmp(Address + At, "unix:", 5) != 0)) return false;
    Entries += Entry > 0;
    At += Entry + 1;
  }
  if (Entries == 0) return false;
  for (size_t I = 0; I < Length; ++I)
    if (static_cast<unsigned char>(Address[I]) < 0x20 || static_cast<unsigned char>(Address[I]) >= 0x7F) return false;
  return true;
}

TextPart TextChars(const unsigned char* Text, size_t Length, int Begin, int End) {
  TextPart Part = {0, 0, 0, 0};
  if (Begin < 0) Begin = 0;
  if (End < 0) End = INT_MAX;
  size_t Byte = 0;
  int Char = 0;
  // A character is its lead byte and the continuation bytes after it.
  for (;;) {
    if (Char == Begin) {
      Part.BeginByte = Byte;
      Part.BeginChar = Char;
    }
    if (Byte >= Length || Char >= End) break;
    ++Byte;
    while (Byte < Length && (Text[Byte] & 0xC0) == 0x80) ++Byte;
    ++Char;
  }
  if (Char < Begin) {
    Part.BeginByte = Byte;
    Part.BeginChar = Char;
  }
  Part.EndByte = Byte;
  Part.EndChar = Char;
  return Part;
}

TextPart TextAround(const unsigned char* Text, size_t Length, int Offset, bool Lines) {
  // A screen reader may ask for any offset, the largest too.
  TextPart At = TextChars(Text, Length, Offset, Offset < 0 ? 1 : Offset == INT_MAX ? Offset : Offset + 1);
  if (!Lines) return At;
  size_t Begin = At.BeginByte, End = At.BeginByte;
  while (Begin > 0 && Text[Begin - 1] != '\n') --Begin;
  while (End < Length && Text[End] != '\n') ++End;
  if (End < Length) ++End;  // a line ends with its line feed
  TextPart Line = {Begin, End, 0, 0};
  for (size_t I = 0; I < End; ++I)
    if ((Text[I] & 0xC0) != 0x80) {
      if (I < Begin) ++Line.BeginChar;
      ++Line.EndChar;
    }
  return Line;
}

}  // namespace platform
