// What a key pressed in the box window does, decided from its keysym and modifiers alone.
#ifndef ASKBOX_PLATFORM_POSIX_X11_KEYS_H
#define ASKBOX_PLATFORM_POSIX_X11_KEYS_H

#include <X11/X.h>

namespace platform {

enum WindowKeyAction { WINDOW_KEY_NONE, WINDOW_KEY_PRESS, WINDOW_KEY_CLOSE, WINDOW_KEY_MOVE, WINDOW_KEY_COPY,
                       WINDOW_KEY_LETTER };

struct WindowKey {
  WindowKeyAction Action;
  int Move;  // with WINDOW_KEY_MOVE: a button on, or back
  unsigned char Letter;  // with WINDOW_KEY_LETTER: the character it typed, for an underlined letter
};

// Symbol and the Count bytes it typed, as XLookupString gives them, with the event's State.
WindowKey MeaningOfKey(KeySym Symbol, unsigned State, const char* Bytes, int Count, bool RightToLeft);

}  // namespace platform

#endif
