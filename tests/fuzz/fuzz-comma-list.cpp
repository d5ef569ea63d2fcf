// Fuzz target: LoadCommaList against a model that steps through the text character by character.
#include <string.h>

#include <vector>

#include "cmdline/string-list.h"
#include "fake-platform.h"
#include "fuzz-targets.h"

namespace {

std::string Str(const Text& Text) { return std::string(Text.Bytes(), Text.Length()); }

struct Model {
  std::string Text;
  bool Lead[256] = {};
  unsigned char At(size_t I) const { return I < Text.size() ? Text[I] : 0; }
  bool IsBlank(size_t I) const { return At(I) >= 1 && At(I) <= 32; }
  // As the platform steps: a lead byte takes the next byte with it, unless the text ends there.
  size_t Next(size_t I) const {
    if (At(I) == 0) return I;
    return I + (Lead[At(I)] && At(I + 1) != 0 ? 2 : 1);
  }
  size_t SkipBlanks(size_t I) const {
    while (IsBlank(I)) I = Next(I);
    return I;
  }
  // The first double quote from start on that is not the second byte of a pair, the pairs
  // reckoned from start. A quote byte that begins a pair still counts as a quote.
  size_t FindQuote(size_t Start) const {
    bool Trail = false;
    for (size_t I = Start; At(I) != 0; ++I) {
      if (At(I) == '"' && !Trail) return I;
      Trail = !Trail && Lead[At(I)] && At(I + 1) != 0;
    }
    return std::string::npos;
  }

  std::vector<std::string> Items() const {
    std::vector<std::string> Items;
    size_t I = SkipBlanks(0);
    while (At(I) != 0) {
      std::string Item;
      if (At(I) == '"') {
        size_t From = I + 1;
        for (;;) {
          size_t Quote = FindQuote(From);
          if (Quote != std::string::npos && At(Quote + 1) == '"') {
            Item += Text.substr(From, Quote + 1 - From);
            From = Quote + 2;
            continue;
          }
          if (Quote == std::string::npos) {
            // Unclosed: the last byte stands where the closing quote would, and stays out.
            size_t End = strnlen(Text.c_str() + From, Text.size() - From) + From;
            Item += Text.substr(From, End > From ? End - 1 - From : 0);
            I = End;
          } else {
            Item += Text.substr(From, Quote - From);
            I = Quote + 1;
          }
          break;
        }
      } else {
        size_t Start = I;
        while (At(I) != 0 && At(I) != ',' && !IsBlank(I)) I = Next(I);
        Item = Text.substr(Start, I - Start);
      }
      Items.push_back(Item);
      I = SkipBlanks(I);
      if (At(I) == ',') I = SkipBlanks(Next(I));
    }
    return Items;
  }
};

std::vector<std::string> Lines(const TStringList& List) {
  std::vector<std::string> Lines;
  for (int32_t I = 0; I < List.LineCount(); ++I) Lines.push_back(Str(List.LineAt(I)));
  return Lines;
}

}  // namespace

// Input: a byte choosing the lead bytes, three range pairs, then the text (up to its first NUL).
int FuzzCommaList(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  uint8_t Choice = Input.Byte();
  BYTE Ranges[6];
  for (BYTE& B : Ranges) B = Input.Byte();
  std::string Raw = Input.Rest();

  ResetFake();
  Model Model;
  Model.Text = Raw.substr(0, strnlen(Raw.c_str(), Raw.size()));
  if (Choice & 1) {
    const BYTE ShiftJis[6] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    const BYTE* Chosen = (Choice & 2) ? ShiftJis : Ranges;
    UseDoubleByteCodePage(Chosen, 6);
    for (int Pair = 0; Pair < 6 && (Chosen[Pair] | Chosen[Pair + 1]); Pair += 2)
      for (int B = Chosen[Pair]; B <= Chosen[Pair + 1]; ++B) Model.Lead[B] = true;
  }
  StartFakeProcess();

  std::vector<std::string> Expected = Model.Items();
  TStringList List;
  // Whatever the list held before is gone.
  for (int I = 0; I < (Choice >> 4); ++I) List.AppendLine(Text("old"));
  List.LoadCommaList(Text(Model.Text.data(), Model.Text.size()));
  std::vector<std::string> Got = Lines(List);
  std::string Shown;
  for (const std::string& Line : Got) Shown += Printable(Line) + " ";
  FUZZ_CHECK(Got == Expected, "LoadCommaList " + Printable(Model.Text) + " gave " + Shown);
  List.LoadCommaList(Text(Model.Text.data(), Model.Text.size()));
  FUZZ_CHECK(Lines(List) == Expected, "a second LoadCommaList differs");
  return 0;
}
