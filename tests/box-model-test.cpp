// The pure parts of the POSIX message box: button sets and answers, glyphs, wrapping, key
// decoding, the terminal and window layouts, the desktop's settings, and the locale conversions.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/posix/box/copy.h"
#include "platform/posix/box/model.h"
#include "platform/posix/codeset.h"
#include "platform/posix/terminal/keys.h"
#include "platform/posix/terminal/layout.h"
#include "platform/posix/x11/text-runs.h"
#include "platform/posix/terminal/text.h"
#include "platform/posix/x11/layout.h"
#include "platform/posix/x11/xsettings.h"

namespace {

using namespace platform;

const unsigned char* Bytes(const char* Text) { return reinterpret_cast<const unsigned char*>(Text); }

// Catalogs in the forms translations take: a word with its own letter marked, a Latin letter
// after the word, and marks a box cannot use, which leave the English labels.
const char* FromCatalog(const char* const (*Catalog)[2], const char* MsgId) {
  for (; (*Catalog)[0] != nullptr; ++Catalog)
    if (strcmp((*Catalog)[0], MsgId) == 0) return (*Catalog)[1];
  return MsgId;
}
const char* German(const char* MsgId) {
  static const char* const CATALOG[][2] = {{"&Yes", "&Ja"}, {"&No", "&Nein"}, {"Cancel", "Abbrechen"},
                                           {"&Abort", "&Abbrechen"}, {"&Retry", "&Wiederholen"},
                                           {"&Ignore", "&Ignorieren"}, {nullptr, nullptr}};
  return FromCatalog(CATALOG, MsgId);
}
const char* Japanese(const char* MsgId) {
  static const char* const CATALOG[][2] = {{"&Yes", "\xe3\x81\xaf\xe3\x81\x84(&Y)"}, {"&No", "\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88(&N)"},
                                           {"Cancel", "R&&D"},
                                           {nullptr, nullptr}};
  return FromCatalog(CATALOG, MsgId);
}
const char* Unusable(const char* MsgId) {
  static const char* const CATALOG[][2] = {{"&Yes", "&J&a"}, {"&No", "Nein&"}, {"Cancel", ""}, {"OK", "O\tK"},
                                           {"&Retry", "&\xc3\xa9"}, {nullptr, nullptr}};
  return FromCatalog(CATALOG, MsgId);
}

TEST(BoxModel, ButtonSetsDefaultsAndCloseAnswers) {
  const struct {
    DWORD Style;
    std::string Labels;
    int Focus;
    int CloseAnswer;
    LabelSource Catalog = nullptr;
  } CASES[] = {
      {0x0, "OK", 0, IDOK},
      {0x1, "OK,Cancel", 0, IDCANCEL},
      {0x2, "Abort,Retry,Ignore", 0, 0},
      {0x3, "Yes,No,Cancel", 0, IDCANCEL},
      {0x4, "Yes,No", 0, 0},
      {0x5, "Retry,Cancel", 0, IDCANCEL},
      {0x6, "Cancel,Try Again,Continue", 0, IDCANCEL},
      {0x104, "Yes,No", 1, 0},
      {0x203, "Yes,No,Cancel", 2, IDCANCEL},
      {0x302, "Abort,Retry,Ignore", 0, 0},  // a fourth button the set lacks: the first
      {0x201, "OK,Cancel", 0, IDCANCEL},
      {0x41034, "Yes,No", 0, 0},  // icon and other style bits do not matter
      {0x103, "Ja,Nein,Abbrechen", 1, IDCANCEL, German},
      {0x2, "Abbrechen,Wiederholen,Ignorieren", 0, 0, German},
      {0x1, "OK,Abbrechen", 0, IDCANCEL, German},  // OK has no translation there: English
      {0x3, "Yes,No,Cancel", 0, IDCANCEL, Unusable},
      {0x5, "Retry,Cancel", 0, IDCANCEL, Unusable},
      {0x0, "OK", 0, IDOK, Unusable},
      {0x3, "\xe3\x81\xaf\xe3\x81\x84(Y),\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88(N),R&D", 0, IDCANCEL, Japanese},
  };
  for (const auto& Case : CASES) {
    BoxModel Model;
    ASSERT_TRUE(MakeBoxModel(Case.Style, &Model, Case.Catalog)) << Case.Style;
    std::string Labels;
    for (int I = 0; I < Model.ButtonCount; ++I) Labels += (I ? "," : "") + std::string(Model.Buttons[I].Label);
    EXPECT_EQ(Labels, Case.Labels) << Case.Style;
    EXPECT_EQ(Model.Focus, Case.Focus) << Case.Style;
    EXPECT_EQ(Model.CloseAnswer, Case.CloseAnswer) << Case.Style;
  }
  BoxModel Model;
  for (DWORD Style : {0x7u, 0x8u, 0xFu}) EXPECT_FALSE(MakeBoxModel(Style, &Model)) << Style;
}

// Windows' layout of a copied box: every label followed by three blanks, a rule of 27 dashes.
TEST(BoxCopy, LaidOutAsWindowsCopiesABox) {
  const std::string Rule = std::string(27, '-') + "\n";
  const struct {
    DWORD Style;
    const char* Caption;
    const char* Text;
    const char* Labels;
    LabelSource Catalog = nullptr;
    const char* Shown = nullptr;  // caption and text as copied, the rule between them a '=', where not as given
  } Cases[] = {{0x0, "Caption", "Text", "OK   "},
               {0x203, "", "", "Yes   No   Cancel   "},
               {0x6, "T\xc3\xa9", "a\nb", "Cancel   Try Again   Continue   "},
               {0x3, "", "", "Ja   Nein   Abbrechen   ", German},
               {0x0, "C\ta\r\n", "\x1b[201~\x07x\r\n\xc2\x9b\xff\t", "OK   ", nullptr,
                "C a =\xef\xbf\xbd[201~\xef\xbf\xbdx\n\xef\xbf\xbd\xef\xbf\xbd\t"}};
  for (const auto& C : Cases) {
    BoxModel Model;
    MakeBoxModel(C.Style, &Model, C.Catalog);
    size_t Length = 0;
    char* Copy = BoxCopyText(Bytes(C.Caption), strlen(C.Caption), Bytes(C.Text), strlen(C.Text), Model, &Length);
    ASSERT_NE(Copy, nullptr);
    std::string Shown = C.Caption + ("\n" + Rule) + C.Text;
    if (C.Shown) {
      Shown = C.Shown;
      Shown.replace(Shown.find('='), 1, "\n" + Rule);
    }
    EXPECT_EQ(std::string(Copy, Length), Rule + Shown + "\n" + Rule + C.Labels + "\n" + Rule);
    EXPECT_EQ(Copy[Length], '\0');
    free(Copy);
  }
}

TEST(BoxCopy, Base64AsOsc52CarriesIt) {
  const char* const Cases[][2] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
                                  {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xff\xfe\x80", "//6A"}};
  for (const auto& C : Cases) {
    char Out[16];
    size_t Length = Base64(Bytes(C[0]), strlen(C[0]), Out);
    EXPECT_EQ(std::string(Out, Length), C[1]) << C[0];
  }
}

TEST(BoxModel, AcceleratorsAndFocusSteps) {
  const struct {
    DWORD Style;
    unsigned Letter;
    int Answer;
    LabelSource Catalog = nullptr;
  } CASES[] = {{0x2, 'a', IDABORT}, {0x2, 'R', IDRETRY}, {0x2, 'i', IDIGNORE}, {0x3, 'y', IDYES},
               {0x3, 'N', IDNO},    {0x3, 'c', 0},       {0x1, 'o', 0},        {0x1, 'c', 0},
               {0x6, 't', IDTRYAGAIN}, {0x6, 'C', IDCONTINUE}, {0x4, 'x', 0},
               {0x3, 'j', IDYES, German}, {0x3, 'n', IDNO, German}, {0x3, 'y', 0, German},
               {0x2, 'w', IDRETRY, German}, {0x2, 'r', 0, German}, {0x2, 'A', IDABORT, German},
               {0x4, 'Y', IDYES, Japanese}, {0x4, 'n', IDNO, Japanese},
               {0x4, 0x159, 0, Japanese},  // beyond ASCII, though its low byte is a 'Y'
               {0x3, 'J', 0, Unusable}, {0x3, 'y', IDYES, Unusable}};
  for (const auto& Case : CASES) {
    BoxModel Model;
    MakeBoxModel(Case.Style, &Model, Case.Catalog);
    EXPECT_EQ(AcceleratorAnswer(Model, Case.Letter), Case.Answer) << Case.Style << " " << Case.Letter;
  }
  BoxModel Model;
  MakeBoxModel(0x3, &Model);
  const int STEPS[] = {1, 1, 1, -1, -1, -1, -1};
  const int FOCUS[] = {1, 2, 0, 2, 1, 0, 2};
  for (size_t I = 0; I < sizeof STEPS / sizeof STEPS[0]; ++I) {
    MoveFocus(&Model, STEPS[I]);
    EXPECT_EQ(Model.Focus, FOCUS[I]) << I;
  }
}

TEST(Glyphs, DecodingKeepsMalformedBytesToOne) {
  const struct {
    const char* Text;
    size_t Length;
    GlyphKind Kind;
    uint32_t Code;
  } CASES[] = {
      {"A", 1, GLYPH_SHOWN, 'A'},
      {"\n", 1, GLYPH_LINE_END, '\n'},
      {"\r\n", 2, GLYPH_LINE_END, '\n'},
      {"\r", 1, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},
      {"\t", 1, GLYPH_TAB, '\t'},
      {"\x1b", 1, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},
      {"\x7f", 1, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},
      {"\xc3\xa9", 2, GLYPH_SHOWN, 0xE9},
      {"\xc2\x9b", 2, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},  // C1 control
      {"\xe6\x97\xa5", 3, GLYPH_SHOWN, 0x65E5},
      {"\xf0\x9f\x98\x80", 4, GLYPH_SHOWN, 0x1F600},
      {"\xc0\xaf", 1, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},  // overlong
      {"\xed\xa0\x80", 1, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},  // surrogate
      {"\xe6\x97", 1, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},  // cut short
      {"\xff", 1, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},
      {"\xf4\x90\x80\x80", 1, GLYPH_SUBSTITUTE, REPLACEMENT_CHARACTER},  // past U+10FFFF
  };
  for (const auto& Case : CASES) {
    Glyph G = NextGlyph(Bytes(Case.Text), strlen(Case.Text));
    EXPECT_EQ(G.Length, Case.Length) << Case.Text;
    EXPECT_EQ(G.Kind, Case.Kind) << Case.Text;
    EXPECT_EQ(G.Code, Case.Code) << Case.Text;
  }
}

std::vector<std::string> Wrap(const char* Text, int Width) {
  Span Rows[64];
  int Count = WrapText(Bytes(Text), strlen(Text), Width, AdvanceCells, nullptr, Rows, 64);
  std::vector<std::string> Out;
  for (int I = 0; I < Count; ++I) Out.push_back(std::string(Text + Rows[I].Begin, Rows[I].End - Rows[I].Begin));
  return Out;
}

TEST(Wrapping, BreaksAtOpportunitiesThenBetweenCharacters) {
  typedef std::vector<std::string> Rows;
  const struct {
    const char* Text;
    int Width;
    Rows Expected;
  } CASES[] = {
      {"one two three", 7, {"one two", "three"}},
      {"one two three", 6, {"one", "two", "three"}},
      {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
      {"a\nb\r\n\nc", 10, {"a", "b", "", "c"}},
      {"  indented line", 20, {"  indented line"}},
      {"word    next", 6, {"word", "next"}},
      {"tail   \nx", 10, {"tail", "x"}},
      {"\tx", 10, {"\tx"}},
      {"ab\tcd", 9, {"ab", "cd"}},  // the tab takes the row to column 8
      {"\xe6\x97\xa5\xe6\x97\xa5\xe6\x97\xa5", 4, {"\xe6\x97\xa5\xe6\x97\xa5", "\xe6\x97\xa5"}},
      {"e\xcc\x81" "e\xcc\x81", 1, {"e\xcc\x81", "e\xcc\x81"}},  // a combining mark stays on
      {"", 5, {""}},
      {"x", 0, {"x"}},  // a row always takes one glyph
      {"e\xcc\x81x", 0, {"e\xcc\x81", "x"}},  // and what takes no room after it
      // Line-break opportunities other than blanks: between ideographs, but never before a full
      // stop; after a hyphen; never inside an emoji sequence, even where it takes room.
      {"\xe6\x97\xa5\xe6\x97\xa5\xe6\x97\xa5\xe3\x80\x82", 6, {"\xe6\x97\xa5\xe6\x97\xa5", "\xe6\x97\xa5\xe3\x80\x82"}},
      {"abc \xe6\x97\xa5\xe6\x97\xa5\xe6\x97\xa5", 7, {"abc \xe6\x97\xa5", "\xe6\x97\xa5\xe6\x97\xa5"}},
      {"well-known", 7, {"well-", "known"}},
      {"1-2345678", 4, {"1-23", "4567", "8"}},
      {"a\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9", 3, {"a", "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9"}},
      {"\xf0\x9f\x87\xab\xf0\x9f\x87\xb7\xf0\x9f\x87\xab\xf0\x9f\x87\xb7", 1,
       {"\xf0\x9f\x87\xab\xf0\x9f\x87\xb7", "\xf0\x9f\x87\xab\xf0\x9f\x87\xb7"}},
  };
  for (const auto& Case : CASES) EXPECT_EQ(Wrap(Case.Text, Case.Width), Case.Expected) << Case.Text;
}

TEST(Wrapping, StopsAtTheLimit) {
  Span Rows[3];
  EXPECT_EQ(WrapText(Bytes("a\nb\nc\nd\ne"), 9, 5, AdvanceCells, nullptr, Rows, 3), 3);
}

TEST(TerminalKeys, Decoding) {
  const struct {
    const char* In;
    bool Complete;
    KeyAction Action;
    size_t Used;
  } CASES[] = {
      {"\r", false, KEY_PRESS, 1},        {" ", false, KEY_PRESS, 1},
      {"\t", false, KEY_NEXT, 1},         {"\x03", false, KEY_INTERRUPT, 1},
      {"y", false, KEY_LETTER, 1},        {"\x1b", false, KEY_NEED_MORE, 0},
      {"\x1b", true, KEY_ESCAPE, 1},      {"\x1b[C", false, KEY_NEXT, 3},
      {"\x1b[D", false, KEY_PREVIOUS, 3}, {"\x1b[Z", false, KEY_PREVIOUS, 3},
      {"\x1b[1;5B", false, KEY_NEXT, 6},  {"\x1bOA", false, KEY_PREVIOUS, 3},
      {"\x1bOM", false, KEY_PRESS, 3},    {"\x1b[15~", false, KEY_IGNORE, 5},
      {"\x1b[1", false, KEY_NEED_MORE, 0}, {"\x1b[1", true, KEY_IGNORE, 3},
      {"\x1b\x1b", false, KEY_ESCAPE, 1}, {"\x1bx", false, KEY_IGNORE, 2},
      {"\xc3\xa9", false, KEY_IGNORE, 1},
  };
  for (const auto& Case : CASES) {
    Key K = DecodeKey(Bytes(Case.In), strlen(Case.In), Case.Complete ? NO_MORE_COMING : MORE_MAY_COME);
    EXPECT_EQ(K.Action, Case.Action) << Case.In;
    EXPECT_EQ(K.Used, Case.Used) << Case.In;
  }
}

TerminalBox MakeTerminalBox(const char* Text, const char* Caption, DWORD Style, bool Alternate) {
  TerminalBox Box;
  Box.Text = Bytes(Text);
  Box.TextLength = strlen(Text);
  Box.Caption = Bytes(Caption);
  Box.CaptionLength = strlen(Caption);
  static const TerminalIcon ICON = {"(i)", ""};
  Box.Icon = &ICON;
  MakeBoxModel(Style, &Box.Model);
  Box.AlternateScreen = Alternate;
  Box.Lines = &UTF8_FRAME;
  return Box;
}

TEST(TerminalLayout, FitsTheScreenAndKeepsTheButtons) {
  static TerminalLayout L;
  const struct {
    int Rows, Columns;
    const char* Text;
    bool Alternate;
  } CASES[] = {{24, 80, "Short", false},  {24, 80, "Short", true},   {5, 30, "a\nb\nc\nd\ne\nf", false},
               {3, 12, "Tiny screen", false}, {24, 20, "x x x x x x x x x x x x x x x x x x", false},
               {1, 1, "One cell", true}};
  for (const auto& Case : CASES) {
    TerminalBox Box = MakeTerminalBox(Case.Text, "Caption", 0x6, Case.Alternate);
    ComputeLayout(Box, Case.Rows, Case.Columns, &L);
    EXPECT_LE(L.Width, Case.Columns) << Case.Text;
    EXPECT_LE(L.Height, Case.Alternate ? Case.Rows : (Case.Rows > 1 ? Case.Rows - 1 : 1)) << Case.Text;
    EXPECT_LE(L.Top + L.Height, Case.Rows > 0 ? Case.Rows : 1) << Case.Text;
    int Buttons = 0;
    for (int I = 0; I < L.Height; ++I) Buttons += L.Kinds[I] == ROW_BUTTONS;
    EXPECT_EQ(Buttons, 1) << Case.Text;
  }
}

// A font of fixed 8-pixel glyphs, tab stops every 64.
int FixedAdvance(void*, const unsigned char*, const Glyph& G, int X) {
  return G.Kind == GLYPH_TAB ? (X / 64 + 1) * 64 : X + 8;
}

TEST(WindowLayout, WidensLongTextAndCutsWhatTheScreenCannotHold) {
  static WindowLayout L;
  std::string Paragraph, Lines;
  for (int I = 0; I < 200; ++I) Paragraph += "word ";
  for (int I = 0; I < 200; ++I) Lines += "line\n";
  const struct {
    std::string Text;
    double Scale;
    int MinRows, MaxRows;
    bool Cut;
  } CASES[] = {{"Short", 1.0, 1, 1, false},
               {Paragraph, 1.0, 3, 20, false},
               {Lines, 1.0, 2, 60, true},
               {Lines, 2.0, 2, 30, true}};
  for (const auto& Case : CASES) {
    WindowContent Content = {};
    Content.Text = Bytes(Case.Text.c_str());
    Content.TextLength = Case.Text.size();
    Content.HasIcon = true;
    Content.ButtonCount = 3;
    Content.LabelPixels[0] = 48;
    Content.LabelPixels[1] = 72;
    Content.LabelPixels[2] = 64;
    WindowMetrics Metrics = {Case.Scale, static_cast<int>(16 * Case.Scale), static_cast<int>(12 * Case.Scale),
                             1280, 800};
    LayOutWindow(Content, FixedAdvance, nullptr, Metrics, &L);
    EXPECT_GE(L.RowCount, Case.MinRows) << Case.Text.size();
    EXPECT_LE(L.RowCount, Case.MaxRows) << Case.Text.size();
    EXPECT_EQ(L.Cut, Case.Cut) << Case.Text.size();
    EXPECT_LE(L.Width, 1280);
    EXPECT_LE(L.Height, 800);
    EXPECT_LE(L.TextY + L.RowCount * Metrics.LineHeight, L.StripY);
    EXPECT_GE(L.ButtonX[0], 0);
    EXPECT_LE(L.ButtonX[2] + L.ButtonWidth, L.Width);
    EXPECT_GE(L.ButtonY + L.ButtonHeight, L.StripY);
    EXPECT_LE(L.ButtonY + L.ButtonHeight, L.Height);
    // Rows that are short by their own line breaks cannot be helped; a paragraph can.
    if (!L.Cut && L.RowCount > 3) {
      EXPECT_GT(L.Width, L.RowCount * Metrics.LineHeight) << "a tower";
    }
  }
}

// Mirroring moves the icon and the buttons and nothing else; a screen too narrow for the buttons
// squeezes them rather than the window past its edge.
TEST(WindowLayout, MirrorsAndKeepsToSmallScreens) {
  static WindowLayout Plain, L;
  const struct {
    bool RightToLeft;
    double Scale;
    int ScreenWidth, LabelPixels;
  } CASES[] = {{true, 1.0, 1280, 40}, {false, 2.0, 640, 126}, {true, 2.0, 640, 126}, {false, 2.0, 480, 126}};
  for (const auto& Case : CASES) {
    WindowContent Content = {};
    Content.Text = Bytes("Two words");
    Content.TextLength = 9;
    Content.HasIcon = true;
    Content.ButtonCount = 3;
    for (int& Pixels : Content.LabelPixels) Pixels = Case.LabelPixels;
    WindowMetrics Metrics = {Case.Scale, static_cast<int>(16 * Case.Scale), static_cast<int>(12 * Case.Scale),
                             Case.ScreenWidth, 480};
    LayOutWindow(Content, FixedAdvance, nullptr, Metrics, &Plain);
    Content.RightToLeft = Case.RightToLeft;
    LayOutWindow(Content, FixedAdvance, nullptr, Metrics, &L);
    EXPECT_LE(L.Width, Case.ScreenWidth) << Case.ScreenWidth;
    for (int I = 0; I < 3; ++I) EXPECT_TRUE(L.ButtonX[I] >= 0 && L.ButtonX[I] + L.ButtonWidth <= L.Width) << I;
    EXPECT_EQ(L.Width, Plain.Width);
    EXPECT_EQ(L.TextRight - L.TextX, Plain.TextRight - Plain.TextX);
    if (!Case.RightToLeft) continue;
    EXPECT_EQ(L.IconX + L.IconSize, L.Width - Plain.IconX);
    for (int I = 0; I < 3; ++I) EXPECT_EQ(L.ButtonX[I] + L.ButtonWidth, L.Width - Plain.ButtonX[I]) << I;
  }
}

TEST(TextRuns, ShapingOnlyWhereNeededAndRunsInDisplayOrder) {
  const struct {
    const char* Text;
    bool Needs;
  } TEXTS[] = {{"Plain", false}, {"caf\xc3\xa9 \xce\xb1\xd0\x96 \xe6\x97\xa5\xe6\x9c\xac", false},
               {"e\xcc\x81", true}, {"\xd7\xa9", true}, {"\xf0\x9f\x98\x80", true}, {"a\xe2\x80\x8d", true}};
  for (const auto& Case : TEXTS)
    EXPECT_EQ(TextNeedsShaping(Bytes(Case.Text), strlen(Case.Text)), Case.Needs) << Case.Text;
  const struct {
    std::vector<unsigned char> Levels;
    std::vector<int> Order;
  } ORDERS[] = {{{0, 1, 1, 0}, {0, 2, 1, 3}},
                {{1, 2, 2, 1}, {3, 1, 2, 0}},
                {{0, 1, 2, 1, 0}, {0, 3, 2, 1, 4}},
                {{2, 0}, {0, 1}}};
  for (const auto& Case : ORDERS) {
    std::vector<int> Order(Case.Levels.size());
    VisualRunOrder(Case.Levels.data(), static_cast<int>(Order.size()), Order.data());
    EXPECT_EQ(Order, Case.Order);
  }
}

// An XSETTINGS property of integers (Value) and strings (Text), least significant byte first or not.
std::string XSettings(const std::vector<std::pair<std::string, std::string>>& Settings, bool BigEndian) {
  auto Card = [BigEndian](uint32_t Value, int Bytes) {
    std::string Out;
    for (int I = 0; I < Bytes; ++I) Out += static_cast<char>(Value >> 8 * (BigEndian ? Bytes - 1 - I : I));
    return Out;
  };
  auto Pad = [](std::string Text) { return Text + std::string((4 - Text.size() % 4) % 4, '\0'); };
  std::string Out = std::string(1, BigEndian ? 1 : 0) + std::string(3, '\0') + Card(1, 4) + Card(Settings.size(), 4);
  for (const auto& [Name, Value] : Settings) {
    bool Text = Value.empty() || Value[0] != '#';
    Out += std::string(1, Text ? 1 : 0) + '\0' + Card(Name.size(), 2) + Pad(Name) + Card(0, 4);
    Out += Text ? Card(Value.size(), 4) + Pad(Value) : Card(static_cast<uint32_t>(std::stol(Value.substr(1))), 4);
  }
  return Out;
}

// What the desktop says, from the X resources and then from an XSETTINGS manager, which wins.
TEST(DesktopLook, ResourcesThenXSettings) {
  const struct {
    std::vector<std::pair<LookSetting, const char*>> Resources;
    std::vector<std::pair<std::string, std::string>> Settings;  // "#" before an integer
    FontRendering Rendering;
    double Dpi, Points;
    const char* Family;
    bool Dark;
  } CASES[] = {
      {{{LOOK_ANTIALIAS, "0"}, {LOOK_RGBA, "rgb"}, {LOOK_HINT_STYLE, "hintfull"}, {LOOK_LCD_FILTER, "lcdlight"}},
       {},
       {FcFalse, -1, FC_HINT_FULL, FC_RGBA_RGB, FC_LCD_LIGHT}, 0, 0, "", false},
      {{{LOOK_ANTIALIAS, "False"}, {LOOK_HINTING, "on"}, {LOOK_RGBA, "sideways"}, {LOOK_HINT_STYLE, "2"}},
       {},
       {FcFalse, FcTrue, FC_HINT_MEDIUM, -1, -1}, 0, 0, "", false},
      {{{LOOK_ANTIALIAS, "0"}, {LOOK_RGBA, "bgr"}},
       {{"Xft/Antialias", "#1"}, {"Xft/RGBA", "vrgb"}, {"Xft/DPI", "#196608"}, {"Gtk/FontName", "Cantarell 11"},
        {"Net/ThemeName", "Adwaita-dark"}},
       {FcTrue, -1, -1, FC_RGBA_VRGB, -1}, 192, 11, "Cantarell", true},
      // -1 leaves a setting to the resources; a colour or an unknown name is passed over.
      {{{LOOK_HINTING, "false"}},
       {{"Xft/Hinting", "#-1"}, {"Xft/DPI", "#-1"}, {"Gtk/FontName", "DejaVu Sans Bold Italic 9.5"},
        {"Xft/HintStyle", "hintslight"}, {"Net/ThemeName", "Adwaita"}},
       {-1, FcFalse, FC_HINT_SLIGHT, -1, -1}, 0, 9.5, "DejaVu Sans", false},
      {{}, {{"Net/ThemeName", "Arc-Dark"}}, {-1, -1, -1, -1, -1}, 0, 0, "", true},
      {{}, {{"Net/ThemeName", "Adwaita:dark"}}, {-1, -1, -1, -1, -1}, 0, 0, "", true},
      {{}, {{"Net/ThemeName", "Darkness"}, {"Gtk/ApplicationPreferDarkTheme", "#1"}}, {-1, -1, -1, -1, -1}, 0, 0, "",
       true},
      {{}, {{"Net/ThemeName", "Darkness"}, {"Gtk/FontName", "Noto Sans, Sans 400"}}, {-1, -1, -1, -1, -1}, 0, 0,
       "Noto Sans", false},
  };
  for (bool BigEndian : {false, true})
    for (const auto& Case : CASES) {
      DesktopLook Look;
      ClearDesktopLook(&Look);
      for (const auto& [Setting, Value] : Case.Resources) TakeXResource(Setting, Value, &Look);
      std::string Property = XSettings(Case.Settings, BigEndian);
      EXPECT_TRUE(TakeXSettings(Bytes(Property.c_str()), Property.size(), &Look));
      std::string Name = Case.Settings.empty() ? Case.Resources[0].second : Case.Settings[0].second;
      const FontRendering& R = Look.Rendering;
      EXPECT_EQ(std::vector<int>({R.Antialias, R.Hinting, R.HintStyle, R.Rgba, R.LcdFilter}),
                std::vector<int>({Case.Rendering.Antialias, Case.Rendering.Hinting, Case.Rendering.HintStyle,
                                  Case.Rendering.Rgba, Case.Rendering.LcdFilter}))
          << Name;
      EXPECT_EQ(Look.Dpi, Case.Dpi) << Name;
      EXPECT_EQ(Look.FontPoints, Case.Points) << Name;
      EXPECT_STREQ(Look.FontFamily, Case.Family) << Name;
      EXPECT_EQ(Look.Dark, Case.Dark) << Name;
      // Cut anywhere, the property says no more than its whole, and is never read past.
      for (size_t Cut = 0; Cut < Property.size(); ++Cut) {
        std::vector<unsigned char> Part(Property.begin(), Property.begin() + Cut);
        DesktopLook Short;
        ClearDesktopLook(&Short);
        EXPECT_EQ(TakeXSettings(Part.data(), Part.size(), &Short), Cut >= 12) << Name << " cut at " << Cut;
      }
    }
}

class Codesets : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
  }
  void TearDown() override { unsetenv("LANG"); }
};

TEST_F(Codesets, ToUtf8AndBack) {
  const struct {
    const char* Lang;
    std::string Locale;
    std::string Utf8;
    bool Back = true;
  } CASES[] = {
      {"C.UTF-8", "caf\xc3\xa9", "caf\xc3\xa9"},
      {"C.UTF-8", "a\xff" "b", "a\xff" "b"},  // left for NextGlyph to substitute, byte by byte
      {"C", "caf\xc3\xa9", "caf\xc3\xa9"},
      {"de_DE.ISO-8859-1", "caf\xe9", "caf\xc3\xa9"},
      {"de_DE.ISO-8859-15", "\xa4", "\xe2\x82\xac"},
      {"ja_JP.EUC-JP", "\xc6\xfc", "\xe6\x97\xa5"},
      {"ja_JP.EUC-JP", "a\xff" "b", "a\xef\xbf\xbd" "b"},
      // Decoders that expand a byte past three bytes of UTF-8, fail on a last byte they took, hold
      // a character back until they know no combining mark follows, or go past U+10FFFF.
      {"ta_IN.TSCII", "\x82", "\xe0\xae\xb8\xe0\xaf\x8d\xe0\xae\xb0\xe0\xaf\x80", false},
      {"zh_CN.ISO-2022-CN-EXT", "abc def\x0e", "abc def", false},
      {"he_IL.CP1255", "\xe0", "\xd7\x90"},
      {"xx_XX.UCS-4", std::string("\x00\x11\x00\x00", 4), "\xef\xbf\xbd"},
  };
  for (const auto& Case : CASES) {
    setenv("LANG", Case.Lang, 1);
    std::vector<char> Out(Utf8Room(Case.Locale.size()));
    size_t Length = LocaleToUtf8(Case.Locale.data(), Case.Locale.size(), Out.data(), Out.size());
    ASSERT_LT(Length, Out.size()) << Case.Lang;
    EXPECT_EQ(std::string(Out.data(), Length), Case.Utf8) << Case.Lang;
    if (!Case.Back || Case.Utf8.find("\xef\xbf\xbd") != std::string::npos || Case.Locale.find('\xff') != std::string::npos)
      continue;
    char Back[64];
    Length = Utf8ToLocale(Case.Utf8.data(), Case.Utf8.size(), Back, sizeof Back);
    EXPECT_EQ(std::string(Back, Length), Case.Locale) << Case.Lang;
  }
}

TEST_F(Codesets, BackCutsAtCharactersAndMarksWhatIsMissing) {
  setenv("LANG", "C.UTF-8", 1);
  char Out[5];
  EXPECT_EQ(Utf8ToLocale("ab\xe6\x97\xa5", 5, Out, sizeof Out), 2u);  // the 3 bytes would not fit
  EXPECT_STREQ(Out, "ab");
  setenv("LANG", "de_DE.ISO-8859-1", 1);
  char Latin[16];
  EXPECT_EQ(Utf8ToLocale("x\xe6\x97\xa5y", 5, Latin, sizeof Latin), 3u);
  EXPECT_STREQ(Latin, "x?y");
  char Wide[16];
  EXPECT_EQ(Latin1ToUtf8("\xe9\xff", 2, Wide, sizeof Wide), 4u);
  EXPECT_STREQ(Wide, "\xc3\xa9\xc3\xbf");
}

}  // namespace
