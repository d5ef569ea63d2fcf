// The message box window: its life from layout to answer, and its event loop.
#include "platform/posix/x11/box.h"

#include "platform/posix/box/copy.h"
#include "platform/posix/stop-signals.h"
#include "platform/posix/time-limit.h"
#include "platform/posix/x11/accessible.h"
#include "platform/posix/x11/clipboard.h"
#include "platform/posix/x11/display.h"
#include "platform/posix/x11/icons.h"
#include "platform/posix/x11/keys.h"
#include "platform/posix/x11/label.h"
#include "platform/posix/x11/layout.h"
#include "platform/posix/x11/library.h"
#include "platform/posix/x11/monitors.h"
#include "platform/posix/x11/paint.h"
#include "platform/posix/x11/server-watch.h"
#include "platform/posix/x11/shape.h"
#include "platform/posix/x11/window.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace platform {
namespace {

const double TEXT_POINTS = 10.0;
const double MARK_SHARE = 0.72;  // of the icon's height, for the letter drawn inside it

// How long the server must have sent nothing before the box asks it anything: a reply comes after
// every event the server holds for the box by then, and under a flood that is more than it can send.
const int QUIET_MS = 20;

enum Recheck : unsigned { RECHECK_FRAME = 1, RECHECK_MINIMISED = 2, RECHECK_NOTES = 4 };
// A property of no meaning on a window, changed by nothing of the box's but appended nothing to
// when it asks whether the server answers: the PropertyNotify that follows says it does.
const Atom ANSWER_PROBE = XA_CAP_HEIGHT;
// The longest the last answers to a screen reader may hold up the end of askbox.
const int ACCESS_FLUSH_MS = 200;

struct XBox {
  const BoxRequest* Request;
  BoxModel Model;
  Window Owner;
  Display* Dpy;
  int Screen;
  Window Win;
  Pixmap Back;
  XftDraw* Draw;
  BoxFonts Fonts;
  bool FontsOpen;
  XftColor Ink;
  const BoxColours* Colours;
  double Scale;
  BoxIcon Icon;
  unsigned char* Text;
  size_t TextLength;
  unsigned char* Caption;
  size_t CaptionLength;
  int Pressed;  // the button the mouse holds down, -1 for none
  bool PressedOver;  // and the pointer is over it, so it looks pressed
  bool FocusAsked;
  bool Mapped;
  bool FrameCentred;
  bool Focused;
  bool Active;  // has the focus now, for screen readers
  bool NeedsPaint;  // drawn once after the events that changed it
  unsigned Rechecks;  // Recheck bits asked for since the last checks
  Atom WmState, FrameExtents;
  bool Probing;  // an ANSWER_PROBE is on its way
  int64_t LastEventMs;  // when the last event came
  bool Listening;  // keys count only once the box has the focus
  char HeldBefore[32];  // keys already down then, whose repeats are no answer; one bit a keycode
  bool Done;
  int Answer;
  int Signal;
  StopSignals Signals;
  ServerWatch Watch;
  bool Unavailable;
  Atom Protocols, DeleteWindow;
  TimeLimit Limit;
  X11Clipboard Clip;
  char* Copy;  // the box as Ctrl+C copies it
  size_t CopyLength;
  BoxWindow Frame;
  WindowLayout Layout;
  ShapedText Shaped;
  bool IsShaped;  // the text is drawn from Shaped
  MeasuredText Plain;  // the text's advances where it is not shaped
  MeasuredText* Measured;  // the one of the two the text was laid out with
  X11Accessible Access;  // the box for screen readers
};

// Clean UTF-8 (PutCleanText), so that no control byte reaches the server.
unsigned char* CleanText(const unsigned char* Utf8, size_t Utf8Length, TextLines Lines, size_t* Length) {
  char* Out = static_cast<char*>(malloc(3 * Utf8Length + 1));
  if (Out == nullptr) return nullptr;
  char* End = PutCleanText(Out, Utf8, Utf8Length, Lines);
  *End = '\0';
  *Length = static_cast<size_t>(End - Out);
  return reinterpret_cast<unsigned char*>(Out);
}

const unsigned char* Label(const BoxButton& Button) {
  return reinterpret_cast<const unsigned char*>(Button.Label);
}

void Paint(XBox& B) {
  PaintBox({B.Dpy, B.Win, B.Draw, &B.Fonts, &B.Ink, B.Colours, B.Scale, B.Icon, B.Text, &B.Layout, &B.Model, B.Pressed,
            B.PressedOver, B.IsShaped ? &B.Shaped : nullptr, B.Measured});
}

int ButtonAt(const XBox& B, int X, int Y) {
  if (Y < B.Layout.ButtonY || Y >= B.Layout.ButtonY + B.Layout.ButtonHeight) return -1;
  for (int I = 0; I < B.Model.ButtonCount; ++I)
    if (X >= B.Layout.ButtonX[I] && X < B.Layout.ButtonX[I] + B.Layout.ButtonWidth) return I;
  return -1;
}

void Finish(XBox& B, int Answer) {
  if (Answer == 0) return;
  B.Answer = Answer;
  B.Done = true;
}

// A key typed or held before the box appeared was meant for what had the focus then: keys count
// from the moment the box has it, and a key down at that moment counts only once let go. The
// server says which keys were down in the KeymapNotify that follows the FocusIn, in the order of
// events; asking for the keymap now would also count keys pressed since, still in the queue.
void StartListening(XBox& B, const XKeymapEvent& Keymap) {
  if (B.Listening || !B.Focused) return;
  B.Listening = true;
  // Auto-repeat would otherwise send a release before every repeated press, ending the hold.
  XkbSetDetectableAutoRepeat(B.Dpy, True, nullptr);
  memcpy(B.HeldBefore, Keymap.key_vector, sizeof B.HeldBefore);
}

bool HeldFromBefore(const XBox& B, unsigned Keycode) {
  return Keycode < 8 * sizeof B.HeldBefore && (B.HeldBefore[Keycode / 8] & (1 << (Keycode % 8))) != 0;
}

// Released, the key counts from its next press.
void ReleaseHeldKey(XBox& B, unsigned Keycode) {
  if (Keycode < 8 * sizeof B.HeldBefore) B.HeldBefore[Keycode / 8] &= static_cast<char>(~(1 << (Keycode % 8)));
}

void OnKey(XBox& B, XKeyEvent& Key) {
  if (!B.Listening || HeldFromBefore(B, Key.keycode)) return;
  char Bytes[8];
  KeySym Symbol = NoSymbol;
  int Count = XLookupString(&Key, Bytes, sizeof Bytes, &Symbol, nullptr);
  WindowKey Meaning = MeaningOfKey(Symbol, Key.state, Bytes, Count, B.Request->RightToLeft);
  switch (Meaning.Action) {
    case WINDOW_KEY_COPY:
      if (B.Copy != nullptr) TakeX11Clipboard(&B.Clip, Key.time);
      break;
    case WINDOW_KEY_PRESS:
      Finish(B, B.Model.Buttons[B.Model.Focus].Id);
      break;
    case WINDOW_KEY_CLOSE:
      Finish(B, B.Model.CloseAnswer);
      break;
    case WINDOW_KEY_LETTER:
      Finish(B, AcceleratorAnswer(B.Model, Meaning.Letter));
      break;
    case WINDOW_KEY_MOVE:
      MoveFocus(&B.Model, Meaning.Move);
      B.NeedsPaint = true;
      break;
    case WINDOW_KEY_NONE:
      break;
  }
}

// A press and release on the same button presses it; as a push button does, it shows pressed
// only while the pointer that holds it is over it.
void OnPointer(XBox& B, const XEvent& Event) {
  if (Event.type == ButtonPress && Event.xbutton.button == Button1) {
    B.Pressed = ButtonAt(B, Event.xbutton.x, Event.xbutton.y);
    B.PressedOver = B.Pressed >= 0;
    if (B.Pressed >= 0) B.Model.Focus = B.Pressed;
    B.NeedsPaint = true;
  } else if (Event.type == ButtonRelease && Event.xbutton.button == Button1 && B.Pressed >= 0) {
    int Released = ButtonAt(B, Event.xbutton.x, Event.xbutton.y);
    int Held = B.Pressed;
    B.Pressed = -1;
    B.NeedsPaint = true;
    if (Released == Held) Finish(B, B.Model.Buttons[Held].Id);
  } else if (Event.type == MotionNotify && B.Pressed >= 0) {
    bool Over = ButtonAt(B, Event.xmotion.x, Event.xmotion.y) == B.Pressed;
    if (Over != B.PressedOver) {
      B.PressedOver = Over;
      B.NeedsPaint = true;
    }
  }
}

// An unowned box has no minimise button on Windows. Where a window manager offers one anyway, or
// a script minimises the box, it would wait unseen for an answer, so it comes straight back:
// mapped again, an iconic window is a normal one. Only once it is unmapped, since mapping a
// mapped window does nothing, and whichever of the unmap and the hidden state comes last. An
// owned box goes and comes with its owner, and one on another desktop stays there.
void ComeBackIfMinimised(XBox& B) {
  if (B.Owner == 0 && !B.Mapped && BoxWindowMinimised(B.Frame)) XMapRaised(B.Dpy, B.Win);
}

void OnEvent(XBox& B, XEvent& Event) {
  switch (Event.type) {
    case MapNotify:
      B.Mapped = true;
      if (B.FocusAsked) {
        // Back from being minimised or shaded: Return must answer it at once, as before.
        ActivateBoxWindow(B.Frame, ACTIVATE_AS_USER);
      } else {
        B.FocusAsked = true;
        ActivateBoxWindow(B.Frame, ACTIVATE_AS_PROGRAM);
        SetBoxWindowIcon(B.Frame);
        B.FrameCentred = CentreBoxFrame(B.Frame);
        B.WmState = X11Atom("_NET_WM_STATE");
        B.FrameExtents = X11Atom("_NET_FRAME_EXTENTS");
      }
      break;
    case FocusIn:
      if (Event.xfocus.detail != NotifyPointer) B.Focused = B.Active = true;
      break;
    case FocusOut:
      // A grab (the window manager's Alt+Tab, say) only borrows the keyboard.
      if (Event.xfocus.detail != NotifyPointer && Event.xfocus.detail != NotifyInferior &&
          Event.xfocus.mode != NotifyGrab)
        B.Active = false;
      break;
    case KeymapNotify:
      StartListening(B, Event.xkeymap);
      break;
    case KeyPress:
      OnKey(B, Event.xkey);
      break;
    case KeyRelease:
      if (B.Listening) ReleaseHeldKey(B, Event.xkey.keycode);
      break;
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
      OnPointer(B, Event);
      break;
    case PropertyNotify:
      // A request to move a window the window manager has not taken on yet is read as the client
      // area's place, so the frame is centred only once the box is up.
      if (B.FocusAsked && !B.FrameCentred && Event.xproperty.atom == B.FrameExtents) B.Rechecks |= RECHECK_FRAME;
      if (B.FocusAsked && Event.xproperty.atom == B.WmState) B.Rechecks |= RECHECK_MINIMISED;
      if (B.Probing && Event.xproperty.atom == ANSWER_PROBE) B.Rechecks |= RECHECK_NOTES;
      break;
    case UnmapNotify:
      B.Mapped = false;
      B.Rechecks |= RECHECK_MINIMISED;
      break;
    case ClientMessage:
      if (Event.xclient.message_type == B.Protocols &&
          static_cast<Atom>(Event.xclient.data.l[0]) == B.DeleteWindow)
        Finish(B, B.Model.CloseAnswer);
      break;
    default:
      OnX11ClipboardEvent(&B.Clip, Event);
      break;
  }
}

bool RechecksAsked(const XBox& B) { return B.Rechecks != 0 || B.Clip.Unconfirmed; }

// What the events asked the server (the frame, the minimised state, the clipboard's owner), asked
// once for all of them, and only once they have stopped coming for QUIET_MS: waiting for a reply
// reads in whatever the server holds for the box before it, which under a flood is all of it.
void RecheckWithServer(XBox& B) {
  if (!RechecksAsked(B) || NowMs() - B.LastEventMs < QUIET_MS || !X11ConnectionIdle()) return;
  if ((B.Rechecks & RECHECK_FRAME) && !B.FrameCentred) B.FrameCentred = CentreBoxFrame(B.Frame);
  if (B.Rechecks & RECHECK_MINIMISED) ComeBackIfMinimised(B);
  if (B.Clip.Unconfirmed) ConfirmX11Clipboard(&B.Clip);
  if (B.Rechecks & RECHECK_NOTES) {
    B.Probing = false;
    XSync(B.Dpy, False);
  }
  B.Rechecks = 0;
}

// What a screen reader asked: a button clicked answers as a click does, the focus moves.
bool ServeAccessible(XBox& B, short Ready) {
  bool More = ServeX11Accessible(&B.Access, Ready);
  if (B.Access.FocusWanted >= 0) {
    B.Model.Focus = B.Access.FocusWanted;
    B.Access.FocusWanted = -1;
    B.NeedsPaint = true;
  }
  if (B.Access.Clicked >= 0) Finish(B, B.Model.Buttons[B.Access.Clicked].Id);
  return More;
}

// Each pass handles a batch of the events that have come, then looks at the signals and the
// deadline: what another client sends can delay neither, and nothing here waits for the server
// on an event's behalf.
void Loop(XBox& B) {
  bool AccessQueued = false;
  while (!B.Done) {
    XEvent Event;
    int Handled = 0;
    for (; !B.Done && Handled < X11_EVENT_BATCH && NextX11Event(&Event); ++Handled) OnEvent(B, Event);
    if (B.Done) break;
    if (Handled > 0) B.LastEventMs = NowMs();
    bool MoreQueued = X11EventQueued();
    if (!MoreQueued) RecheckWithServer(B);
    if (!B.Probing && X11NotesPileUp()) {
      B.Probing = true;
      XChangeProperty(B.Dpy, B.Win, ANSWER_PROBE, XA_INTEGER, 32, PropModeAppend, nullptr, 0);
    }
    if (B.NeedsPaint) {
      B.NeedsPaint = false;
      Paint(B);
    }
    TellX11Accessible(&B.Access, B.Active, B.Model.Focus);
    XFlush(B.Dpy);
    pollfd Fds[3] = {{ConnectionNumber(B.Dpy), POLLIN, 0}, {StopSignalFd(B.Signals), POLLIN, 0},
                     X11AccessiblePoll(B.Access)};
    int Wait = MoreQueued || AccessQueued ? 0 : TimeLimitWait(B.Limit, RechecksAsked(B) ? QUIET_MS : -1);
    int Ready = poll(Fds, 3, Wait);
    if (Ready < 0 && errno != EINTR) break;
    if (Fds[2].revents || AccessQueued) AccessQueued = ServeAccessible(B, Fds[2].revents);
    if (Ready > 0 && Fds[1].revents && (B.Signal = CaughtStopSignal(&B.Signals)) != 0) {
      B.Done = true;
    } else if (TimeLimitOver(B.Limit)) {
      Finish(B, B.Limit.DefaultId);
    } else if (TickTimeLimit(&B.Limit)) {
      Paint(B);
    }
    // A connection that broke shows up here as readable; XPending then meets its end.
  }
}

// Fonts at the display's DPI, the text shaped where it needs it, and where everything goes; false
// where no font can be opened.
bool LayOut(XBox& B) {
  Display* Dpy = B.Dpy;
  DesktopLook Look;
  ReadDesktopLook(Dpy, B.Screen, &Look);
  B.Colours = BoxColoursFor(Look.Dark);
  double Dpi = Look.Dpi;
  B.Scale = Dpi / 96.0;
  B.Icon = B.Request->Icon;
  WindowContent Content;
  memset(&Content, 0, sizeof Content);
  Content.HasIcon = B.Icon != ICON_NONE;
  double IconPixels = static_cast<int>(32 * B.Scale + 0.5);
  double Points = Look.FontPoints > 0 ? Look.FontPoints : TEXT_POINTS;
  if (!OpenBoxFonts(Dpy, B.Screen, Look, Points * Dpi / 72.0, Content.HasIcon ? IconPixels * MARK_SHARE : 0, &B.Fonts))
    return false;
  B.FontsOpen = true;
  Content.Text = B.Text;
  Content.TextLength = B.TextLength;
  // The default button's label then carries the most digits it will, so the buttons fit it.
  StartTimeLimit(&B.Limit, &B.Model);
  Content.ButtonCount = B.Model.ButtonCount;
  for (int I = 0; I < B.Model.ButtonCount; ++I)
    Content.LabelPixels[I] = LabelPixels(&B.Fonts, Label(B.Model.Buttons[I]), strlen(B.Model.Buttons[I].Label));
  Content.CaptionPixels = TextPixels(&B.Fonts, B.Caption, B.CaptionLength);
  Content.RightToLeft = B.Request->RightToLeft;
  Content.AlignRight = B.Request->AlignRight;
  WindowMetrics Metrics;
  Metrics.Scale = B.Scale;
  Metrics.Ascent = B.Fonts.Regular->ascent;
  Metrics.LineHeight = B.Fonts.Regular->ascent + B.Fonts.Regular->descent;
  B.Frame.Area = BoxArea(Dpy, B.Screen, B.Owner);
  Metrics.ScreenWidth = static_cast<int>(B.Frame.Area.Width);
  Metrics.ScreenHeight = static_cast<int>(B.Frame.Area.Height);
  // Only text that needs them loads HarfBuzz and FriBidi; without them it is drawn as before.
  if (TextNeedsShaping(B.Text, B.TextLength) && LoadShapingLibraries() &&
      ShapeText(&B.Fonts, B.Text, B.TextLength, Content.RightToLeft, &B.Shaped)) {
    B.IsShaped = true;
    B.Measured = &B.Shaped.Measured;
  } else if (MeasureText(&B.Fonts, B.Text, B.TextLength, &B.Plain)) {
    B.Measured = &B.Plain;
  } else {
    return false;
  }
  LayOutWindow(Content, MeasuredAdvance, B.Measured, Metrics, &B.Layout);
  return true;
}

// The window, described to the window manager, with the box drawn on its background.
void CreateBoxWindow(XBox& B) {
  Display* Dpy = B.Dpy;
  B.Frame.Dpy = Dpy;
  B.Frame.Screen = B.Screen;
  B.Frame.Owner = B.Owner;
  B.Frame.Style = B.Request->Style;
  B.Frame.Closable = B.Model.CloseAnswer != 0;
  B.Frame.Caption = B.Caption;
  B.Frame.CaptionLength = B.CaptionLength;
  B.Frame.Width = B.Layout.Width;
  B.Frame.Height = B.Layout.Height;
  B.Frame.Icon = B.Icon;
  B.Frame.IconSize = B.Layout.IconSize;
  B.Frame.Fonts = &B.Fonts;
  int X, Y;
  PlaceBoxWindow(B.Frame, {0, 0, 0, 0}, &X, &Y);
  XSetWindowAttributes Attributes;
  Attributes.background_pixel = WhitePixel(Dpy, B.Screen);
  // No exposures: the window's background pixmap holds the drawing, and the server repaints it.
  Attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask |
                          FocusChangeMask | KeymapStateMask | Button1MotionMask | PropertyChangeMask;
  Window Root = RootWindow(Dpy, B.Screen);
  B.Win = XCreateWindow(Dpy, Root, X, Y, static_cast<unsigned>(B.Layout.Width), static_cast<unsigned>(B.Layout.Height),
                        0, CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &Attributes);
  B.Frame.Win = B.Win;
  B.Protocols = X11Atom("WM_PROTOCOLS");
  B.DeleteWindow = X11Atom("WM_DELETE_WINDOW");
  DescribeBoxWindow(B.Frame, X, Y, B.DeleteWindow);

  B.Back = XCreatePixmap(Dpy, B.Win, static_cast<unsigned>(B.Layout.Width), static_cast<unsigned>(B.Layout.Height),
                         static_cast<unsigned>(DefaultDepth(Dpy, B.Screen)));
  B.Draw = XftDrawCreate(Dpy, B.Back, DefaultVisual(Dpy, B.Screen), DefaultColormap(Dpy, B.Screen));
  XRenderColor Text = RenderColour(B.Colours->Text);
  XftColorAllocValue(Dpy, DefaultVisual(Dpy, B.Screen), DefaultColormap(Dpy, B.Screen), &Text, &B.Ink);
  XSetWindowBackgroundPixmap(Dpy, B.Win, B.Back);
  Paint(B);
}

void DestroyBoxWindow(XBox& B) {
  Display* Dpy = B.Dpy;
  XftColorFree(Dpy, DefaultVisual(Dpy, B.Screen), DefaultColormap(Dpy, B.Screen), &B.Ink);
  XftDrawDestroy(B.Draw);
  XFreePixmap(Dpy, B.Back);
  XDestroyWindow(Dpy, B.Win);
  if (B.IsShaped) FreeShapedText(&B.Shaped);
  FreeMeasuredText(&B.Plain);
  CloseBoxFonts(&B.Fonts);
  B.FontsOpen = false;
  // Sent, not waited for: the server takes the window away when the program's connection ends,
  // and a server that has stopped answering must not hold the answer back.
  XFlush(Dpy);
}

void Run(void* Context) {
  XBox& B = *static_cast<XBox*>(Context);
  int EventBase, ErrorBase;
  B.Screen = DefaultScreen(B.Dpy);
  if (!XRenderQueryExtension(B.Dpy, &EventBase, &ErrorBase) || !LayOut(B)) {
    B.Unavailable = true;
    return;
  }
  if (B.Limit.Active) CutServerAt(&B.Watch, B.Limit.DeadlineMs + SERVER_GRACE_MS);
  CreateBoxWindow(B);
  XMapRaised(B.Dpy, B.Win);
  B.Clip.Dpy = B.Dpy;
  B.Clip.Owner = B.Win;
  B.Clip.Text = B.Copy;
  B.Clip.Length = B.CopyLength;
  StartX11Accessible(&B.Access, {B.Dpy, B.Win, B.Caption, B.Text, B.TextLength, B.Icon, B.Owner != 0,
                                 B.Request->Model.Buttons, B.Model.ButtonCount, B.Request->Model.Focus, &B.Layout,
                                 B.Fonts.Regular->ascent + B.Fonts.Regular->descent});
  Loop(B);
  CutServerAt(&B.Watch, NowMs() + SERVER_GRACE_MS + (B.Signal != 0 ? 0 : ACCESS_FLUSH_MS + X11_HAND_OVER_MS));
  // The answer to a click action is on its way out; a signal leaves no time for it.
  StopX11Accessible(&B.Access, B.Signal != 0 ? 0 : ACCESS_FLUSH_MS);
  // Only an answer hands the copy on: with the display gone or a signal pending there is no time.
  if (B.Answer != 0 && B.Signal == 0) HandOverX11Clipboard(&B.Clip, StopSignalFd(B.Signals));
  DestroyBoxWindow(B);
}

}  // namespace

