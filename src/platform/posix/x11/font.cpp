// Opening the window's fonts cheaply, and measuring and drawing text glyph by glyph with fallbacks.
#include "platform/posix/x11/font.h"

#include "platform/posix/x11/library.h"

#include <iterator>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

const double DEFAULT_DPI = 96.0;

// Where distributions put DejaVu Sans, the sans-serif of a stock Debian, Ubuntu and Fedora desktop.
const char* const REGULAR_FILES[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                     "/usr/share/fonts/dejavu-sans-fonts/DejaVuSans.ttf",
                                     "/usr/share/fonts/TTF/DejaVuSans.ttf"};
const char* const BOLD_FILES[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                                  "/usr/share/fonts/dejavu-sans-fonts/DejaVuSans-Bold.ttf",
                                  "/usr/share/fonts/TTF/DejaVuSans-Bold.ttf"};

bool Exists(const char* Path) {
  struct stat Info;
  return stat(Path, &Info) == 0;
}

// Whether Directory followed by Rest names a file; a path too long to build counts as one, so
// that a doubt never passes for the stock configuration.
bool ExistsUnder(const char* Directory, const char* Rest) {
  char Path[1024];
  size_t Length = strlen(Directory);
  size_t RestLength = strlen(Rest);
  if (Length + RestLength + 1 > sizeof Path) return true;
  memcpy(Path, Directory, Length);
  memcpy(Path + Length, Rest, RestLength + 1);
  return Exists(Path);
}

// Reading fontconfig's configuration is most of what a whole box costs, so a known font file is
// opened directly. That is only right while nobody chose another sans-serif: a setting of the
// user's own, or the variables that point fontconfig elsewhere, send every lookup through it.
bool FontChoiceIsStock() {
  if (getenv("FONTCONFIG_FILE") || getenv("FONTCONFIG_PATH")) return false;
  const char* Home = getenv("HOME");
  const char* Config = getenv("XDG_CONFIG_HOME");
  if (Config && *Config && ExistsUnder(Config, "/fontconfig")) return false;
  if (Home && *Home &&
      (ExistsUnder(Home, "/.config/fontconfig") || ExistsUnder(Home, "/.fonts.conf")))
    return false;
  return !Exists("/etc/fonts/local.conf");
}

// The desktop's rendering settings, set on the pattern a font is opened with, so that no rule of
// fontconfig's has the last word: Debian's turns antialiasing on whatever Xft.antialias says. A
// colour font's glyphs are pictures, not outlines: drawn without antialiasing they would lose their
// colours, as they do in no GTK program.
void ApplyRendering(FcPattern* Pattern, const FontRendering& Rendering) {
  FcBool Colour = FcFalse;
  if (FcPatternGetBool(Pattern, FC_COLOR, 0, &Colour) != FcResultMatch) Colour = FcFalse;
  const struct {
    const char* Name;
    int Value;
    bool Boolean;
  } SETTINGS[] = {{FC_ANTIALIAS, Rendering.Antialias, true},
                  {FC_HINTING, Rendering.Hinting, true},
                  {FC_HINT_STYLE, Rendering.HintStyle, false},
                  {FC_RGBA, Rendering.Rgba, false},
                  {FC_LCD_FILTER, Rendering.LcdFilter, false}};
  for (const auto& Setting : SETTINGS) {
    if (Setting.Value == LOOK_UNSET || (Colour && strcmp(Setting.Name, FC_ANTIALIAS) == 0)) continue;
    FcPatternDel(Pattern, Setting.Name);
    if (Setting.Boolean) {
      FcPatternAddBool(Pattern, Setting.Name, Setting.Value ? FcTrue : FcFalse);
    } else {
      FcPatternAddInteger(Pattern, Setting.Name, Setting.Value);
    }
  }
}

