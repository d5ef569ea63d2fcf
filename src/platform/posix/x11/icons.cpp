// The icons' shapes in the colours people know them by, rasterised with anti-aliasing and put on with XRender.
#include "platform/posix/x11/icons.h"

#include "platform/posix/x11/library.h"

#include <math.h>

#include <algorithm>
#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

const int SAMPLES = 4;

struct IconLook {
  XRenderColor Shape;
  XRenderColor Mark;
  const char* Letter;  // drawn in the bold font; the error's cross is geometry
  double MarkCentre;   // of the letter, as a fraction of the height: a triangle's sits low
};

IconLook LookOf(BoxIcon Shape) {
  switch (Shape) {
    case ICON_ERROR:
      return {RenderColour(0xD83B2D), RenderColour(0xFFFFFF), nullptr, 0.5};
    case ICON_QUESTION:
      return {RenderColour(0x1F6BC7), RenderColour(0xFFFFFF), "?", 0.5};
    case ICON_WARNING:
      return {RenderColour(0xFFC928), RenderColour(0x202020), "!", 0.62};
    case ICON_INFORMATION:
      return {RenderColour(0x1F6BC7), RenderColour(0xFFFFFF), "i", 0.5};
    default:
      return {RenderColour(0x7A5BA6), RenderColour(0xFFFFFF), "*", 0.56};
  }
}

// Signed side of P against the edge A->B.
double Side(double Ax, double Ay, double Bx, double By, double Px, double Py) {
  return (Bx - Ax) * (Py - Ay) - (By - Ay) * (Px - Ax);
}

// Both in units of the icon's size, the origin at its top left.
bool InShape(BoxIcon Shape, double X, double Y) {
  if (Shape == ICON_WARNING) {
    // A triangle on its base, its corners a little inside the square.
    const double TopX = 0.5, TopY = 0.04, LeftX = 0.02, RightX = 0.98, BaseY = 0.94;
    return Side(TopX, TopY, RightX, BaseY, X, Y) >= 0 && Side(RightX, BaseY, LeftX, BaseY, X, Y) >= 0 &&
           Side(LeftX, BaseY, TopX, TopY, X, Y) >= 0;
  }
  double Dx = X - 0.5, Dy = Y - 0.5;
  return Dx * Dx + Dy * Dy <= 0.48 * 0.48;
}

// The error's cross: two bars at right angles, turned by 45 degrees.
bool InCross(double X, double Y) {
  const double HalfThickness = 0.06, HalfLength = 0.24;
  double U = (X - 0.5 + Y - 0.5) * M_SQRT1_2;
  double V = (X - 0.5 - (Y - 0.5)) * M_SQRT1_2;
  return (fabs(U) <= HalfThickness && fabs(V) <= HalfLength) ||
         (fabs(V) <= HalfThickness && fabs(U) <= HalfLength);
}

// The shapes of askbox's own icon, in units of its size, as res/make-icon.py has them.
bool InRoundedRect(double X, double Y, double Left, double Top, double Right, double Bottom, double Radius) {
  if (X < Left || X > Right || Y < Top || Y > Bottom) return false;
  double Cx = std::clamp(X, Left + Radius, Right - Radius);
  double Cy = std::clamp(Y, Top + Radius, Bottom - Radius);
  return (X - Cx) * (X - Cx) + (Y - Cy) * (Y - Cy) <= Radius * Radius;
}

bool InBubble(double X, double Y, double Grow) {
  if (InRoundedRect(X, Y, 0.04 - Grow, 0.06 - Grow, 0.96 + Grow, 0.74 + Grow, 0.18 + Grow)) return true;
  double S1 = Side(0.20 - Grow, 0.66, 0.48 + Grow, 0.66, X, Y);
  double S2 = Side(0.48 + Grow, 0.66, 0.12 - Grow, 0.97 + Grow, X, Y);
  double S3 = Side(0.12 - Grow, 0.97 + Grow, 0.20 - Grow, 0.66, X, Y);
  return (S1 >= 0 && S2 >= 0 && S3 >= 0) || (S1 <= 0 && S2 <= 0 && S3 <= 0);
}

// Distances compared squared: the program links no maths library for a square root.
bool Within(double X, double Y, double Cx, double Cy, double Radius) {
  return (X - Cx) * (X - Cx) + (Y - Cy) * (Y - Cy) <= Radius * Radius;
}

