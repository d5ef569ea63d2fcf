// The message box both POSIX front ends show: its buttons, its answers, and its text cut into glyphs and rows.
#ifndef ASKBOX_PLATFORM_POSIX_BOX_MODEL_H
#define ASKBOX_PLATFORM_POSIX_BOX_MODEL_H

#include "platform/platform.h"
#include "platform/posix/glyphs.h"

#include <stddef.h>
#include <stdint.h>

namespace platform {

struct BoxButton {
  const char* Label;  // UTF-8, as shown
  int Id;
  int AcceleratorAt;  // the byte of the underlined ASCII letter that presses the button; -1: none
};

const int MAX_BUTTONS = 3;
// Bytes a label may take, its end included; a translation that needs more is not taken.
const int LABEL_ROOM = 64;

struct BoxModel {
  const BoxButton* Buttons;
  int ButtonCount;
  int Focus;
  int CloseAnswer;  // what Esc and the window's close request give; 0 where they do nothing
  unsigned TimeLimit;  // seconds the box waits for an answer before taking its default; 0: for ever
  // What Buttons points to when the model is made; a copy of the model goes on showing these.
  BoxButton Labelled[MAX_BUTTONS];
  char LabelText[MAX_BUTTONS][LABEL_ROOM];
};

// A button's label in the user's language: UTF-8 with '&' before the accelerator letter ("&&" for
// a '&' of its own), or the English MsgId itself where there is no translation.
typedef const char* (*LabelSource)(const char* MsgId);

// False for a button type Windows does not know (MB_TYPEMASK beyond MB_CANCELTRYCONTINUE). The
// labels are Translate's, or English without it; a translation that is not one line of shown
// UTF-8 with at most one accelerator on an ASCII letter or digit gives way to the English label.
bool MakeBoxModel(DWORD Style, BoxModel* Model, LabelSource Translate = nullptr);
// Takes a label with '&' marks apart into its shown text (Room bytes at Out) and the accelerator's
// byte (-1 for none); false where it is no label a box can show.
bool TakeMarkedLabel(const char* Marked, char* Out, size_t Room, int* AcceleratorAt);
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