// A font file opened as it is, without fontconfig's rules: antialiased with slight hinting, as
// fontconfig's stock rules would have it, where the desktop says nothing else.
XftFont* OpenFile(const BoxFonts* Fonts, const char* Path, double PixelSize) {
  FcPattern* Pattern = FcPatternCreate();
  if (Pattern == nullptr) return nullptr;
  FcPatternAddString(Pattern, FC_FILE, reinterpret_cast<const FcChar8*>(Path));
  FcPatternAddInteger(Pattern, FC_INDEX, 0);
  FcPatternAddDouble(Pattern, FC_PIXEL_SIZE, PixelSize);
  FcPatternAddBool(Pattern, FC_ANTIALIAS, FcTrue);
  FcPatternAddBool(Pattern, FC_HINTING, FcTrue);
  FcPatternAddInteger(Pattern, FC_HINT_STYLE, FC_HINT_SLIGHT);
  ApplyRendering(Pattern, Fonts->Rendering);
  XftFont* Font = XftFontOpenPattern(Fonts->Dpy, Pattern);
  if (Font == nullptr) FcPatternDestroy(Pattern);
  return Font;
}

XftFont* OpenKnown(const BoxFonts* Fonts, const char* const* Files, size_t Count, double PixelSize) {
  for (size_t I = 0; I < Count; ++I)
    if (Exists(Files[I])) {
      XftFont* Font = OpenFile(Fonts, Files[I], PixelSize);
      if (Font) return Font;
    }
  return nullptr;
}

// fontconfig's own matching of a family (null for any), a weight (negative for any) and a
// character (0 for none), with the desktop's rendering settings over what it matched.
XftFont* OpenMatched(const BoxFonts* Fonts, const char* Family, int Weight, double PixelSize, uint32_t Code) {
  FcPattern* Pattern = FcPatternCreate();
  if (Pattern == nullptr) return nullptr;
  if (Family) FcPatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family));
  if (Weight >= 0) FcPatternAddInteger(Pattern, FC_WEIGHT, Weight);
  FcPatternAddDouble(Pattern, FC_PIXEL_SIZE, PixelSize);
  FcCharSet* Wanted = Code ? FcCharSetCreate() : nullptr;
  if (Wanted) {
    FcCharSetAddChar(Wanted, Code);
    FcPatternAddCharSet(Pattern, FC_CHARSET, Wanted);
    FcCharSetDestroy(Wanted);
  }
  FcResult Result;
  FcPattern* Match = XftFontMatch(Fonts->Dpy, Fonts->Screen, Pattern, &Result);
  FcPatternDestroy(Pattern);
  if (Match == nullptr) return nullptr;
  ApplyRendering(Match, Fonts->Rendering);
  XftFont* Font = XftFontOpenPattern(Fonts->Dpy, Match);
  if (Font == nullptr) FcPatternDestroy(Match);
  return Font;
}

// The desktop's family where it names one, else whatever the desktop set up as sans-serif, and any
// font at all after that, so that a box always has text.
XftFont* OpenTextFont(const BoxFonts* Fonts, const char* Family, int Weight, double PixelSize) {
  XftFont* Font = Family ? OpenMatched(Fonts, Family, Weight, PixelSize, 0) : nullptr;
  if (Font == nullptr) Font = OpenMatched(Fonts, "sans-serif", Weight, PixelSize, 0);
  if (Font == nullptr) Font = OpenMatched(Fonts, nullptr, -1, PixelSize, 0);
  return Font;
}

XftFont* OpenFallback(BoxFonts* Fonts, uint32_t Code) {
  if (Fonts->FallbackCount == MAX_FALLBACK_FONTS) return nullptr;
  XftFont* Font = OpenMatched(Fonts, "sans-serif", -1, Fonts->PixelSize, Code);
  if (Font == nullptr) return nullptr;
  if (!XftCharExists(Fonts->Dpy, Font, Code)) {
    XftFontClose(Fonts->Dpy, Font);
    return nullptr;
  }
  Fonts->Fallbacks[Fonts->FallbackCount++] = Font;
  return Font;
}

// Whether a family the desktop names is the one opened from its file anyway.
bool IsStockFamily(const char* Family) {
  return strcasecmp(Family, "DejaVu Sans") == 0 || strcasecmp(Family, "Sans") == 0 ||
         strcasecmp(Family, "sans-serif") == 0;
}

size_t MissingSlot(const BoxFonts* Fonts, uint32_t Code) {
  size_t Mask = Fonts->MissingRoom - 1;
  size_t Slot = (Code * 2654435761u) & Mask;
  while (Fonts->Missing[Slot] != 0 && Fonts->Missing[Slot] != Code + 1) Slot = (Slot + 1) & Mask;
  return Slot;
}

