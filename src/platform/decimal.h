// The one decimal formatter, at the bottom of the layers so that the platform files can use it too.
#ifndef ASKBOX_PLATFORM_DECIMAL_H
#define ASKBOX_PLATFORM_DECIMAL_H

#include <stdint.h>

// Room for the longest result, "-2147483648". Every number the program prints fits 32 bits, and
// 64-bit division would cost a 32-bit askbox.exe a runtime helper.
const int DECIMAL_ROOM = 11;

// Writes the digits of value, with a minus sign before a negative one and nothing else: no
// terminator, no padding. Gives the number of bytes written.
inline int FormatDecimal(char* Out, int32_t Value) {
  char Reversed[DECIMAL_ROOM];
  int Count = 0;
  // The magnitude as unsigned, so that the most negative value needs no special case.
  uint32_t Magnitude = Value < 0 ? 0u - static_cast<uint32_t>(Value) : static_cast<uint32_t>(Value);
  do {
    Reversed[Count++] = static_cast<char>('0' + Magnitude % 10);
    Magnitude /= 10;
  } while (Magnitude != 0);
  int Length = 0;
  if (Value < 0) Out[Length++] = '-';
  while (Count > 0) Out[Length++] = Reversed[--Count];
  return Length;
}

#endif
