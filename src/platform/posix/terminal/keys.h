// What the bytes a terminal sends for a key mean to the box.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_KEYS_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_KEYS_H

#include <stddef.h>

namespace platform {

enum KeyAction {
  KEY_NEED_MORE,
  KEY_IGNORE,
  KEY_NEXT,
  KEY_PREVIOUS,
  KEY_PRESS,
  KEY_ESCAPE,
  KEY_INTERRUPT,
  KEY_LETTER
};

struct Key {
  KeyAction Action;
  size_t Used;  // bytes of the input the key took
  unsigned char Letter;
  bool Sideways = false;  // Left or Right, which a mirrored box turns round
};

// Where no more bytes are coming for now, an unfinished sequence is all there is.
enum Arrival { MORE_MAY_COME, NO_MORE_COMING };

Key DecodeKey(const unsigned char* In, size_t Count, Arrival Rest);

}  // namespace platform

#endif
