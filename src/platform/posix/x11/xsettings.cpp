// The desktop's rendering settings, font and theme: X resources and the XSETTINGS property, read as hostile bytes.
#include "platform/posix/x11/xsettings.h"

#include "platform/posix/x11/display.h"
#include "platform/posix/x11/font.h"
#include "platform/posix/x11/library.h"

#include <iterator>
#include <stdio.h>
#include <string.h>

namespace platform {
namespace {

struct NamedValue {
  const char* Name;
  int Value;
};

const NamedValue HINT_STYLES[] = {
    {"hintnone", FC_HINT_NONE}, {"hintslight", FC_HINT_SLIGHT}, {"hintmedium", FC_HINT_MEDIUM},
    {"hintfull", FC_HINT_FULL}};
const NamedValue RGBA_ORDERS[] = {{"unknown", FC_RGBA_UNKNOWN}, {"rgb", FC_RGBA_RGB},   {"bgr", FC_RGBA_BGR},
                                  {"vrgb", FC_RGBA_VRGB},       {"vbgr", FC_RGBA_VBGR}, {"none", FC_RGBA_NONE}};
const NamedValue LCD_FILTERS[] = {
    {"lcdnone", FC_LCD_NONE}, {"lcddefault", FC_LCD_DEFAULT}, {"lcdlight", FC_LCD_LIGHT}, {"lcdlegacy", FC_LCD_LEGACY}};

// Style words of a Pango font description, which name no family.
const char* const STYLE_WORDS[] = {"bold",       "italic",     "oblique",    "regular",    "normal",     "book",
                                   "light",      "medium",     "heavy",      "black",      "thin",       "condensed",
                                   "semi-bold",  "semibold",   "ultra-bold", "extra-bold", "ultra-light",
                                   "extra-light", "semi-light", "small-caps", "expanded"};

const double MIN_DPI = 48.0, MAX_DPI = 960.0;
const double MIN_POINTS = 4.0, MAX_POINTS = 96.0;
// More than any desktop's settings take; a longer property is read up to here.
const long MAX_SETTINGS_LONGS = 16384;

enum XSettingType { XSETTING_INTEGER = 0, XSETTING_STRING = 1, XSETTING_COLOUR = 2 };

char Lower(unsigned char C) { return static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C); }

bool SameWord(const unsigned char* Text, size_t Length, const char* Word) {
  if (strlen(Word) != Length) return false;
  for (size_t I = 0; I < Length; ++I)
    if (Lower(Text[I]) != Word[I]) return false;
  return true;
}

bool IsBlank(unsigned char C) { return C == ' ' || C == '\t'; }

// Digits with at most one decimal point, nothing else; false for anything more or less.
bool ParseDecimal(const unsigned char* Text, size_t Length, double* Value) {
  double Result = 0, Scale = 0;
  bool Digits = false;
  for (size_t I = 0; I < Length; ++I) {
    if (Text[I] == '.' && Scale == 0) {
      Scale = 1;
    } else if (Text[I] >= '0' && Text[I] <= '9' && Result < 1e6) {
      Digits = true;
      if (Scale > 0) Scale /= 10;
      Result = Scale > 0 ? Result + (Text[I] - '0') * Scale : Result * 10 + (Text[I] - '0');
    } else {
      return false;
    }
  }
  *Value = Result;
  return Digits;
}

int* RenderingField(FontRendering* Rendering, LookSetting Setting) {
  switch (Setting) {
    case LOOK_ANTIALIAS:
      return &Rendering->Antialias;
    case LOOK_HINTING:
      return &Rendering->Hinting;
    case LOOK_HINT_STYLE:
      return &Rendering->HintStyle;
    case LOOK_RGBA:
      return &Rendering->Rgba;
    case LOOK_LCD_FILTER:
      break;
  }
  return &Rendering->LcdFilter;
}

// What a value names for a setting, a number or one of its names; LOOK_UNSET where nothing.
int NamedSetting(LookSetting Setting, const unsigned char* Text, size_t Length) {
  const NamedValue* Names = Setting == LOOK_HINT_STYLE ? HINT_STYLES : Setting == LOOK_RGBA ? RGBA_ORDERS : LCD_FILTERS;
  size_t Count = Setting == LOOK_HINT_STYLE ? std::size(HINT_STYLES)
                 : Setting == LOOK_RGBA     ? std::size(RGBA_ORDERS)
                                            : std::size(LCD_FILTERS);
  for (size_t I = 0; I < Count; ++I)
    if (SameWord(Text, Length, Names[I].Name)) return Names[I].Value;
  double Number;
  if (!ParseDecimal(Text, Length, &Number)) return LOOK_UNSET;
  for (size_t I = 0; I < Count; ++I)
    if (Number == Names[I].Value) return Names[I].Value;
  return LOOK_UNSET;
}

// Xft's reading of a boolean: its first letter, or the second of "on" and "off".
int ResourceBool(const char* Value) {
  char First = Lower(static_cast<unsigned char>(Value[0]));
  if (First == 't' || First == 'y' || First == '1') return FcTrue;
  if (First == 'f' || First == 'n' || First == '0') return FcFalse;
  if (First == 'o') {
    char Second = Lower(static_cast<unsigned char>(Value[1]));
    if (Second == 'n') return FcTrue;
    if (Second == 'f') return FcFalse;
  }
  return LOOK_UNSET;
}

uint32_t Card32(const unsigned char* At, bool BigEndian) {
  return BigEndian ? static_cast<uint32_t>(At[0]) << 24 | At[1] << 16 | At[2] << 8 | At[3]
                   : static_cast<uint32_t>(At[3]) << 24 | At[2] << 16 | At[1] << 8 | At[0];
}

size_t Padded(size_t Length) { return Length + (4 - Length % 4) % 4; }

// What the XSETTINGS of one reading said about the theme: a dark theme, or dark preferred.
struct ThemeNotes {
  int DarkName;  // LOOK_UNSET until a theme is named
  int PreferDark;
};

void TakeInteger(const unsigned char* Name, size_t NameLength, int32_t Value, DesktopLook* Look, ThemeNotes* Notes) {
  // -1 is the manager's way of leaving a setting to the default.
  if (SameWord(Name, NameLength, "xft/dpi")) {
    double Dpi = Value / 1024.0;
    if (Dpi >= MIN_DPI && Dpi <= MAX_DPI) Look->Dpi = Dpi;
  } else if (SameWord(Name, NameLength, "xft/antialias") && (Value == 0 || Value == 1)) {
    Look->Rendering.Antialias = Value;
  } else if (SameWord(Name, NameLength, "xft/hinting") && (Value == 0 || Value == 1)) {
    Look->Rendering.Hinting = Value;
  } else if (SameWord(Name, NameLength, "gtk/applicationpreferdarktheme")) {
    Notes->PreferDark = Value == 1;
  }
}

void TakeString(const unsigned char* Name, size_t NameLength, const unsigned char* Value, size_t Length,
                DesktopLook* Look, ThemeNotes* Notes) {
  const struct {
    const char* Name;
    LookSetting Setting;
  } NAMED[] = {{"xft/hintstyle", LOOK_HINT_STYLE}, {"xft/rgba", LOOK_RGBA}, {"xft/lcdfilter", LOOK_LCD_FILTER}};
  for (const auto& Entry : NAMED)
    if (SameWord(Name, NameLength, Entry.Name)) {
      int Setting = NamedSetting(Entry.Setting, Value, Length);
      if (Setting != LOOK_UNSET) *RenderingField(&Look->Rendering, Entry.Setting) = Setting;
      return;
    }
  if (SameWord(Name, NameLength, "net/themename")) {
    Notes->DarkName = ThemeIsDark(Value, Length);
  } else if (SameWord(Name, NameLength, "gtk/fontname")) {
    char Family[FONT_FAMILY_ROOM];
    double Points = 0;
    if (!ParseFontName(Value, Length, Family, sizeof Family, &Points)) return;
    if (Family[0]) memcpy(Look->FontFamily, Family, sizeof Family);
    if (Points > 0) Look->FontPoints = Points;
  }
}

}  // namespace

