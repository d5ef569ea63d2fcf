// Decoding what a terminal sends for a key: plain bytes, CSI and SS3 sequences, a lone Esc.
#include "platform/posix/terminal/keys.h"

namespace platform {
namespace {

KeyAction CursorAction(unsigned char Final) {
  switch (Final) {
    case 'A':  // up
    case 'D':  // left
    case 'Z':  // shift-tab
      return KEY_PREVIOUS;
    case 'B':  // down
    case 'C':  // right
      return KEY_NEXT;
    default:
      return KEY_IGNORE;
  }
}

Key CursorKey(unsigned char Final, size_t Used) {
  return {CursorAction(Final), Used, 0, Final == 'C' || Final == 'D'};
}

}  // namespace

Key DecodeKey(const unsigned char* In, size_t Count, Arrival Rest) {
  bool Complete = Rest == NO_MORE_COMING;
  unsigned char C = In[0];
  if (C != 0x1B) {
    if (C == '\r' || C == '\n' || C == ' ') return {KEY_PRESS, 1, 0};
    if (C == '\t') return {KEY_NEXT, 1, 0};
    if (C == 0x03) return {KEY_INTERRUPT, 1, 0};
    if (C > 0x20 && C < 0x7F) return {KEY_LETTER, 1, C};
    return {KEY_IGNORE, 1, 0};
  }
  const Key MORE = {KEY_NEED_MORE, 0, 0};
  if (Count == 1) return Complete ? Key{KEY_ESCAPE, 1, 0} : MORE;
  if (In[1] == '[') {
    size_t I = 2;
    while (I < Count && In[I] >= 0x20 && In[I] <= 0x3F) ++I;  // parameters, intermediates
    if (I == Count) return Complete ? Key{KEY_IGNORE, Count, 0} : MORE;
    if (In[I] < 0x40 || In[I] > 0x7E) return {KEY_IGNORE, I, 0};  // broken: keep the stray byte
    // Modifiers (ESC [ 1 ; 5 C) do not change which way the focus goes.
    return CursorKey(In[I], I + 1);
  }
  if (In[1] == 'O') {
    if (Count == 2) return Complete ? Key{KEY_IGNORE, 2, 0} : MORE;
    if (In[2] == 'M') return {KEY_PRESS, 3, 0};  // keypad Enter
    return CursorKey(In[2], 3);
  }
  if (In[1] == 0x1B) return {KEY_ESCAPE, 1, 0};  // Esc pressed twice
  return {KEY_IGNORE, 2, 0};                      // Alt with a key
}

}  // namespace platform
