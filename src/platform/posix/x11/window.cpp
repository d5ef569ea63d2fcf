// The box window's properties for the window manager, its place on the screen, and its activation.
#include "platform/posix/x11/window.h"

#include "platform/posix/box/model.h"
#include "platform/posix/x11/display.h"
#include "platform/posix/x11/icons.h"
#include "platform/posix/x11/library.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace platform {
namespace {

// _MOTIF_WM_HINTS, as Motif's MwmUtil.h lays it out: flags, functions, decorations, input mode, status.
const long MWM_HINTS_FUNCTIONS = 1L << 0, MWM_HINTS_DECORATIONS = 1L << 1;
const long MWM_FUNC_MOVE = 1L << 2, MWM_FUNC_CLOSE = 1L << 5;
const long MWM_DECOR_BORDER = 1L << 1, MWM_DECOR_TITLE = 1L << 3, MWM_DECOR_MENU = 1L << 4;
const int ICON_SIZES[] = {16, 32, 48};
const long NET_SOURCE_APPLICATION = 1, NET_SOURCE_PAGER = 2;

void SetAtoms(const BoxWindow& Box, const char* Property, const char* const* Values, int Count) {
  Atom List[4];
  for (int I = 0; I < Count; ++I) List[I] = X11Atom(Values[I]);
  XChangeProperty(Box.Dpy, Box.Win, X11Atom(Property), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(List), Count);
}

// _NET_WM_NAME carries the caption; WM_NAME, which XSetWMProperties sets, has it in ISO 8859-1
// for the window managers that read no other. Length bytes of room in Latin1.
XTextProperty CaptionProperties(const BoxWindow& Box, char* Latin1) {
  XChangeProperty(Box.Dpy, Box.Win, X11Atom("_NET_WM_NAME"), X11Atom("UTF8_STRING"), 8, PropModeReplace,
                  Box.Caption, static_cast<int>(Box.CaptionLength));
  XTextProperty Name;
  Name.value = reinterpret_cast<unsigned char*>(Latin1);
  Name.encoding = XA_STRING;
  Name.format = 8;
  Name.nitems = Latin1 != nullptr ? ToLatin1(Box.Caption, Box.CaptionLength, Latin1) : 0;
  return Name;
}

// Class, fixed size, focus on map and the client machine, which Xlib fills in itself.
void SetWindowManagerHints(const BoxWindow& Box, int X, int Y) {
  char* Latin1 = static_cast<char*>(malloc(Box.CaptionLength + 1));
  XTextProperty Name = CaptionProperties(Box, Latin1);
  char Program[] = "askbox", Class[] = "Askbox";
  XClassHint ClassHint = {Program, Class};
  XSizeHints Size;
  memset(&Size, 0, sizeof Size);
  Size.flags = PPosition | PSize | PMinSize | PMaxSize;
  Size.x = X;
  Size.y = Y;
  Size.width = Size.min_width = Size.max_width = Box.Width;
  Size.height = Size.min_height = Size.max_height = Box.Height;
  XWMHints Hints;
  memset(&Hints, 0, sizeof Hints);
  Hints.flags = InputHint | StateHint;
  Hints.input = True;
  Hints.initial_state = NormalState;
  XSetWMProperties(Box.Dpy, Box.Win, Latin1 != nullptr ? &Name : nullptr, nullptr, nullptr, 0, &Size, &Hints,
                   &ClassHint);
  free(Latin1);
}

// A message box can be moved, and closed only where Esc would answer it; it has a fixed size, so
// maximising means nothing, and minimised it would wait unseen for an answer.
void SetFunctions(const BoxWindow& Box) {
  long Hints[5] = {MWM_HINTS_FUNCTIONS | MWM_HINTS_DECORATIONS,
                   MWM_FUNC_MOVE | (Box.Closable ? MWM_FUNC_CLOSE : 0),
                   MWM_DECOR_BORDER | MWM_DECOR_TITLE | MWM_DECOR_MENU, 0, 0};
  Atom Motif = X11Atom("_MOTIF_WM_HINTS");
  XChangeProperty(Box.Dpy, Box.Win, Motif, Motif, 32, PropModeReplace, reinterpret_cast<unsigned char*>(Hints), 5);
}

// The box's icon as the box draws it, once on black and once on white: what the white lets through
// is each pixel's transparency, and the black one's colour, undone from that, its colour.
bool BoxIconArgb(const BoxWindow& Box, unsigned long* Argb) {
  Display* Dpy = Box.Dpy;
  int Size = Box.IconSize;
  Pixmap Both = XCreatePixmap(Dpy, RootWindow(Dpy, Box.Screen), static_cast<unsigned>(2 * Size),
                              static_cast<unsigned>(Size), static_cast<unsigned>(DefaultDepth(Dpy, Box.Screen)));
  XftDraw* Draw = XftDrawCreate(Dpy, Both, DefaultVisual(Dpy, Box.Screen), DefaultColormap(Dpy, Box.Screen));
  XRenderColor Black = RenderColour(0x000000), White = RenderColour(0xFFFFFF);
  XRenderFillRectangle(Dpy, PictOpSrc, XftDrawPicture(Draw), &Black, 0, 0, static_cast<unsigned>(Size),
                       static_cast<unsigned>(Size));
  XRenderFillRectangle(Dpy, PictOpSrc, XftDrawPicture(Draw), &White, Size, 0, static_cast<unsigned>(Size),
                       static_cast<unsigned>(Size));
  DrawIcon(Box.Fonts, Draw, Box.Icon, 0, 0, Size);
  DrawIcon(Box.Fonts, Draw, Box.Icon, Size, 0, Size);
  XImage* Image = XGetImage(Dpy, Both, 0, 0, static_cast<unsigned>(2 * Size), static_cast<unsigned>(Size), AllPlanes,
                            ZPixmap);
  // The colours are read as the usual 8-bit channels of a TrueColor display; a pixmap's image
  // leaves its masks to the visual.
  Visual* Vis = DefaultVisual(Dpy, Box.Screen);
  bool Read = Image != nullptr && Vis->red_mask == 0xFF0000 && Vis->green_mask == 0xFF00 && Vis->blue_mask == 0xFF;
  for (int Y = 0; Read && Y < Size; ++Y)
    for (int X = 0; X < Size; ++X) {
      unsigned long OnBlack = XGetPixel(Image, X, Y), OnWhite = XGetPixel(Image, X + Size, Y);
      long Through = static_cast<long>((OnWhite >> 8) & 0xFF) - static_cast<long>((OnBlack >> 8) & 0xFF);
      unsigned long Alpha = static_cast<unsigned long>(255 - (Through < 0 ? 0 : Through > 255 ? 255 : Through));
      unsigned long Pixel = Alpha << 24;
      for (int Shift = 0; Alpha > 0 && Shift < 24; Shift += 8) {
        unsigned long Channel = ((OnBlack >> Shift) & 0xFF) * 255 / Alpha;
        Pixel |= (Channel > 255 ? 255 : Channel) << Shift;
      }
      Argb[Y * Size + X] = Pixel;
    }
  if (Image != nullptr) XDestroyImage(Image);
  XftDrawDestroy(Draw);
  XFreePixmap(Dpy, Both);
  return Read;
}

}  // namespace

