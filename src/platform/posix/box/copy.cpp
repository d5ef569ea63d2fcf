// The box's clipboard text, as Windows lays it out, and the Base64 that carries it in a terminal.
#include "platform/posix/box/copy.h"

#include "platform/posix/glyphs.h"

#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

const char RULE[] = "---------------------------\n";
const char BETWEEN_LABELS[] = "   ";
const char BASE64_DIGITS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

char* Put(char* Out, const void* Bytes, size_t Count) {
  memcpy(Out, Bytes, Count);
  return Out + Count;
}

}  // namespace

char* PutCleanText(char* Out, const unsigned char* Utf8, size_t Length, TextLines Lines) {
  bool OneLine = Lines == TEXT_ONE_LINE;
  for (const GlyphStep& S : GlyphsOf(Utf8, Length)) {
    switch (S.G.Kind) {
      case GLYPH_SHOWN:
        Out = Put(Out, Utf8 + S.At, S.G.Length);
        break;
      case GLYPH_SUBSTITUTE:
        Out = Put(Out, "\xef\xbf\xbd", 3);
        break;
      case GLYPH_TAB:
        *Out++ = OneLine ? ' ' : '\t';
        break;
      case GLYPH_LINE_END:
        *Out++ = OneLine ? ' ' : '\n';
        break;
    }
  }
  return Out;
}

char* BoxCopyText(const unsigned char* Caption, size_t CaptionLength, const unsigned char* Text,
                  size_t TextLength, const BoxModel& Model, size_t* Length) {
  const size_t Rule = sizeof RULE - 1, Gap = sizeof BETWEEN_LABELS - 1;
  size_t Room = 4 * Rule + 3 * (CaptionLength + TextLength) + 3;
  for (int I = 0; I < Model.ButtonCount; ++I) Room += strlen(Model.Buttons[I].Label) + Gap;
  char* Copy = static_cast<char*>(malloc(Room + 1));
  if (Copy == nullptr) return nullptr;
  char* Out = Put(Copy, RULE, Rule);
  Out = PutCleanText(Out, Caption, CaptionLength, TEXT_ONE_LINE);
  Out = Put(Out, "\n", 1);
  Out = Put(Out, RULE, Rule);
  Out = PutCleanText(Out, Text, TextLength, TEXT_PARAGRAPHS);
  Out = Put(Out, "\n", 1);
  Out = Put(Out, RULE, Rule);
  for (int I = 0; I < Model.ButtonCount; ++I) {
    Out = Put(Out, Model.Buttons[I].Label, strlen(Model.Buttons[I].Label));
    Out = Put(Out, BETWEEN_LABELS, Gap);
  }
  Out = Put(Out, "\n", 1);
  Out = Put(Out, RULE, Rule);
  *Out = '\0';
  *Length = static_cast<size_t>(Out - Copy);
  return Copy;
}

size_t Base64(const unsigned char* In, size_t Count, char* Out) {
  size_t N = 0;
  for (size_t I = 0; I < Count; I += 3) {
    unsigned Group = static_cast<unsigned>(In[I]) << 16;
    if (I + 1 < Count) Group |= static_cast<unsigned>(In[I + 1]) << 8;
    if (I + 2 < Count) Group |= In[I + 2];
    Out[N++] = BASE64_DIGITS[(Group >> 18) & 63];
    Out[N++] = BASE64_DIGITS[(Group >> 12) & 63];
    Out[N++] = I + 1 < Count ? BASE64_DIGITS[(Group >> 6) & 63] : '=';
    Out[N++] = I + 2 < Count ? BASE64_DIGITS[Group & 63] : '=';
  }
  return N;
}

}  // namespace platform