bool InQuestionMark(double X, double Y) {
  const double Cx = 0.50, Cy = 0.28, Outer = 0.175, Inner = 0.085;
  if (Within(X, Y, Cx, Cy, Outer) && !Within(X, Y, Cx, Cy, Inner) && (Y <= Cy || X >= Cx)) return true;
  if (fabs(X - Cx) <= (Outer - Inner) / 2 && Y >= Cy + Inner && Y <= 0.53) return true;
  return Within(X, Y, Cx, 0.625, 0.062);
}

// 0xRRGGBB at a point of askbox's icon, -1 outside it.
long AskboxColourAt(double X, double Y, int Size) {
  double Line = std::max(0.045, 1.0 / Size);
  if (!InBubble(X, Y, Line)) return -1;
  if (!InBubble(X, Y, 0.0)) return 0x143F8A;
  if (InQuestionMark(X, Y)) return 0xFFFFFF;
  if (Within(X, Y, 0.83, 0.19, 0.075)) return 0xFFB300;
  return 0x2E7DE0;
}

// A pixmap of Depth bits holding Data, an image of Size x Size pixels, Stride bytes a row; None
// where the server cannot make one. The data stays the caller's.
Pixmap PixmapOf(Display* Dpy, unsigned Depth, char* Data, int Size, int Stride) {
  unsigned Side = static_cast<unsigned>(Size);
  Pixmap Made = XCreatePixmap(Dpy, DefaultRootWindow(Dpy), Side, Side, Depth);
  XImage* Image = XCreateImage(Dpy, DefaultVisual(Dpy, DefaultScreen(Dpy)), Depth, ZPixmap, 0, Data, Side, Side, 32,
                               Stride);
  if (Image == nullptr) {
    XFreePixmap(Dpy, Made);
    return None;
  }
  GC Context = XCreateGC(Dpy, Made, 0, nullptr);
  XPutImage(Dpy, Made, Context, Image, 0, 0, 0, 0, Side, Side);
  XFreeGC(Dpy, Context);
  Image->data = nullptr;
  XDestroyImage(Image);
  return Made;
}

// Source over Target at X, Y, through Mask where there is one.
void Composite(Display* Dpy, Picture Source, Picture Mask, Picture Target, int X, int Y, int Size) {
  XRenderComposite(Dpy, PictOpOver, Source, Mask, Target, 0, 0, 0, 0, X, Y, static_cast<unsigned>(Size),
                   static_cast<unsigned>(Size));
}

void PutCoverage(Display* Dpy, Picture Target, const XRenderColor& Colour, const unsigned char* Coverage,
                 int X, int Y, int Size) {
  int Stride = (Size + 3) & ~3;
  char* Rows = static_cast<char*>(calloc(static_cast<size_t>(Stride) * static_cast<size_t>(Size), 1));
  if (Rows == nullptr) return;
  for (int Row = 0; Row < Size; ++Row) memcpy(Rows + Row * Stride, Coverage + Row * Size, static_cast<size_t>(Size));
  Pixmap Mask = PixmapOf(Dpy, 8, Rows, Size, Stride);
  free(Rows);
  if (Mask == None) return;
  Picture MaskPicture = XRenderCreatePicture(Dpy, Mask, XRenderFindStandardFormat(Dpy, PictStandardA8), 0, nullptr);
  Picture Fill = XRenderCreateSolidFill(Dpy, &Colour);
  Composite(Dpy, Fill, MaskPicture, Target, X, Y, Size);
  XRenderFreePicture(Dpy, Fill);
  XRenderFreePicture(Dpy, MaskPicture);
  XFreePixmap(Dpy, Mask);
}

// Through a picture of its own: XRender's ARGB32 is premultiplied, the icon's pixels are not.
void PutAskboxIcon(Display* Dpy, Picture Target, int X, int Y, int Size) {
  size_t Count = static_cast<size_t>(Size) * static_cast<size_t>(Size);
  uint32_t* Pixels = static_cast<uint32_t*>(malloc(Count * sizeof(uint32_t)));
  if (Pixels == nullptr) return;
  RenderAskboxIcon(Size, Pixels);
  for (size_t I = 0; I < Count; ++I) {
    uint32_t Alpha = Pixels[I] >> 24, Pixel = Alpha << 24;
    for (int Shift = 0; Shift < 24; Shift += 8) Pixel |= (((Pixels[I] >> Shift) & 0xFF) * Alpha / 255) << Shift;
    Pixels[I] = Pixel;
  }
  Pixmap Image32 = PixmapOf(Dpy, 32, reinterpret_cast<char*>(Pixels), Size, Size * 4);
  free(Pixels);
  if (Image32 == None) return;
  Picture Source = XRenderCreatePicture(Dpy, Image32, XRenderFindStandardFormat(Dpy, PictStandardARGB32), 0, nullptr);
  Composite(Dpy, Source, None, Target, X, Y, Size);
  XRenderFreePicture(Dpy, Source);
  XFreePixmap(Dpy, Image32);
}

}  // namespace