void PlaceBoxWindow(const BoxWindow& Box, const FrameExtents& Frame, int* X, int* Y) {
  const RootArea& Area = Box.Area;
  int Width = Box.Width + Frame.Left + Frame.Right, Height = Box.Height + Frame.Top + Frame.Bottom;
  long Left = Area.X + (Area.Width - Width) / 2, Top = Area.Y + (Area.Height - Height) / 2;
  XWindowAttributes Owner;
  Window Child;
  int OwnerX, OwnerY;
  ClearX11Error();
  if (Box.Owner != 0 && XGetWindowAttributes(Box.Dpy, Box.Owner, &Owner) && LastX11Error() == 0 &&
      Owner.map_state == IsViewable &&
      XTranslateCoordinates(Box.Dpy, Box.Owner, RootWindow(Box.Dpy, Box.Screen), 0, 0, &OwnerX, &OwnerY, &Child)) {
    Left = OwnerX + (Owner.width - Width) / 2;
    Top = OwnerY + (Owner.height - Height) / 2;
  }
  Left = std::max(std::min(Left, Area.X + Area.Width - Width), Area.X);
  Top = std::max(std::min(Top, Area.Y + Area.Height - Height), Area.Y);
  *X = static_cast<int>(Left);
  *Y = static_cast<int>(Top);
}

bool CentreBoxFrame(const BoxWindow& Box) {
  ClearX11Error();
  PropertyValue Extents = ReadProperty(Box.Win, X11Atom("_NET_FRAME_EXTENTS"), 4);
  if (Extents.Data == nullptr) return false;
  bool Known = Extents.Type == XA_CARDINAL && Extents.Format == 32 && Extents.Count == 4;
  if (Known) {
    long Sides[4];  // left, right, top, bottom; format 32 comes as longs
    memcpy(Sides, Extents.Data, sizeof Sides);
    const long MOST = 1000;  // a window manager's frame, not a wild value's overflow
    FrameExtents Frame = {0, 0, 0, 0};
    if (Sides[0] >= 0 && Sides[1] >= 0 && Sides[2] >= 0 && Sides[3] >= 0 && Sides[0] < MOST && Sides[1] < MOST &&
        Sides[2] < MOST && Sides[3] < MOST)
      Frame = {static_cast<int>(Sides[0]), static_cast<int>(Sides[1]), static_cast<int>(Sides[2]),
               static_cast<int>(Sides[3])};
    int X, Y;
    PlaceBoxWindow(Box, Frame, &X, &Y);
    XMoveWindow(Box.Dpy, Box.Win, X, Y);
  }
  FreeProperty(Extents);
  return Known;
}

