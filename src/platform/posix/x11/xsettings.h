// How the desktop asks its windows to look: the X resources and an XSETTINGS manager's settings.
#ifndef ASKBOX_PLATFORM_POSIX_X11_XSETTINGS_H
#define ASKBOX_PLATFORM_POSIX_X11_XSETTINGS_H

#include <X11/Xlib.h>
#include <fontconfig/fontconfig.h>
#include <stddef.h>

namespace platform {

// A setting the desktop did not make.
const int LOOK_UNSET = -1;
const size_t FONT_FAMILY_ROOM = 64;

// How text is rendered, in fontconfig's own values (FcBool, FC_HINT_*, FC_RGBA_*, FC_LCD_*), each
// LOOK_UNSET where the desktop leaves it to fontconfig.
struct FontRendering {
  int Antialias;
  int Hinting;
  int HintStyle;
  int Rgba;
  int LcdFilter;
};

struct DesktopLook {
  FontRendering Rendering;
  double Dpi;  // 0 where unset
  double FontPoints;  // 0 where unset
  char FontFamily[FONT_FAMILY_ROOM];  // empty where unset
  bool Dark;  // the desktop's theme is a dark one, or it prefers dark
};

// The settings an X resource ("Xft.<name>") or an XSETTINGS name ("Xft/<Name>") can make.
enum LookSetting { LOOK_ANTIALIAS, LOOK_HINTING, LOOK_HINT_STYLE, LOOK_RGBA, LOOK_LCD_FILTER };

// Everything unset.
void ClearDesktopLook(DesktopLook* Look);

// An X resource's value for one of the rendering settings, read as Xft reads it: a boolean from its
// first letters ("true", "yes", "on", "1"...), the others as a number or a name ("rgb",
// "hintslight", "lcddefault"). A value that means nothing leaves the setting as it was.
void TakeXResource(LookSetting Setting, const char* Value, DesktopLook* Look);

// Whether a theme name names a dark variant: "Adwaita-dark", "Arc-Dark", "Adwaita:dark".
bool ThemeIsDark(const unsigned char* Name, size_t Length);

// A Pango font description ("Cantarell 11", "DejaVu Sans Bold 10", "Noto Sans, Sans 9.5"): the first
// family and the size in points; false where it names neither a family nor a size askbox can use.
bool ParseFontName(const unsigned char* Name, size_t Length, char* Family, size_t Room, double* Points);

// An XSETTINGS manager's _XSETTINGS_SETTINGS property as its bytes: what it says overrides Look,
// setting by setting, and a setting it leaves at -1 or does not list stays as it was. Another
// client wrote it, so every length is checked before a byte is read; reading stops at the first
// setting that does not fit. False where the bytes are no settings at all.
bool TakeXSettings(const unsigned char* Bytes, size_t Length, DesktopLook* Look);

// The look of this display's desktop: the X resources, then what an XSETTINGS manager of the screen
// says over them, as GTK takes them. Where none runs this costs one round trip to the server.
void ReadDesktopLook(Display* Dpy, int Screen, DesktopLook* Look);

}  // namespace platform

#endif