bool KnownMissing(const BoxFonts* Fonts, uint32_t Code) {
  return Fonts->MissingRoom > 0 && Fonts->Missing[MissingSlot(Fonts, Code)] == Code + 1;
}

// Kept at most half full, so a search always ends at an empty slot. Where memory fails the code
// point is only searched for again.
void NoteMissing(BoxFonts* Fonts, uint32_t Code) {
  if (2 * (Fonts->MissingCount + 1) > Fonts->MissingRoom) {
    size_t Room = Fonts->MissingRoom ? 2 * Fonts->MissingRoom : 64;
    uint32_t* Slots = static_cast<uint32_t*>(calloc(Room, sizeof(uint32_t)));
    if (Slots == nullptr) return;
    BoxFonts Grown = *Fonts;
    Grown.Missing = Slots;
    Grown.MissingRoom = Room;
    for (size_t I = 0; I < Fonts->MissingRoom; ++I)
      if (Fonts->Missing[I] != 0) Slots[MissingSlot(&Grown, Fonts->Missing[I] - 1)] = Fonts->Missing[I];
    free(Fonts->Missing);
    Fonts->Missing = Slots;
    Fonts->MissingRoom = Room;
  }
  Fonts->Missing[MissingSlot(Fonts, Code)] = Code + 1;
  ++Fonts->MissingCount;
}

}  // namespace

XftFont* FontFor(BoxFonts* Fonts, uint32_t* Code) {
  if (XftCharExists(Fonts->Dpy, Fonts->Regular, *Code)) return Fonts->Regular;
  for (int I = 0; I < Fonts->FallbackCount; ++I)
    if (XftCharExists(Fonts->Dpy, Fonts->Fallbacks[I], *Code)) return Fonts->Fallbacks[I];
  if (!KnownMissing(Fonts, *Code)) {
    XftFont* Font = OpenFallback(Fonts, *Code);
    if (Font) return Font;
    NoteMissing(Fonts, *Code);
  }
  *Code = REPLACEMENT_CHARACTER;
  return Fonts->Regular;
}

namespace {

int CodePixels(BoxFonts* Fonts, XftFont* Font, uint32_t Code) {
  FcChar32 Wide = Code;
  XGlyphInfo Extents;
  XftTextExtents32(Fonts->Dpy, Font, &Wide, 1, &Extents);
  return Extents.xOff;
}

int CodePixels(BoxFonts* Fonts, uint32_t Code) {
  XftFont* Font = FontFor(Fonts, &Code);
  return CodePixels(Fonts, Font, Code);
}

}  // namespace

double DisplayDpi(Display* Dpy) {
  const char* Value = XGetDefault(Dpy, "Xft", "dpi");
  double Dpi = Value ? strtod(Value, nullptr) : 0.0;
  return Dpi >= 48.0 && Dpi <= 960.0 ? Dpi : DEFAULT_DPI;
}

bool OpenBoxFonts(Display* Dpy, int Screen, const DesktopLook& Look, double PixelSize, double MarkPixelSize,
                  BoxFonts* Fonts) {
  memset(Fonts, 0, sizeof *Fonts);
  Fonts->Dpy = Dpy;
  Fonts->Screen = Screen;
  Fonts->PixelSize = PixelSize;
  Fonts->Rendering = Look.Rendering;
  const char* Family = Look.FontFamily[0] && !IsStockFamily(Look.FontFamily) ? Look.FontFamily : nullptr;
  bool Stock = Family == nullptr && FontChoiceIsStock();
  const size_t COUNT = std::size(REGULAR_FILES);
  if (Stock) Fonts->Regular = OpenKnown(Fonts, REGULAR_FILES, COUNT, PixelSize);
  if (!Fonts->Regular) Fonts->Regular = OpenTextFont(Fonts, Family, FC_WEIGHT_REGULAR, PixelSize);
  if (!Fonts->Regular) return false;
  if (MarkPixelSize > 0 && Stock) Fonts->Bold = OpenKnown(Fonts, BOLD_FILES, COUNT, MarkPixelSize);
  if (MarkPixelSize > 0 && !Fonts->Bold) Fonts->Bold = OpenTextFont(Fonts, Family, FC_WEIGHT_BOLD, MarkPixelSize);
  if (!Fonts->Bold) Fonts->Bold = Fonts->Regular;
  return true;
}

