// Fuzz target: an XSETTINGS manager's property, a font description and the Xft resources, of any bytes.
#include <string.h>

#include <string>
#include <vector>

#include "fuzz-targets.h"
#include "platform/posix/x11/xsettings.h"

using namespace platform;

namespace {

enum Part { PART_PROPERTY, PART_FONT_NAME, PART_RESOURCE, PART_COUNT };

// A look whose every setting is made, so that one the bytes change shows.
DesktopLook Prior() {
  DesktopLook Look;
  ClearDesktopLook(&Look);
  Look.Rendering = {FcTrue, FcTrue, FC_HINT_MEDIUM, FC_RGBA_BGR, FC_LCD_LIGHT};
  Look.Dpi = 120;
  Look.FontPoints = 12;
  strcpy(Look.FontFamily, "Before");
  return Look;
}

bool Mentions(const std::string& Bytes, const char* Name) {
  std::string Lower;
  for (char C : Bytes) Lower += static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C);
  return Lower.find(Name) != std::string::npos;
}

void CheckFamily(const char* Family, size_t Room, const std::string& Where) {
  size_t Length = strnlen(Family, Room);
  FUZZ_CHECK(Length < Room, "family not terminated" + Where);
  for (size_t I = 0; I < Length; ++I)
    FUZZ_CHECK(static_cast<unsigned char>(Family[I]) >= 0x20 && Family[I] != 0x7F && Family[I] != ',',
               "family " + Printable(Family) + Where);
  FUZZ_CHECK(Length == 0 || (Family[0] != ' ' && Family[Length - 1] != ' '), "family " + Printable(Family) + Where);
}

void CheckProperty(const std::string& Bytes) {
  std::string Where = " from " + Printable(Bytes.substr(0, 200));
  // Exactly the bytes the property has: a read past them is caught.
  std::vector<unsigned char> Copy(Bytes.begin(), Bytes.end());
  DesktopLook Look = Prior(), Before = Prior();
  bool Taken = TakeXSettings(Copy.data(), Copy.size(), &Look);
  FUZZ_CHECK(Taken == (Bytes.size() >= 12 && static_cast<unsigned char>(Bytes[0]) <= 1), "taken" + Where);
  // A setting the bytes do not name stays as it was; one they name takes a value it can have.
  const struct {
    const char* Name;
    int Now, Was, Highest;
  } FIELDS[] = {{"xft/antialias", Look.Rendering.Antialias, Before.Rendering.Antialias, 1},
                {"xft/hinting", Look.Rendering.Hinting, Before.Rendering.Hinting, 1},
                {"xft/hintstyle", Look.Rendering.HintStyle, Before.Rendering.HintStyle, FC_HINT_FULL},
                {"xft/rgba", Look.Rendering.Rgba, Before.Rendering.Rgba, FC_RGBA_NONE},
                {"xft/lcdfilter", Look.Rendering.LcdFilter, Before.Rendering.LcdFilter, FC_LCD_LEGACY}};
  for (const auto& Field : FIELDS) {
    FUZZ_CHECK(Field.Now == Field.Was || Mentions(Bytes, Field.Name), std::string(Field.Name) + " changed" + Where);
    FUZZ_CHECK(Field.Now >= 0 && Field.Now <= Field.Highest, std::string(Field.Name) + " out of range" + Where);
  }
  FUZZ_CHECK(Look.Dpi == Before.Dpi || (Mentions(Bytes, "xft/dpi") && Look.Dpi >= 48 && Look.Dpi <= 960),
             "dpi " + std::to_string(Look.Dpi) + Where);
  bool FontNamed = Mentions(Bytes, "gtk/fontname");
  FUZZ_CHECK(Look.FontPoints == Before.FontPoints || (FontNamed && Look.FontPoints >= 4 && Look.FontPoints <= 96),
             "points " + std::to_string(Look.FontPoints) + Where);
  FUZZ_CHECK(strcmp(Look.FontFamily, Before.FontFamily) == 0 || FontNamed, "family changed" + Where);
  CheckFamily(Look.FontFamily, sizeof Look.FontFamily, Where);
  FUZZ_CHECK(!Look.Dark || Mentions(Bytes, "net/themename") || Mentions(Bytes, "gtk/applicationpreferdarktheme"),
             "dark" + Where);
}

}  // namespace

// Input: which part, a byte for that part (the room for the family, or the resource's setting),
// then the bytes.
int FuzzXSettings(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  Part Which = static_cast<Part>(Input.Byte() % PART_COUNT);
  uint8_t Choice = Input.Byte();
  std::string Bytes = Input.Rest();
  if (Which == PART_PROPERTY) {
    CheckProperty(Bytes);
  } else if (Which == PART_FONT_NAME) {
    size_t Room = Choice % 80 + 1;
    std::vector<char> Family(Room);
    std::vector<unsigned char> Copy(Bytes.begin(), Bytes.end());
    double Points = -1;
    bool Named = ParseFontName(Copy.data(), Copy.size(), Family.data(), Room, &Points);
    std::string Where = " from " + Printable(Bytes);
    CheckFamily(Family.data(), Room, Where);
    FUZZ_CHECK(Points == 0 || (Points >= 4 && Points <= 96), "points " + std::to_string(Points) + Where);
    FUZZ_CHECK(Named == (Family[0] != '\0' || Points > 0), "named" + Where);
  } else {
    // A resource is a C string: it ends at its first NUL.
    DesktopLook Look = Prior(), Before = Prior();
    LookSetting Setting = static_cast<LookSetting>(Choice % (LOOK_LCD_FILTER + 1));
    TakeXResource(Setting, Bytes.c_str(), &Look);
    std::string Where = " from " + Printable(Bytes);
    const FontRendering &R = Look.Rendering, &B = Before.Rendering;
    const int Now[] = {R.Antialias, R.Hinting, R.HintStyle, R.Rgba, R.LcdFilter};
    const int Was[] = {B.Antialias, B.Hinting, B.HintStyle, B.Rgba, B.LcdFilter};
    const int HIGHEST[] = {1, 1, FC_HINT_FULL, FC_RGBA_NONE, FC_LCD_LEGACY};
    for (int I = 0; I <= LOOK_LCD_FILTER; ++I)
      FUZZ_CHECK(I == Setting || Now[I] == Was[I], "another setting changed" + Where);
    FUZZ_CHECK(Now[Setting] >= 0 && Now[Setting] <= HIGHEST[Setting], "value " + std::to_string(Now[Setting]) + Where);
  }
  return 0;
}