void ClearDesktopLook(DesktopLook* Look) {
  memset(Look, 0, sizeof *Look);
  Look->Rendering = {LOOK_UNSET, LOOK_UNSET, LOOK_UNSET, LOOK_UNSET, LOOK_UNSET};
}

void TakeXResource(LookSetting Setting, const char* Value, DesktopLook* Look) {
  if (Value == nullptr) return;
  int Taken = Setting == LOOK_ANTIALIAS || Setting == LOOK_HINTING
                  ? ResourceBool(Value)
                  : NamedSetting(Setting, reinterpret_cast<const unsigned char*>(Value), strlen(Value));
  if (Taken != LOOK_UNSET) *RenderingField(&Look->Rendering, Setting) = Taken;
}

bool ThemeIsDark(const unsigned char* Name, size_t Length) {
  for (size_t I = 0; I + 5 <= Length; ++I)
    if (SameWord(Name + I, 5, ":dark")) return true;
  return Length >= 5 && SameWord(Name + Length - 5, 5, "-dark");
}

bool ParseFontName(const unsigned char* Name, size_t Length, char* Family, size_t Room, double* Points) {
  Family[0] = '\0';
  *Points = 0;
  while (Length > 0 && IsBlank(Name[Length - 1])) --Length;
  size_t Start = Length;
  while (Start > 0 && !IsBlank(Name[Start - 1])) --Start;
  double Size;
  if (ParseDecimal(Name + Start, Length - Start, &Size)) {
    if (Size >= MIN_POINTS && Size <= MAX_POINTS) *Points = Size;
    Length = Start;
  }
  // Style words after the family.
  for (bool Stripped = true; Stripped;) {
    while (Length > 0 && IsBlank(Name[Length - 1])) --Length;
    Start = Length;
    while (Start > 0 && !IsBlank(Name[Start - 1])) --Start;
    Stripped = false;
    for (const char* Word : STYLE_WORDS)
      if (Start > 0 && SameWord(Name + Start, Length - Start, Word)) {
        Length = Start;
        Stripped = true;
      }
  }
  const unsigned char* Comma = Length ? static_cast<const unsigned char*>(memchr(Name, ',', Length)) : nullptr;
  if (Comma) Length = static_cast<size_t>(Comma - Name);
  size_t Begin = 0;
  while (Begin < Length && IsBlank(Name[Begin])) ++Begin;
  while (Length > Begin && IsBlank(Name[Length - 1])) --Length;
  bool Printable = Length - Begin < Room;
  for (size_t I = Begin; I < Length && Printable; ++I) Printable = Name[I] >= 0x20 && Name[I] != 0x7F;
  if (Printable && Length > Begin) {
    memcpy(Family, Name + Begin, Length - Begin);
    Family[Length - Begin] = '\0';
  }
  return Family[0] != '\0' || *Points > 0;
}

