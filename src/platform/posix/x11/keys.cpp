// What a key pressed in the box window does, decided from its keysym and modifiers alone.
#include "platform/posix/x11/keys.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace platform {

WindowKey MeaningOfKey(KeySym Symbol, unsigned State, const char* Bytes, int Count, bool RightToLeft) {
  WindowKey Key = {WINDOW_KEY_MOVE, 0, 0};
  bool Control = (State & ControlMask) != 0;
  // Ctrl+C copies the box, as on Windows, and leaves it up.
  if (Control && (Symbol == XK_c || Symbol == XK_C)) return {WINDOW_KEY_COPY, 0, 0};
  switch (Symbol) {
    case XK_Return:
    case XK_KP_Enter:
    case XK_space:
    case XK_KP_Space:
      return {WINDOW_KEY_PRESS, 0, 0};
    case XK_Escape:
      return {WINDOW_KEY_CLOSE, 0, 0};
    case XK_Tab:
      Key.Move = (State & ShiftMask) ? -1 : 1;
      return Key;
    case XK_ISO_Left_Tab:
    case XK_Up:
    case XK_KP_Up:
      Key.Move = -1;
      return Key;
    case XK_Down:
    case XK_KP_Down:
      Key.Move = 1;
      return Key;
    // Left and right go the way they point, so in a mirrored box, whose buttons run from the
    // right, they step through the buttons the other way.
    case XK_Left:
    case XK_KP_Left:
      Key.Move = RightToLeft ? 1 : -1;
      return Key;
    case XK_Right:
    case XK_KP_Right:
      Key.Move = RightToLeft ? -1 : 1;
      return Key;
    default:
      if (Count == 1 && !Control) return {WINDOW_KEY_LETTER, 0, static_cast<unsigned char>(Bytes[0])};
      return {WINDOW_KEY_NONE, 0, 0};
  }
}

}  // namespace platform