void CloseBoxFonts(BoxFonts* Fonts) {
  free(Fonts->Missing);
  for (int I = 0; I < Fonts->FallbackCount; ++I) XftFontClose(Fonts->Dpy, Fonts->Fallbacks[I]);
  if (Fonts->Bold && Fonts->Bold != Fonts->Regular) XftFontClose(Fonts->Dpy, Fonts->Bold);
  if (Fonts->Regular) XftFontClose(Fonts->Dpy, Fonts->Regular);
  memset(Fonts, 0, sizeof *Fonts);
}

// Windows sets tab stops every eight average character widths, the average taken over the Latin
// letters as its dialogs measure it, not the width of a blank. Measured at the first tab: loading
// 52 glyphs costs a text without tabs a tenth of its time to show.
int NextTabStop(BoxFonts* Fonts, int X) {
  if (Fonts->TabStop == 0) {
    static const FcChar8 LETTERS[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    XGlyphInfo Extents;
    XftTextExtentsUtf8(Fonts->Dpy, Fonts->Regular, LETTERS, 52, &Extents);
    Fonts->TabStop = 8 * ((Extents.xOff / 26 + 1) / 2);
    if (Fonts->TabStop <= 0) Fonts->TabStop = 1;
  }
  return (X / Fonts->TabStop + 1) * Fonts->TabStop;
}

int AdvancePixels(void* Context, const unsigned char*, const Glyph& G, int X) {
  BoxFonts* Fonts = static_cast<BoxFonts*>(Context);
  if (G.Kind == GLYPH_TAB) return NextTabStop(Fonts, X);
  return X + CodePixels(Fonts, G.Code);
}

int TextPixels(BoxFonts* Fonts, const unsigned char* Text, size_t Length) {
  return TextAdvance(Text, {0, Length}, AdvancePixels, Fonts);
}

int DrawText(BoxFonts* Fonts, XftDraw* Draw, const XftColor* Colour, int X, int Y,
             const unsigned char* Text, size_t Length) {
  XftGlyphFontSpec Specs[256];  // more than a row of the widest box holds
  int Start = X, Count = 0;
  for (const GlyphStep& S : GlyphsOf(Text, Length)) {
    if (S.G.Kind == GLYPH_TAB) {
      X = Start + NextTabStop(Fonts, X - Start);
    } else if (S.G.Kind == GLYPH_SHOWN) {
      uint32_t Code = S.G.Code;
      XftFont* Font = FontFor(Fonts, &Code);
      if (Count == static_cast<int>(std::size(Specs))) {
        XftDrawGlyphFontSpec(Draw, Colour, Specs, Count);
        Count = 0;
      }
      Specs[Count++] = {Font, XftCharIndex(Fonts->Dpy, Font, Code), static_cast<short>(X), static_cast<short>(Y)};
      X += CodePixels(Fonts, Font, Code);
    }
  }
  if (Count > 0) XftDrawGlyphFontSpec(Draw, Colour, Specs, Count);
  return X;
}

bool MeasureText(BoxFonts* Fonts, const unsigned char* Text, size_t Length, MeasuredText* Out) {
  *Out = {Fonts, Text, Length, static_cast<int*>(calloc(Length + 1, sizeof(int)))};
  if (Out->Advances == nullptr) return false;
  for (const GlyphStep& S : GlyphsOf(Text, Length))
    if (S.G.Kind == GLYPH_SHOWN || S.G.Kind == GLYPH_SUBSTITUTE) Out->Advances[S.At] = CodePixels(Fonts, S.G.Code);
  return true;
}

void FreeMeasuredText(MeasuredText* Measured) {
  free(Measured->Advances);
  Measured->Advances = nullptr;
}

int MeasuredAdvance(void* Context, const unsigned char* Text, const Glyph& G, int X) {
  const MeasuredText* Measured = static_cast<const MeasuredText*>(Context);
  if (G.Kind == GLYPH_TAB) return NextTabStop(Measured->Fonts, X);
  size_t At = static_cast<size_t>(Text - Measured->Text);
  return At < Measured->Length ? X + Measured->Advances[At] : X;
}

}  // namespace platform
