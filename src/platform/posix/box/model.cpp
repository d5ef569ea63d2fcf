// The message box both POSIX front ends show: button sets, Esc and close answers, glyphs, wrapping.
#include "platform/posix/box/model.h"

#include "platform/posix/box/line-breaks.h"

namespace platform {
namespace {

// Marks a label for the catalogs (xgettext --keyword=LABEL); the catalog is read when a box is made.
#define LABEL(Text) Text

struct ButtonEntry {
  const char* MsgId;
  int Id;
};

// Windows' order and labels, '&' before the accelerator; Cancel has none there, Esc is its key.
const ButtonEntry BUTTON_SETS[7][MAX_BUTTONS] = {
    // TRANSLATORS: button labels. Put '&' before the letter that presses the button, an ASCII
    // letter that differs from the others of its box (Abort/Retry/Ignore, Yes/No/Cancel,
    // Retry/Cancel, Cancel/Try Again/Continue). Where the language is not written in Latin letters,
    // follow Windows: "(&Y)" after the word in Chinese, Japanese and Korean, no '&' in the others.
    {{LABEL("OK"), IDOK}},
    {{LABEL("OK"), IDOK}, {LABEL("Cancel"), IDCANCEL}},
    {{LABEL("&Abort"), IDABORT}, {LABEL("&Retry"), IDRETRY}, {LABEL("&Ignore"), IDIGNORE}},
    {{LABEL("&Yes"), IDYES}, {LABEL("&No"), IDNO}, {LABEL("Cancel"), IDCANCEL}},
    {{LABEL("&Yes"), IDYES}, {LABEL("&No"), IDNO}},
    {{LABEL("&Retry"), IDRETRY}, {LABEL("Cancel"), IDCANCEL}},
    {{LABEL("Cancel"), IDCANCEL}, {LABEL("&Try Again"), IDTRYAGAIN}, {LABEL("&Continue"), IDCONTINUE}}};
const int BUTTON_COUNTS[7] = {1, 2, 3, 3, 2, 2, 3};

bool IsSpaceOrTab(unsigned char C) { return C == ' ' || C == '\t'; }

bool IsAsciiLetterOrDigit(unsigned char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9');
}

unsigned char AsciiUpper(unsigned C) { return static_cast<unsigned char>(C >= 'a' && C <= 'z' ? C - 'a' + 'A' : C); }

// The translation where it is a label a box can show, else the English one, which always is.
void LabelButton(BoxModel* Model, int Index, const ButtonEntry& Entry, LabelSource Translate) {
  BoxButton& Button = Model->Labelled[Index];
  char* Text = Model->LabelText[Index];
  const char* Translated = Translate != nullptr ? Translate(Entry.MsgId) : nullptr;
  if (Translated == nullptr || !TakeMarkedLabel(Translated, Text, LABEL_ROOM, &Button.AcceleratorAt))
    TakeMarkedLabel(Entry.MsgId, Text, LABEL_ROOM, &Button.AcceleratorAt);
  Button.Label = Text;
  Button.Id = Entry.Id;
}

struct RowEnd {
  Span Row;
  size_t Next;  // where the next row starts
  bool Wrapped;  // the row ends for want of room, not at a line end
  bool TextEnds;
};

// One row from Pos. Blanks at its end are dropped, and a break falls at the row's last blank or
// other line-break opportunity, else before the cluster that does not fit.
RowEnd WrapRow(const unsigned char* Text, size_t Length, size_t Pos, int Width, GlyphAdvance Advance,
               void* Context) {
  size_t P = Pos, BlankStart = Pos, WordBreak = Pos, ClusterStart = Pos;
  bool HaveBreak = false, InBlank = false, Content = false;
  LineBreaker Breaker;
  int X = 0;
  for (;;) {
    Glyph G = {0, '\n', GLYPH_LINE_END};
    if (P < Length) G = NextGlyph(Text + P, Length - P);
    if (G.Kind == GLYPH_LINE_END) {
      size_t End = P;
      while (End > Pos && IsSpaceOrTab(Text[End - 1])) --End;
      return {{Pos, End}, P + G.Length, false, P >= Length};
    }
    bool Blank = IsSpaceOrTab(Text[P]);
    BreakChance Chance = BREAK_NO;
    if (Blank) Breaker.Reset();
    else Chance = Breaker.Before(G.Code);
    if (Chance != BREAK_INSIDE_CLUSTER) ClusterStart = P;
    if (Chance == BREAK_YES && Content) {
      WordBreak = P;
      HaveBreak = true;
    }
    int Next = Advance(Context, Text + P, G, X);
    // A glyph that takes no room (a combining mark, the rest of a shaped cluster) stays with the
    // one before it, and the rest of a cluster the font may draw as one (an emoji sequence, a
    // flag) stays with its start even where it takes room of its own.
    if (X > 0 && Next > Width && Next > X && (HaveBreak || ClusterStart > Pos)) {
      size_t End = ClusterStart;
      if (Blank && InBlank) {
        End = BlankStart;
      } else if (!Blank && HaveBreak) {
        End = WordBreak;
      }
      return {{Pos, End}, End, true, false};
    }
    if (Blank && !InBlank) {
      BlankStart = P;
      if (Content) {
        WordBreak = P;
        HaveBreak = true;
      }
    }
    if (!Blank && Next > X) Content = true;
    InBlank = Blank;
    X = Next;
    P += G.Length;
  }
}

}  // namespace

bool TakeMarkedLabel(const char* Marked, char* Out, size_t Room, int* AcceleratorAt) {
  size_t N = 0;
  *AcceleratorAt = -1;
  for (const char* P = Marked; *P != '\0'; ++P) {
    if (N + 1 >= Room) return false;
    if (*P == '&' && P[1] != '&') {
      if (*AcceleratorAt >= 0 || !IsAsciiLetterOrDigit(static_cast<unsigned char>(P[1]))) return false;
      *AcceleratorAt = static_cast<int>(N);
      continue;
    }
    if (*P == '&') ++P;  // "&&" is a '&' of the label's own
    Out[N++] = *P;
  }
  Out[N] = '\0';
  if (N == 0) return false;
  // Shown glyphs only: a tab, a line end, a control or a malformed byte would break the button row.
  const unsigned char* Text = reinterpret_cast<const unsigned char*>(Out);
  for (const GlyphStep& S : GlyphsOf(Text, Span{0, N}))
    if (S.G.Kind != GLYPH_SHOWN) return false;
  return true;
}

bool MakeBoxModel(DWORD Style, BoxModel* Model, LabelSource Translate) {
  DWORD Type = Style & MB_TYPEMASK;
  if (Type > MB_CANCELTRYCONTINUE) return false;
  Model->ButtonCount = BUTTON_COUNTS[Type];
  for (int I = 0; I < Model->ButtonCount; ++I) LabelButton(Model, I, BUTTON_SETS[Type][I], Translate);
  Model->Buttons = Model->Labelled;
  int DefaultButton = static_cast<int>((Style & MB_DEFMASK) >> 8);
  // As on Windows, a default beyond the last button falls back to the first.
  Model->Focus = DefaultButton < Model->ButtonCount ? DefaultButton : 0;
  // Windows closes a box from the keyboard or the title bar only where that has a meaning:
  // Cancel where there is one, OK where it is the only button.
  Model->CloseAnswer = Type == MB_OK ? IDOK : 0;
  Model->TimeLimit = 0;
  for (int I = 0; I < Model->ButtonCount; ++I)
    if (Model->Buttons[I].Id == IDCANCEL) Model->CloseAnswer = IDCANCEL;
  return true;
}

int AcceleratorAnswer(const BoxModel& Model, unsigned Letter) {
  if (Letter > 0x7F) return 0;
  for (int I = 0; I < Model.ButtonCount; ++I) {
    const BoxButton& Button = Model.Buttons[I];
    if (Button.AcceleratorAt >= 0 && AsciiUpper(static_cast<unsigned char>(Button.Label[Button.AcceleratorAt])) ==
                                         AsciiUpper(Letter))
      return Button.Id;
  }
  return 0;
}

void MoveFocus(BoxModel* Model, int Delta) {
  int Count = Model->ButtonCount;
  Model->Focus = ((Model->Focus + Delta) % Count + Count) % Count;
}

int TextAdvance(const unsigned char* Text, Span Part, GlyphAdvance Advance, void* Context) {
  int X = 0;
  for (const GlyphStep& S : GlyphsOf(Text, Part)) X = Advance(Context, Text + S.At, S.G, X);
  return X;
}

int WrapText(const unsigned char* Text, size_t Length, int Width, GlyphAdvance Advance,
             void* Context, Span* Rows, int Limit) {
  int Count = 0;
  size_t Pos = 0;
  bool Continuation = false;
  while (Count < Limit) {
    if (Continuation)
      while (Pos < Length && IsSpaceOrTab(Text[Pos])) ++Pos;
    RowEnd Row = WrapRow(Text, Length, Pos, Width, Advance, Context);
    Rows[Count++] = Row.Row;
    if (Row.TextEnds) break;
    Pos = Row.Next;
    Continuation = Row.Wrapped;
  }
  return Count;
}

}  // namespace platform
