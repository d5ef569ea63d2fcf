// Drawing the box window's picture: its background, icon, text and buttons, in a light or a dark look.
#include "platform/posix/x11/paint.h"

#include "platform/posix/x11/icons.h"
#include "platform/posix/x11/label.h"
#include "platform/posix/x11/library.h"

#include <string.h>

namespace platform {
namespace {

const BoxColours LIGHT = {0xFFFFFF, 0xF0F0F0, 0x000000, 0xE1E1E1, 0xADADAD, 0xE5F1FB, 0x0078D7, 0xCCE4F7};
const BoxColours DARK = {0x202020, 0x2B2B2B, 0xF2F2F2, 0x3C3C3C, 0x5F5F5F, 0x253746, 0x5CB8F0, 0x2E4F6B};
const char ELLIPSIS[] = "\xe2\x80\xa6";

void Fill(const BoxPicture& P, unsigned Colour, int X, int Y, int Width, int Height) {
  XRenderColor C = RenderColour(Colour);
  XRenderFillRectangle(P.Dpy, PictOpSrc, XftDrawPicture(P.Draw), &C, X, Y, static_cast<unsigned>(Width),
                       static_cast<unsigned>(Height));
}

// A line or an edge at the display's scale: never thinner than one pixel.
int LinePixels(const BoxPicture& P, double Pixels) {
  int Value = static_cast<int>(Pixels * P.Scale + 0.5);
  return Value > 0 ? Value : 1;
}

const unsigned char* Label(const BoxButton& Button) {
  return reinterpret_cast<const unsigned char*>(Button.Label);
}

void DrawButton(const BoxPicture& P, int Index) {
  const BoxButton& Button = P.Model->Buttons[Index];
  bool Focused = Index == P.Model->Focus;
  int X = P.Layout->ButtonX[Index], Y = P.Layout->ButtonY, W = P.Layout->ButtonWidth, H = P.Layout->ButtonHeight;
  int Edge = Focused ? LinePixels(P, 2) : LinePixels(P, 1);
  const BoxColours& C = *P.Colours;
  Fill(P, Focused ? C.FocusEdge : C.ButtonEdge, X, Y, W, H);
  Fill(P, P.Pressed == Index && P.PressedOver ? C.PressedFace : Focused ? C.FocusFace : C.ButtonFace, X + Edge,
       Y + Edge, W - 2 * Edge, H - 2 * Edge);
  size_t Length = strlen(Button.Label);
  int LabelWidth = LabelPixels(P.Fonts, Label(Button), Length);
  int PenX = X + (W - LabelWidth) / 2;
  int Baseline = Y + (H - P.Fonts->Regular->ascent - P.Fonts->Regular->descent) / 2 + P.Fonts->Regular->ascent;
  DrawLabel(P.Fonts, P.Draw, P.Ink, PenX, Baseline, Label(Button), Length);
  // Where the letters are reordered, the marked one is not where its bytes are; the key still works.
  if (Button.AcceleratorAt >= 0 && !LabelIsShaped(Label(Button), Length)) {
    size_t At = static_cast<size_t>(Button.AcceleratorAt);
    int LetterX = PenX + TextPixels(P.Fonts, Label(Button), At);
    int LetterWidth = TextPixels(P.Fonts, Label(Button) + At, 1);
    int Thickness = LinePixels(P, 1);
    Fill(P, C.Text, LetterX, Baseline + LinePixels(P, 2), LetterWidth, Thickness);
  }
}

// A row of the text, or the ellipsis that stands for the rows the screen cannot hold.
void DrawRow(const BoxPicture& P, int Index, int Baseline) {
  Span Row = P.Layout->Rows[Index];
  bool Ellipsis = P.Layout->Cut && Index == P.Layout->RowCount - 1;
  const unsigned char* Bytes = Ellipsis ? reinterpret_cast<const unsigned char*>(ELLIPSIS) : P.Text + Row.Begin;
  size_t Length = Ellipsis ? sizeof ELLIPSIS - 1 : Row.End - Row.Begin;
  int Pixels = Ellipsis ? TextPixels(P.Fonts, Bytes, Length) : TextAdvance(P.Text, Row, MeasuredAdvance, P.Measured);
  int X = P.Layout->AlignRight ? P.Layout->TextRight - Pixels : P.Layout->TextX;
  if (P.Shaped != nullptr && !Ellipsis) {
    DrawShapedRow(*P.Shaped, P.Draw, P.Ink, X, Baseline, Row);
  } else {
    DrawText(P.Fonts, P.Draw, P.Ink, X, Baseline, Bytes, Length);
  }
}

}  // namespace

void PaintBox(const BoxPicture& P) {
  Fill(P, P.Colours->Back, 0, 0, P.Layout->Width, P.Layout->StripY);
  Fill(P, P.Colours->Strip, 0, P.Layout->StripY, P.Layout->Width, P.Layout->Height - P.Layout->StripY);
  DrawIcon(P.Fonts, P.Draw, P.Icon, P.Layout->IconX, P.Layout->IconY, P.Layout->IconSize);
  int LineHeight = P.Fonts->Regular->ascent + P.Fonts->Regular->descent;
  for (int I = 0; I < P.Layout->RowCount; ++I) DrawRow(P, I, P.Layout->TextY + I * LineHeight + P.Fonts->Regular->ascent);
  for (int I = 0; I < P.Model->ButtonCount; ++I) DrawButton(P, I);
  XClearWindow(P.Dpy, P.Win);
}

const BoxColours* BoxColoursFor(bool Dark) { return Dark ? &DARK : &LIGHT; }

}  // namespace platform
