// The message box both POSIX front ends show: its buttons, its answers, and its text cut into glyphs and rows.
#ifndef ASKBOX_PLATFORM_POSIX_BOX_MODEL_H
#define ASKBOX_PLATFORM_POSIX_BOX_MODEL_H

#include "platform/platform.h"
#include "platform/posix/glyphs.h"

#include <stddef.h>
#include <stdint.h>

namespace platform {

struct BoxButton {
  const char* Label;
  int Id;
  bool Accelerator;  // the first letter is underlined and presses the button
};

const int MAX_BUTTONS = 3;

struct BoxModel {
  const BoxButton* Buttons;
  int ButtonCount;
  int Focus;
  int CloseAnswer;  // what Esc and the window's close request give; 0 where they do nothing
  unsigned TimeLimit;  // seconds the box waits for an answer before taking its default; 0: for ever
};

// False for a button type Windows does not know (MB_TYPEMASK beyond MB_CANCELTRYCONTINUE).
bool MakeBoxModel(DWORD Style, BoxModel* Model);
// The answer of the button whose accelerator is Letter (either case), 0 for none.
int AcceleratorAnswer(const BoxModel& Model, unsigned Letter);
// Steps the focus by Delta buttons, wrapping around at either end.
void MoveFocus(BoxModel* Model, int Delta);

// How a front end's box ended: answered (with 0 where the box closed with no answer to give, or
// the display went away), not shown because this front end cannot show one here, or stopped by
// a signal that is to end the program once the desktop and the terminal are as they were.
enum BoxEnding { BOX_ANSWERED, BOX_NOT_HERE, BOX_SIGNALLED };

struct BoxOutcome {
  BoxEnding Ending;
  int Answer;  // the pressed button's identifier, for BOX_ANSWERED
  int Signal;  // for BOX_SIGNALLED
};

// Where a glyph leaves the pen: X is where it starts, measured from the start of its row, so a
// front end can give tabs their stops. Cells for the terminal, pixels for the window.
typedef int (*GlyphAdvance)(void* Context, const unsigned char* Text, const Glyph& G, int X);

// Where a part of a text leaves the pen, measured from its start with Advance.
int TextAdvance(const unsigned char* Text, Span Part, GlyphAdvance Advance, void* Context);

// Breaks the text into rows no wider than Width, at the row's last blank or other line-break
// opportunity (between ideographs, after a hyphen) where there is one and between characters
// where there is not; blanks at a break are dropped, a line's own leading blanks are kept; never
// before a glyph that takes no room nor inside an emoji sequence or a flag. Stops after Limit
// rows, since the caller cannot show more than that anyway.
int WrapText(const unsigned char* Text, size_t Length, int Width, GlyphAdvance Advance,
             void* Context, Span* Rows, int Limit);

}  // namespace platform

#endif