XRenderColor RenderColour(unsigned Rgb) {
  XRenderColor Colour;
  Colour.red = static_cast<unsigned short>(((Rgb >> 16) & 0xFF) * 0x101);
  Colour.green = static_cast<unsigned short>(((Rgb >> 8) & 0xFF) * 0x101);
  Colour.blue = static_cast<unsigned short>((Rgb & 0xFF) * 0x101);
  Colour.alpha = 0xFFFF;
  return Colour;
}

void RasteriseIcon(BoxIcon Shape, IconLayer Layer, int Size, unsigned char* Coverage) {
  for (int Row = 0; Row < Size; ++Row)
    for (int Column = 0; Column < Size; ++Column) {
      int Inside = 0;
      for (int Sy = 0; Sy < SAMPLES; ++Sy)
        for (int Sx = 0; Sx < SAMPLES; ++Sx) {
          double X = (Column + (Sx + 0.5) / SAMPLES) / Size;
          double Y = (Row + (Sy + 0.5) / SAMPLES) / Size;
          Inside += Layer == ICON_MARK ? (Shape == ICON_ERROR && InCross(X, Y)) : InShape(Shape, X, Y);
        }
      Coverage[Row * Size + Column] = static_cast<unsigned char>(Inside * 255 / (SAMPLES * SAMPLES));
    }
}

void RenderAskboxIcon(int Size, uint32_t* Argb) {
  for (int Row = 0; Row < Size; ++Row)
    for (int Column = 0; Column < Size; ++Column) {
      unsigned Sum[3] = {0, 0, 0}, Hits = 0;
      for (int Sy = 0; Sy < SAMPLES; ++Sy)
        for (int Sx = 0; Sx < SAMPLES; ++Sx) {
          double X = (Column + (Sx + 0.5) / SAMPLES) / Size, Y = (Row + (Sy + 0.5) / SAMPLES) / Size;
          long Colour = AskboxColourAt(X, Y, Size);
          if (Colour < 0) continue;
          for (int C = 0; C < 3; ++C) Sum[C] += (static_cast<unsigned long>(Colour) >> (16 - 8 * C)) & 0xFF;
          ++Hits;
        }
      uint32_t Pixel = 0;
      if (Hits > 0) {
        Pixel = static_cast<uint32_t>(Hits * 255 / (SAMPLES * SAMPLES)) << 24;
        for (int C = 0; C < 3; ++C) Pixel |= ((Sum[C] + Hits / 2) / Hits) << (16 - 8 * C);
      }
      Argb[Row * Size + Column] = Pixel;
    }
}

void DrawIcon(BoxFonts* Fonts, XftDraw* Draw, BoxIcon Shape, int X, int Y, int Size) {
  if (Shape == ICON_NONE || Size <= 0) return;
  if (Shape == ICON_USER) {
    PutAskboxIcon(Fonts->Dpy, XftDrawPicture(Draw), X, Y, Size);
    return;
  }
  unsigned char* Coverage = static_cast<unsigned char*>(malloc(static_cast<size_t>(Size) * static_cast<size_t>(Size)));
  if (Coverage == nullptr) return;
  IconLook Look = LookOf(Shape);
  Picture Target = XftDrawPicture(Draw);
  RasteriseIcon(Shape, ICON_BODY, Size, Coverage);
  PutCoverage(Fonts->Dpy, Target, Look.Shape, Coverage, X, Y, Size);
  if (Look.Letter == nullptr) {
    RasteriseIcon(Shape, ICON_MARK, Size, Coverage);
    PutCoverage(Fonts->Dpy, Target, Look.Mark, Coverage, X, Y, Size);
  } else {
    const FcChar8* Letter = reinterpret_cast<const FcChar8*>(Look.Letter);
    XGlyphInfo Extents;
    XftTextExtentsUtf8(Fonts->Dpy, Fonts->Bold, Letter, 1, &Extents);
    XftColor Colour;
    Colour.pixel = 0;
    Colour.color = Look.Mark;
    int PenX = X + (Size - Extents.width) / 2 + Extents.x;
    int PenY = Y + static_cast<int>(Size * Look.MarkCentre) - Extents.height / 2 + Extents.y;
    XftDrawStringUtf8(Draw, &Colour, Fonts->Bold, PenX, PenY, Letter, 1);
  }
  free(Coverage);
}

}  // namespace platform
