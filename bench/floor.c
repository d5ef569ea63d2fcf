/* The floor of any time to map: a bare Xlib program that opens the display, creates a 300x100
 * window, maps it and ends once it is mapped. Nothing a real program draws or asks is in it. */
#include <X11/Xlib.h>

int main(void) {
  Display* Dpy = XOpenDisplay(0);
  if (!Dpy) return 1;
  Window Win = XCreateSimpleWindow(Dpy, DefaultRootWindow(Dpy), 0, 0, 300, 100, 0, 0, WhitePixel(Dpy, DefaultScreen(Dpy)));
  XSelectInput(Dpy, Win, StructureNotifyMask);
  XMapWindow(Dpy, Win);
  for (;;) {
    XEvent Event;
    XNextEvent(Dpy, &Event);
    if (Event.type == MapNotify) return 0;
  }
}