// The property: a byte order (0 least significant first, 1 most), three bytes, a serial and the
// number of settings, all of 32 bits, then each setting: its type, a byte, the name's length in 16
// bits, the name padded to 4 bytes, the serial of its last change in 32 bits, and its value: an
// integer of 32 bits, a string as a length of 32 bits and its bytes padded to 4, or a colour of four
// 16-bit channels.
bool TakeXSettings(const unsigned char* Bytes, size_t Length, DesktopLook* Look) {
  if (Bytes == nullptr || Length < 12 || Bytes[0] > 1) return false;
  bool BigEndian = Bytes[0] == 1;
  uint32_t Count = Card32(Bytes + 8, BigEndian);
  ThemeNotes Notes = {LOOK_UNSET, LOOK_UNSET};
  size_t At = 12;
  for (uint32_t I = 0; I < Count && Length - At >= 4; ++I) {
    unsigned Type = Bytes[At];
    size_t NameLength = BigEndian ? Bytes[At + 2] << 8 | Bytes[At + 3] : Bytes[At + 3] << 8 | Bytes[At + 2];
    At += 4;
    if (Length - At < Padded(NameLength) + 4) break;
    const unsigned char* Name = Bytes + At;
    At += Padded(NameLength) + 4;
    if (Type == XSETTING_INTEGER && Length - At >= 4) {
      TakeInteger(Name, NameLength, static_cast<int32_t>(Card32(Bytes + At, BigEndian)), Look, &Notes);
      At += 4;
    } else if (Type == XSETTING_STRING && Length - At >= 4) {
      size_t ValueLength = Card32(Bytes + At, BigEndian);
      At += 4;
      if (ValueLength > Length - At || Padded(ValueLength) > Length - At) break;
      TakeString(Name, NameLength, Bytes + At, ValueLength, Look, &Notes);
      At += Padded(ValueLength);
    } else if (Type == XSETTING_COLOUR && Length - At >= 8) {
      At += 8;
    } else {
      break;  // an unknown type's size is unknown, and so is where the next setting starts
    }
  }
  if (Notes.DarkName != LOOK_UNSET || Notes.PreferDark != LOOK_UNSET)
    Look->Dark = Notes.DarkName == 1 || Notes.PreferDark == 1;
  return true;
}

void ReadDesktopLook(Display* Dpy, int Screen, DesktopLook* Look) {
  ClearDesktopLook(Look);
  const struct {
    const char* Name;
    LookSetting Setting;
  } RESOURCES[] = {{"antialias", LOOK_ANTIALIAS},
                   {"hinting", LOOK_HINTING},
                   {"hintstyle", LOOK_HINT_STYLE},
                   {"rgba", LOOK_RGBA},
                   {"lcdfilter", LOOK_LCD_FILTER}};
  // Read from the resources Xlib fetched as it connected: no round trip.
  for (const auto& Resource : RESOURCES) TakeXResource(Resource.Setting, XGetDefault(Dpy, "Xft", Resource.Name), Look);
  Look->Dpi = DisplayDpi(Dpy);
  // Both names in one round trip, and only where some client made them: where no manager ever ran
  // the selection's name does not exist, and nothing more is asked.
  char Selection[32];
  snprintf(Selection, sizeof Selection, "_XSETTINGS_S%d", Screen);
  char* Names[] = {Selection, const_cast<char*>("_XSETTINGS_SETTINGS")};
  Atom Atoms[2] = {None, None};
  XInternAtoms(Dpy, Names, 2, True, Atoms);
  if (Atoms[0] == None || Atoms[1] == None) return;
  Window Manager = XGetSelectionOwner(Dpy, Atoms[0]);
  if (Manager == None) return;
  // A manager that has just gone leaves an X error, recorded and harmless, and no property.
  PropertyValue Settings = ReadProperty(Manager, Atoms[1], MAX_SETTINGS_LONGS);
  if (Settings.Data && Settings.Format == 8 && Settings.Type == Atoms[1])
    TakeXSettings(Settings.Data, Settings.Count, Look);
  FreeProperty(Settings);
}

}  // namespace platform
