// Bytes shown with escapes, for the messages of broken fuzz properties.
#include <stdio.h>

#include "fuzz-targets.h"

std::string Printable(const std::string& Bytes) {
  std::string Out = "\"";
  for (unsigned char Byte : Bytes) {
    if (Byte >= 0x20 && Byte < 0x7F && Byte != '"' && Byte != '\\') {
      Out += static_cast<char>(Byte);
    } else {
      char Escape[8];
      snprintf(Escape, sizeof Escape, "\\x%02X", Byte);
      Out += Escape;
    }
  }
  return Out + "\"";
}