BoxOutcome ShowX11Box(const BoxRequest& Request, Window Owner) {
  const BoxOutcome NotHere = {BOX_NOT_HERE, 0, 0};
  Display* Dpy = X11Display();
  if (Dpy == nullptr) return NotHere;
  XBox B;
  memset(&B, 0, sizeof B);
  B.Request = &Request;
  B.Model = Request.Model;
  B.Owner = Owner;
  B.Dpy = Dpy;
  B.Pressed = -1;
  B.Text = CleanText(Request.Text, Request.TextLength, TEXT_PARAGRAPHS, &B.TextLength);
  B.Caption = CleanText(Request.Caption, Request.CaptionLength, TEXT_ONE_LINE, &B.CaptionLength);
  // The box is left through its loop, so the console comes back before a signal takes the program.
  if (B.Text == nullptr || B.Caption == nullptr || !CatchStopSignals(&B.Signals)) {
    free(B.Text);
    free(B.Caption);
    return NotHere;
  }
  B.Copy = BoxCopyText(B.Caption, B.CaptionLength, B.Text, B.TextLength, Request.Model, &B.CopyLength);
  StartServerWatch(&B.Watch, ConnectionNumber(Dpy), StopSignalFd(B.Signals));
  bool Kept = X11Guarded(Run, &B);
  StopServerWatch(&B.Watch);
  // The connection lost without an answer: where the watch cut it, a stop signal or the time limit
  // did, and that decides the outcome as it would have had the server answered. A display that
  // simply went away gives neither, and no answer.
  if (!Kept && B.Answer == 0 && B.Signal == 0) {
    B.Signal = CaughtStopSignal(&B.Signals);
    if (B.Signal == 0 && TimeLimitOver(B.Limit)) B.Answer = B.Limit.DefaultId;
  }
  ReleaseStopSignals(&B.Signals);
  free(B.Text);
  free(B.Caption);
  free(B.Copy);
  if (Kept && B.Unavailable) {
    if (B.FontsOpen) CloseBoxFonts(&B.Fonts);
    return NotHere;
  }
  if (B.Signal != 0) return {BOX_SIGNALLED, 0, B.Signal};
  // An answer given stands, whatever became of the display after it; without one, a display
  // that went away means the box could not be shown (B.Answer is 0).
  return {BOX_ANSWERED, B.Answer, 0};
}

}  // namespace platform
