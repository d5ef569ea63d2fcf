// Bytes shown with escapes, for the messages of broken fuzz properties.
#include <stdio.h>

#include "fuzz-targets.h"

std::string Printable(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char byte : bytes) {
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      out += static_cast<char>(byte);
    } else {
      char escape[8];
      snprintf(escape, sizeof escape, "\\x%02X", byte);
      out += escape;
    }
  }
  return out + "\"";
}
