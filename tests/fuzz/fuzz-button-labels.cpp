// Fuzz target: a catalog's translation, any bytes, taken as every label of a box.
#include <string.h>

#include "fuzz-targets.h"
#include "platform/posix/box/model.h"

using namespace platform;

namespace {

const char* Translation;

const char* FromInput(const char*) { return Translation; }

}  // namespace

// Input: the button type, then the translation up to a NUL, as the C library hands it over.
int FuzzButtonLabels(const uint8_t* Data, size_t Size) {
  FuzzInput In = {Data, Size};
  DWORD Style = In.Byte() % 7;
  std::string Text = In.Rest();
  Translation = Text.c_str();
  BoxModel Model;
  FUZZ_CHECK(MakeBoxModel(Style, &Model, FromInput), "no model for type " + std::to_string(Style));
  for (int I = 0; I < Model.ButtonCount; ++I) {
    const BoxButton& Button = Model.Buttons[I];
    size_t Length = strlen(Button.Label);
    std::string Where = " in " + Printable(Button.Label) + " from " + Printable(Text);
    FUZZ_CHECK(Length > 0 && Length < static_cast<size_t>(LABEL_ROOM), "label length" + Where);
    for (const GlyphStep& S : GlyphsOf(reinterpret_cast<const unsigned char*>(Button.Label), Length))
      FUZZ_CHECK(S.G.Kind == GLYPH_SHOWN, "a glyph a button cannot show" + Where);
    if (Button.AcceleratorAt < 0) continue;
    FUZZ_CHECK(static_cast<size_t>(Button.AcceleratorAt) < Length, "accelerator past the label" + Where);
    unsigned char Letter = static_cast<unsigned char>(Button.Label[Button.AcceleratorAt]);
    FUZZ_CHECK(Letter < 0x80 && AcceleratorAnswer(Model, Letter) != 0, "accelerator that answers nothing" + Where);
  }
  return 0;
}
