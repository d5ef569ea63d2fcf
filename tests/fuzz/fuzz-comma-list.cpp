// Fuzz target: LoadCommaList against a model that steps through the text character by character.
#include <string.h>

#include <vector>

#include "cmdline/string-list.h"
#include "fake-platform.h"
#include "fuzz-targets.h"

namespace {

std::string Str(const Text& text) { return std::string(text.Bytes(), text.Length()); }

struct Model {
  std::string text;
  bool lead[256] = {};
  unsigned char At(size_t i) const { return i < text.size() ? text[i] : 0; }
  bool IsBlank(size_t i) const { return At(i) >= 1 && At(i) <= 32; }
  // As the platform steps: a lead byte takes the next byte with it, unless the text ends there.
  size_t Next(size_t i) const {
    if (At(i) == 0) return i;
    return i + (lead[At(i)] && At(i + 1) != 0 ? 2 : 1);
  }
  size_t SkipBlanks(size_t i) const {
    while (IsBlank(i)) i = Next(i);
    return i;
  }
  // The first double quote from start on that is not the second byte of a pair, the pairs
  // reckoned from start. A quote byte that begins a pair still counts as a quote.
  size_t FindQuote(size_t start) const {
    bool trail = false;
    for (size_t i = start; At(i) != 0; ++i) {
      if (At(i) == '"' && !trail) return i;
      trail = !trail && lead[At(i)] && At(i + 1) != 0;
    }
    return std::string::npos;
  }

  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    size_t i = SkipBlanks(0);
    while (At(i) != 0) {
      std::string item;
      if (At(i) == '"') {
        size_t from = i + 1;
        for (;;) {
          size_t quote = FindQuote(from);
          if (quote != std::string::npos && At(quote + 1) == '"') {
            item += text.substr(from, quote + 1 - from);
            from = quote + 2;
            continue;
          }
          if (quote == std::string::npos) {
            // Unclosed: the last byte stands where the closing quote would, and stays out.
            size_t end = strnlen(text.c_str() + from, text.size() - from) + from;
            item += text.substr(from, end > from ? end - 1 - from : 0);
            i = end;
          } else {
            item += text.substr(from, quote - from);
            i = quote + 1;
          }
          break;
        }
      } else {
        size_t start = i;
        while (At(i) != 0 && At(i) != ',' && !IsBlank(i)) i = Next(i);
        item = text.substr(start, i - start);
      }
      items.push_back(item);
      i = SkipBlanks(i);
      if (At(i) == ',') i = SkipBlanks(Next(i));
    }
    return items;
  }
};

std::vector<std::string> Lines(const TStringList& list) {
  std::vector<std::string> lines;
  for (int32_t i = 0; i < list.LineCount(); ++i) lines.push_back(Str(list.LineAt(i)));
  return lines;
}

}  // namespace

// Input: a byte choosing the lead bytes, three range pairs, then the text (up to its first NUL).
int FuzzCommaList(const uint8_t* data, size_t size) {
  FuzzInput input = {data, size};
  uint8_t choice = input.Byte();
  BYTE ranges[6];
  for (BYTE& b : ranges) b = input.Byte();
  std::string raw = input.Rest();

  ResetFake();
  Model model;
  model.text = raw.substr(0, strnlen(raw.c_str(), raw.size()));
  if (choice & 1) {
    const BYTE shiftJis[6] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    const BYTE* chosen = (choice & 2) ? shiftJis : ranges;
    UseDoubleByteCodePage(chosen, 6);
    for (int pair = 0; pair < 6 && (chosen[pair] | chosen[pair + 1]); pair += 2)
      for (int b = chosen[pair]; b <= chosen[pair + 1]; ++b) model.lead[b] = true;
  }
  StartFakeProcess();

  std::vector<std::string> expected = model.Items();
  TStringList list;
  // Whatever the list held before is gone.
  for (int i = 0; i < (choice >> 4); ++i) list.AppendLine(Text("old"));
  list.LoadCommaList(Text(model.text.data(), model.text.size()));
  std::vector<std::string> got = Lines(list);
  std::string shown;
  for (const std::string& line : got) shown += Printable(line) + " ";
  FUZZ_CHECK(got == expected, "LoadCommaList " + Printable(model.text) + " gave " + shown);
  list.LoadCommaList(Text(model.text.data(), model.text.size()));
  FUZZ_CHECK(Lines(list) == expected, "a second LoadCommaList differs");
  return 0;
}
