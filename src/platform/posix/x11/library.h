// Every X, Xrender, fontconfig, Xft, XCB, XCB RandR, HarfBuzz and FriBidi call the window makes, and loading their libraries.
#ifndef ASKBOX_PLATFORM_POSIX_X11_LIBRARY_H
#define ASKBOX_PLATFORM_POSIX_X11_LIBRARY_H

// The headers that declare the calls, whose types the stand-ins below take.
#include <X11/XKBlib.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>
#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <fontconfig/fontconfig.h>
#include <fribidi/fribidi.h>
#include <harfbuzz/hb-ft.h>
#include <harfbuzz/hb.h>

// Declared in Xlibint.h, whose min and max macros must not come along with it.
extern "C" Bool (*XESetWireToEvent(Display* Dpy, int EventNumber,
                                   Bool (*Convert)(Display*, XEvent*, xEvent*)))(Display*, XEvent*, xEvent*);

// CALL(Library, Name) for each call, Library one of X11Library. XDestroyImage is left out: Xutil.h
// makes it a macro that calls through the image itself. XCB's, XCB RandR's, then HarfBuzz's and
// FriBidi's calls come last, in the optional groups.
#define ASKBOX_X11_CALLS(CALL)                     \
  CALL(LIBRARY_X11, XChangeProperty)               \
  CALL(LIBRARY_X11, XClearWindow)                  \
  CALL(LIBRARY_X11, XCloseDisplay)                 \
  CALL(LIBRARY_X11, XConvertSelection)             \
  CALL(LIBRARY_X11, XCreateGC)                     \
  CALL(LIBRARY_X11, XCreateImage)                  \
  CALL(LIBRARY_X11, XCreatePixmap)                 \
  CALL(LIBRARY_X11, XCreateWindow)                 \
  CALL(LIBRARY_X11, XDestroyWindow)                \
  CALL(LIBRARY_X11, XESetWireToEvent)              \
  CALL(LIBRARY_X11, XEventsQueued)                 \
  CALL(LIBRARY_X11, XFlush)                        \
  CALL(LIBRARY_X11, XFree)                         \
  CALL(LIBRARY_X11, XFreeGC)                       \
  CALL(LIBRARY_X11, XFreePixmap)                   \
  CALL(LIBRARY_X11, XGetDefault)                   \
  CALL(LIBRARY_X11, XGetImage)                     \
  CALL(LIBRARY_X11, XGetSelectionOwner)            \
  CALL(LIBRARY_X11, XGetWindowAttributes)          \
  CALL(LIBRARY_X11, XGetWindowProperty)            \
  CALL(LIBRARY_X11, XIconifyWindow)                \
  CALL(LIBRARY_X11, XInternAtom)                   \
  CALL(LIBRARY_X11, XInternAtoms)                  \
  CALL(LIBRARY_X11, XLookupString)                 \
  CALL(LIBRARY_X11, XMapRaised)                    \
  CALL(LIBRARY_X11, XMapWindow)                    \
  CALL(LIBRARY_X11, XMoveWindow)                   \
  CALL(LIBRARY_X11, XNextEvent)                    \
  CALL(LIBRARY_X11, XOpenDisplay)                  \
  CALL(LIBRARY_X11, XPending)                      \
  CALL(LIBRARY_X11, XPutImage)                     \
  CALL(LIBRARY_X11, XQueryPointer)                 \
  CALL(LIBRARY_X11, XQueryTree)                    \
  CALL(LIBRARY_X11, XSendEvent)                    \
  CALL(LIBRARY_X11, XSetErrorHandler)              \
  CALL(LIBRARY_X11, XSetIOErrorExitHandler)        \
  CALL(LIBRARY_X11, XSetIOErrorHandler)            \
  CALL(LIBRARY_X11, XSetInputFocus)                \
  CALL(LIBRARY_X11, XSetSelectionOwner)            \
  CALL(LIBRARY_X11, XSetTransientForHint)          \
  CALL(LIBRARY_X11, XSetWMProperties)              \
  CALL(LIBRARY_X11, XSetWMProtocols)               \
  CALL(LIBRARY_X11, XSetWindowBackgroundPixmap)    \
  CALL(LIBRARY_X11, XSync)                         \
  CALL(LIBRARY_X11, XTranslateCoordinates)         \
  CALL(LIBRARY_X11, XkbSetDetectableAutoRepeat)    \
  CALL(LIBRARY_XRENDER, XRenderComposite)          \
  CALL(LIBRARY_XRENDER, XRenderCreatePicture)      \
  CALL(LIBRARY_XRENDER, XRenderCreateSolidFill)    \
  CALL(LIBRARY_XRENDER, XRenderFillRectangle)      \
  CALL(LIBRARY_XRENDER, XRenderFindStandardFormat) \
  CALL(LIBRARY_XRENDER, XRenderFreePicture)        \
  CALL(LIBRARY_XRENDER, XRenderQueryExtension)     \
  CALL(LIBRARY_FONTCONFIG, FcCharSetAddChar)       \
  CALL(LIBRARY_FONTCONFIG, FcCharSetCreate)        \
  CALL(LIBRARY_FONTCONFIG, FcCharSetDestroy)       \
  CALL(LIBRARY_FONTCONFIG, FcPatternAddBool)       \
  CALL(LIBRARY_FONTCONFIG, FcPatternAddCharSet)    \
  CALL(LIBRARY_FONTCONFIG, FcPatternAddDouble)     \
  CALL(LIBRARY_FONTCONFIG, FcPatternAddInteger)    \
  CALL(LIBRARY_FONTCONFIG, FcPatternAddString)     \
  CALL(LIBRARY_FONTCONFIG, FcPatternCreate)        \
  CALL(LIBRARY_FONTCONFIG, FcPatternDel)           \
  CALL(LIBRARY_FONTCONFIG, FcPatternDestroy)       \
  CALL(LIBRARY_FONTCONFIG, FcPatternGetBool)       \
  CALL(LIBRARY_XFT, XftCharExists)                 \
  CALL(LIBRARY_XFT, XftCharIndex)                  \
  CALL(LIBRARY_XFT, XftColorAllocValue)            \
  CALL(LIBRARY_XFT, XftDrawGlyphFontSpec)          \
  CALL(LIBRARY_XFT, XftColorFree)                  \
  CALL(LIBRARY_XFT, XftDrawCreate)                 \
  CALL(LIBRARY_XFT, XftDrawDestroy)                \
  CALL(LIBRARY_XFT, XftDrawPicture)                \
  CALL(LIBRARY_XFT, XftDrawStringUtf8)             \
  CALL(LIBRARY_XFT, XftFontClose)                  \
  CALL(LIBRARY_XFT, XftFontMatch)                  \
  CALL(LIBRARY_XFT, XftFontOpenPattern)            \
  CALL(LIBRARY_XFT, XftGlyphExtents)               \
  CALL(LIBRARY_XFT, XftLockFace)                   \
  CALL(LIBRARY_XFT, XftTextExtents32)              \
  CALL(LIBRARY_XFT, XftTextExtentsUtf8)            \
  CALL(LIBRARY_XFT, XftUnlockFace)                 \
  CALL(LIBRARY_XCB, xcb_connection_has_error)      \
  CALL(LIBRARY_XCB, xcb_get_property)              \
  CALL(LIBRARY_XCB, xcb_get_property_reply)        \
  CALL(LIBRARY_XCB, xcb_get_property_value)        \
  CALL(LIBRARY_XCB, xcb_get_property_value_length) \
  CALL(LIBRARY_XCB, xcb_intern_atom)               \
  CALL(LIBRARY_XCB, xcb_intern_atom_reply)         \
  CALL(LIBRARY_XCB, xcb_no_operation)              \
  CALL(LIBRARY_XCB, xcb_poll_for_event)            \
  CALL(LIBRARY_XCB, xcb_poll_for_queued_event)     \
  CALL(LIBRARY_XCB, xcb_query_extension)           \
  CALL(LIBRARY_XCB, xcb_query_extension_reply)     \
  CALL(LIBRARY_XCB, xcb_query_pointer)             \
  CALL(LIBRARY_XCB, xcb_query_pointer_reply)       \
  CALL(LIBRARY_X11_XCB, XGetXCBConnection)         \
  CALL(LIBRARY_X11_XCB, XSetEventQueueOwner)       \
  CALL(LIBRARY_XCB_RANDR, xcb_randr_get_monitors)  \
  CALL(LIBRARY_XCB_RANDR, xcb_randr_get_monitors_monitors_iterator) \
  CALL(LIBRARY_XCB_RANDR, xcb_randr_get_monitors_reply) \
  CALL(LIBRARY_XCB_RANDR, xcb_randr_monitor_info_next) \
  CALL(LIBRARY_HARFBUZZ, hb_buffer_add_utf8)       \
  CALL(LIBRARY_HARFBUZZ, hb_buffer_create)         \
  CALL(LIBRARY_HARFBUZZ, hb_buffer_destroy)        \
  CALL(LIBRARY_HARFBUZZ, hb_buffer_get_glyph_infos) \
  CALL(LIBRARY_HARFBUZZ, hb_buffer_get_glyph_positions) \
  CALL(LIBRARY_HARFBUZZ, hb_buffer_guess_segment_properties) \
  CALL(LIBRARY_HARFBUZZ, hb_buffer_set_direction)  \
  CALL(LIBRARY_HARFBUZZ, hb_font_destroy)          \
  CALL(LIBRARY_HARFBUZZ, hb_ft_font_create_referenced) \
  CALL(LIBRARY_HARFBUZZ, hb_shape)                 \
  CALL(LIBRARY_FRIBIDI, fribidi_get_bidi_types)    \
  CALL(LIBRARY_FRIBIDI, fribidi_get_bracket_types) \
  CALL(LIBRARY_FRIBIDI, fribidi_get_par_embedding_levels_ex)