void DescribeBoxWindow(const BoxWindow& Box, int X, int Y, Atom DeleteWindow) {
  SetWindowManagerHints(Box, X, Y);
  XSetWMProtocols(Box.Dpy, Box.Win, &DeleteWindow, 1);
  const char* Dialog[] = {"_NET_WM_WINDOW_TYPE_DIALOG"};
  SetAtoms(Box, "_NET_WM_WINDOW_TYPE", Dialog, 1);
  // Owned, it is modal to its owner and so kept above it. Above everything else only when asked:
  // the activation when it appears already brings an unowned box to the front.
  const char* States[2];
  int StateCount = 0;
  if (Box.Owner) States[StateCount++] = "_NET_WM_STATE_MODAL";
  if (Box.Style & MB_TOPMOST) States[StateCount++] = "_NET_WM_STATE_ABOVE";
  SetAtoms(Box, "_NET_WM_STATE", States, StateCount);
  if (Box.Owner) XSetTransientForHint(Box.Dpy, Box.Win, Box.Owner);
  SetFunctions(Box);
  unsigned long Pid = static_cast<unsigned long>(getpid());
  XChangeProperty(Box.Dpy, Box.Win, X11Atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&Pid), 1);
}

// The focus is set directly too, for a window manager that does not activate. MB_SETFOREGROUND
// speaks as the user's own request, which focus-stealing prevention lets through; so does a box
// that comes back, since the focus it had has gone elsewhere meanwhile (kwin gives it none).
void ActivateBoxWindow(const BoxWindow& Box, Activation Source) {
  XEvent Event;
  memset(&Event, 0, sizeof Event);
  Event.xclient.type = ClientMessage;
  Event.xclient.window = Box.Win;
  Event.xclient.message_type = X11Atom("_NET_ACTIVE_WINDOW");
  Event.xclient.format = 32;
  bool AsUser = Source == ACTIVATE_AS_USER || (Box.Style & MB_SETFOREGROUND);
  Event.xclient.data.l[0] = AsUser ? NET_SOURCE_PAGER : NET_SOURCE_APPLICATION;
  Event.xclient.data.l[1] = CurrentTime;
  Event.xclient.data.l[2] = static_cast<long>(Box.Owner);
  XSendEvent(Box.Dpy, RootWindow(Box.Dpy, Box.Screen), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &Event);
  XSetInputFocus(Box.Dpy, Box.Win, RevertToParent, CurrentTime);
}

void SetBoxWindowIcon(const BoxWindow& Box) {
  Atom Property = X11Atom("_NET_WM_ICON");
  if (Box.Icon != ICON_NONE && Box.Icon != ICON_USER && Box.IconSize > 0) {
    size_t Pixels = static_cast<size_t>(Box.IconSize) * static_cast<size_t>(Box.IconSize);
    unsigned long* Data = static_cast<unsigned long*>(malloc((2 + Pixels) * sizeof(unsigned long)));
    bool Drawn = Data != nullptr && BoxIconArgb(Box, Data + 2);
    if (Drawn) {
      Data[0] = Data[1] = static_cast<unsigned long>(Box.IconSize);
      XChangeProperty(Box.Dpy, Box.Win, Property, XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(Data), static_cast<int>(2 + Pixels));
    }
    free(Data);
    if (Drawn) return;
  }
  size_t Count = 0;
  for (int Size : ICON_SIZES) Count += 2 + static_cast<size_t>(Size) * static_cast<size_t>(Size);
  // Format 32 goes out of Xlib as longs, whatever the server's word size.
  unsigned long* Data = static_cast<unsigned long*>(malloc(Count * sizeof(unsigned long)));
  uint32_t* Pixels = static_cast<uint32_t*>(malloc(48 * 48 * sizeof(uint32_t)));
  if (Data != nullptr && Pixels != nullptr) {
    size_t N = 0;
    for (int Size : ICON_SIZES) {
      RenderAskboxIcon(Size, Pixels);
      Data[N++] = static_cast<unsigned long>(Size);
      Data[N++] = static_cast<unsigned long>(Size);
      for (int I = 0; I < Size * Size; ++I) Data[N++] = Pixels[I];
    }
    XChangeProperty(Box.Dpy, Box.Win, Property, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(Data), static_cast<int>(Count));
  }
  free(Pixels);
  free(Data);
}

bool BoxWindowMinimised(const BoxWindow& Box) {
  ClearX11Error();
  PropertyValue State = ReadProperty(Box.Win, X11Atom("_NET_WM_STATE"), 32);
  bool Hidden = ListsAtom(State, X11Atom("_NET_WM_STATE_HIDDEN"));
  FreeProperty(State);
  return Hidden;
}

}  // namespace platform
