// The icons' shapes in the colours people know them by, rasterised with anti-aliasing and put on with XRender.
#include "platform/x11-icons-posix.h"

#include "platform/x11-library-posix.h"

#include <math.h>
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

IconLook LookOf(IconShape Shape) {
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
bool InShape(IconShape Shape, double X, double Y) {
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

void PutCoverage(Display* Dpy, Picture Target, const XRenderColor& Colour, const unsigned char* Coverage,
                 int X, int Y, int Size) {
  Window Root = DefaultRootWindow(Dpy);
  Pixmap Mask = XCreatePixmap(Dpy, Root, static_cast<unsigned>(Size), static_cast<unsigned>(Size), 8);
  GC Context = XCreateGC(Dpy, Mask, 0, nullptr);
  int Stride = (Size + 3) & ~3;
  char* Rows = static_cast<char*>(calloc(static_cast<size_t>(Stride) * static_cast<size_t>(Size), 1));
  if (Rows != nullptr) {
    for (int Row = 0; Row < Size; ++Row)
      memcpy(Rows + Row * Stride, Coverage + Row * Size, static_cast<size_t>(Size));
    XImage* Image = XCreateImage(Dpy, DefaultVisual(Dpy, DefaultScreen(Dpy)), 8, ZPixmap, 0, Rows,
                                 static_cast<unsigned>(Size), static_cast<unsigned>(Size), 32, Stride);
    if (Image != nullptr) {
      XPutImage(Dpy, Mask, Context, Image, 0, 0, 0, 0, static_cast<unsigned>(Size), static_cast<unsigned>(Size));
      Image->data = nullptr;
      XDestroyImage(Image);
    }
    free(Rows);
    Picture MaskPicture =
        XRenderCreatePicture(Dpy, Mask, XRenderFindStandardFormat(Dpy, PictStandardA8), 0, nullptr);
    Picture Fill = XRenderCreateSolidFill(Dpy, &Colour);
    XRenderComposite(Dpy, PictOpOver, Fill, MaskPicture, Target, 0, 0, 0, 0, X, Y,
                     static_cast<unsigned>(Size), static_cast<unsigned>(Size));
    XRenderFreePicture(Dpy, Fill);
    XRenderFreePicture(Dpy, MaskPicture);
  }
  XFreeGC(Dpy, Context);
  XFreePixmap(Dpy, Mask);
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

IconShape IconShapeFor(const MSGBOXPARAMSA& Params) {
  switch (Params.dwStyle & MB_ICONMASK) {
    case MB_ICONHAND:
      return ICON_ERROR;
    case MB_ICONQUESTION:
      return ICON_QUESTION;
    case MB_ICONEXCLAMATION:
      return ICON_WARNING;
    case MB_ICONASTERISK:
      return ICON_INFORMATION;
    case MB_USERICON:
      return Params.hInstance ? ICON_USER : ICON_NONE;
    default:
      return ICON_NONE;
  }
}

void RasteriseIcon(IconShape Shape, bool Mark, int Size, unsigned char* Coverage) {
  for (int Row = 0; Row < Size; ++Row)
    for (int Column = 0; Column < Size; ++Column) {
      int Inside = 0;
      for (int Sy = 0; Sy < SAMPLES; ++Sy)
        for (int Sx = 0; Sx < SAMPLES; ++Sx) {
          double X = (Column + (Sx + 0.5) / SAMPLES) / Size;
          double Y = (Row + (Sy + 0.5) / SAMPLES) / Size;
          Inside += Mark ? (Shape == ICON_ERROR && InCross(X, Y)) : InShape(Shape, X, Y);
        }
      Coverage[Row * Size + Column] = static_cast<unsigned char>(Inside * 255 / (SAMPLES * SAMPLES));
    }
}

void DrawIcon(BoxFonts* Fonts, XftDraw* Draw, IconShape Shape, int X, int Y, int Size) {
  if (Shape == ICON_NONE || Size <= 0) return;
  unsigned char* Coverage = static_cast<unsigned char*>(malloc(static_cast<size_t>(Size) * static_cast<size_t>(Size)));
  if (Coverage == nullptr) return;
  IconLook Look = LookOf(Shape);
  Picture Target = XftDrawPicture(Draw);
  RasteriseIcon(Shape, false, Size, Coverage);
  PutCoverage(Fonts->Dpy, Target, Look.Shape, Coverage, X, Y, Size);
  if (Look.Letter == nullptr) {
    RasteriseIcon(Shape, true, Size, Coverage);
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