namespace platform {

// In the order they are loaded: each after the ones it needs. The window cannot do without the
// first X11_LIBRARY_COUNT; the optional ones after them read events a buffer at a time, list the
// monitors, and shape text that needs it.
enum X11Library {
  LIBRARY_X11,
  LIBRARY_XRENDER,
  LIBRARY_FONTCONFIG,
  LIBRARY_XFT,
  X11_LIBRARY_COUNT,
  LIBRARY_XCB = X11_LIBRARY_COUNT,
  LIBRARY_X11_XCB,
  LIBRARY_XCB_RANDR,
  LIBRARY_HARFBUZZ,
  LIBRARY_FRIBIDI,
  ALL_LIBRARY_COUNT
};

// True where the window can be drawn at all: every library is there and has every call of the
// table. The first call loads them; a library or a call that is missing leaves nothing loaded,
// and means no window on this machine, for good. Only connecting to a display named by DISPLAY
// asks, so the usage text, a bad argument, a failure report and the terminal box without a display
// never pay for them.
bool LoadX11Libraries();
// True where HarfBuzz and FriBidi are there too, with every call of theirs in the table, after
// LoadX11Libraries() succeeded. The first call loads them; either missing leaves both unloaded,
// and text is then drawn character by character, as without them.
bool LoadShapingLibraries();
// True where libxcb and libX11-xcb are there too, with every call of theirs in the table, after
// LoadX11Libraries() succeeded; either missing leaves both unloaded, and events are then read
// through Xlib's own queue.
bool LoadEventLibraries();
// True where libxcb-randr is there too, with every call of its in the table, after
// LoadEventLibraries() succeeded; missing, the screen counts as one monitor.
bool LoadXcbRandrLibrary();

#ifndef ASKBOX_LINK_X11
// Each call's stand-in has the call's own name and type. The X front end lives in this namespace,
// so its calls find these before the libraries' declarations and keep their names, and a call
// missing from the table fails the link instead of reaching a library that is not loaded.
#define ASKBOX_X11_DECLARE(Library, Name) extern decltype(&::Name) Name;
ASKBOX_X11_CALLS(ASKBOX_X11_DECLARE)
#undef ASKBOX_X11_DECLARE
#endif

}  // namespace platform

#endif
