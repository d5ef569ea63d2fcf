// Levels from FriBidi, glyphs from HarfBuzz on the fonts Xft chose, and rows drawn from them in display order.
#include "platform/posix/x11/shape.h"

#include "platform/posix/x11/library.h"

#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

// Characters that belong with the one before them, in its font, so that HarfBuzz sees the whole
// cluster: combining marks, joiners, variation selectors, emoji skin tones and tags.
bool JoinsPrevious(uint32_t Code) {
  return (Code >= 0x300 && Code <= 0x36F) || Code == 0x200C || Code == 0x200D || (Code >= 0x20D0 && Code <= 0x20FF) ||
         (Code >= 0xFE00 && Code <= 0xFE0F) || (Code >= 0x1F3FB && Code <= 0x1F3FF) ||
         (Code >= 0xE0020 && Code <= 0xE007F);
}

int Pixels(hb_position_t Value) { return Value >= 0 ? (Value + 32) / 64 : -((32 - Value) / 64); }

bool Reserve(ShapedText* Shaped, int* Room, unsigned More) {
  if (Shaped->GlyphCount + static_cast<int>(More) <= *Room) return true;
  int NewRoom = 2 * *Room + static_cast<int>(More);
  void* Grown = realloc(Shaped->Glyphs, static_cast<size_t>(NewRoom) * sizeof(ShapedGlyph));
  if (Grown == nullptr) return false;
  Shaped->Glyphs = static_cast<ShapedGlyph*>(Grown);
  *Room = NewRoom;
  return true;
}

// The run's glyphs, shaped with the paragraph around it as context. Advances are Xft's own, so
// that they match what Xft draws (a colour emoji font's bitmaps are scaled to the text's size by
// Xft, not by HarfBuzz); offsets, which only marks have, are HarfBuzz's.
bool ShapeRun(ShapedText* Shaped, int* Room, size_t ParagraphBegin, size_t ParagraphEnd, XftFont* Font,
              ShapedRun* Run) {
  FT_Face Face = XftLockFace(Font);
  if (Face == nullptr) return false;
  hb_buffer_t* Buffer = hb_buffer_create();
  hb_buffer_add_utf8(Buffer, reinterpret_cast<const char*>(Shaped->Measured.Text + ParagraphBegin),
                     static_cast<int>(ParagraphEnd - ParagraphBegin),
                     static_cast<unsigned>(Run->Begin - ParagraphBegin), static_cast<int>(Run->End - Run->Begin));
  hb_buffer_set_direction(Buffer, (Run->Level & 1) ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_buffer_guess_segment_properties(Buffer);
  hb_font_t* Shaper = hb_ft_font_create_referenced(Face);
  hb_shape(Shaper, Buffer, nullptr, 0);
  hb_font_destroy(Shaper);
  bool Scalable = FT_IS_SCALABLE(Face);
  unsigned Count = 0;
  hb_glyph_info_t* Infos = hb_buffer_get_glyph_infos(Buffer, &Count);
  hb_glyph_position_t* Positions = hb_buffer_get_glyph_positions(Buffer, &Count);
  bool Done = Reserve(Shaped, Room, Count);
  if (Done) {
    Run->First = Shaped->GlyphCount;
    Run->Count = static_cast<int>(Count);
    for (unsigned I = 0; I < Count; ++I) {
      ShapedGlyph& G = Shaped->Glyphs[Shaped->GlyphCount++];
      G.Font = Font;
      G.Id = Infos[I].codepoint;
      G.Cluster = ParagraphBegin + Infos[I].cluster;
      G.Advance = 0;
      if (Positions[I].x_advance != 0) {
        FT_UInt Id = G.Id;
        XGlyphInfo Extents;
        XftGlyphExtents(Shaped->Measured.Fonts->Dpy, Font, &Id, 1, &Extents);
        G.Advance = Extents.xOff;
      }
      G.OffsetX = Scalable ? Pixels(Positions[I].x_offset) : 0;
      G.OffsetY = Scalable ? Pixels(Positions[I].y_offset) : 0;
      if (G.Cluster < Shaped->Measured.Length) Shaped->Measured.Advances[G.Cluster] += G.Advance;
    }
  }
  hb_buffer_destroy(Buffer);
  XftUnlockFace(Font);
  return Done;
}

struct Scratch {
  FriBidiChar* Codes;
  size_t* Starts;  // one more than the characters: the paragraph's end
  FriBidiCharType* Types;
  FriBidiBracketType* Brackets;
  FriBidiLevel* Levels;
  XftFont** Fonts;  // null for a tab
};

bool ShapeParagraph(ShapedText* Shaped, int* Room, Scratch& S, int Count, bool RightToLeft) {
  fribidi_get_bidi_types(S.Codes, Count, S.Types);
  fribidi_get_bracket_types(S.Codes, Count, S.Types, S.Brackets);
  FriBidiParType Direction = RightToLeft ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_ON;
  if (fribidi_get_par_embedding_levels_ex(S.Types, S.Brackets, Count, &Direction, S.Levels) == 0)
    memset(S.Levels, RightToLeft ? 1 : 0, static_cast<size_t>(Count) * sizeof(FriBidiLevel));
  for (int I = 0; I < Count; ++I) {
    uint32_t Code = S.Codes[I];
    if (Code == '\t') {
      S.Fonts[I] = nullptr;
    } else if (I > 0 && S.Fonts[I - 1] != nullptr && JoinsPrevious(Code)) {
      S.Fonts[I] = S.Fonts[I - 1];
    } else {
      S.Fonts[I] = FontFor(Shaped->Measured.Fonts, &Code);
    }
  }
  for (int I = 0; I < Count;) {
    int J = I + 1;
    if (S.Fonts[I] != nullptr)
      while (J < Count && S.Fonts[J] == S.Fonts[I] && S.Levels[J] == S.Levels[I]) ++J;
    ShapedRun& Run = Shaped->Runs[Shaped->RunCount++];
    Run = {S.Starts[I], S.Starts[J], static_cast<unsigned char>(S.Levels[I]), S.Fonts[I] == nullptr, 0, 0};
    if (!Run.Tab && !ShapeRun(Shaped, Room, S.Starts[0], S.Starts[Count], S.Fonts[I], &Run)) return false;
    I = J;
  }
  return true;
}

// The runs of Row, cut to it, in logical order, with their widths; a tab's width is where it falls
// in logical order, as the wrapping measured it.
int RowRuns(const ShapedText& Shaped, Span Row, ShapedRun* Runs, int* Widths) {
  int Count = 0, X = 0;
  for (int R = 0; R < Shaped.RunCount; ++R) {
    ShapedRun Run = Shaped.Runs[R];
    if (Run.End <= Row.Begin || Run.Begin >= Row.End) continue;
    if (Run.Begin < Row.Begin) Run.Begin = Row.Begin;
    if (Run.End > Row.End) Run.End = Row.End;
    int Width = Run.Tab ? NextTabStop(Shaped.Measured.Fonts, X) - X : 0;
    for (int I = Run.First; I < Run.First + Run.Count; ++I) {
      const ShapedGlyph& G = Shaped.Glyphs[I];
      if (G.Cluster >= Run.Begin && G.Cluster < Run.End) Width += G.Advance;
    }
    Runs[Count] = Run;
    Widths[Count++] = Width;
    X += Width;
  }
  return Count;
}

}  // namespace

bool ShapeText(BoxFonts* Fonts, const unsigned char* Text, size_t Length, bool RightToLeft, ShapedText* Out) {
  memset(Out, 0, sizeof *Out);
  Out->Measured.Fonts = Fonts;
  Out->Measured.Text = Text;
  Out->Measured.Length = Length;
  size_t Most = Length + 1;
  Out->Measured.Advances = static_cast<int*>(calloc(Most, sizeof(int)));
  Out->Runs = static_cast<ShapedRun*>(malloc(Most * sizeof(ShapedRun)));
  Scratch S;
  S.Codes = static_cast<FriBidiChar*>(malloc(Most * sizeof(FriBidiChar)));
  S.Starts = static_cast<size_t*>(malloc((Most + 1) * sizeof(size_t)));
  S.Types = static_cast<FriBidiCharType*>(malloc(Most * sizeof(FriBidiCharType)));
  S.Brackets = static_cast<FriBidiBracketType*>(malloc(Most * sizeof(FriBidiBracketType)));
  S.Levels = static_cast<FriBidiLevel*>(malloc(Most * sizeof(FriBidiLevel)));
  S.Fonts = static_cast<XftFont**>(malloc(Most * sizeof(XftFont*)));
  bool Ok = Out->Measured.Advances && Out->Runs && S.Codes && S.Starts && S.Types && S.Brackets && S.Levels && S.Fonts;
  int Room = 0, Count = 0;
  // Each paragraph is shaped when its line end, or the text's, comes.
  for (const GlyphStep& Step : GlyphsOf(Text, Ok ? Length : 0)) {
    if (Step.G.Kind != GLYPH_LINE_END) {
      S.Codes[Count] = Step.G.Kind == GLYPH_TAB ? '\t' : Step.G.Code;
      S.Starts[Count++] = Step.At;
      continue;
    }
    S.Starts[Count] = Step.At;
    if (Count > 0 && !(Ok = ShapeParagraph(Out, &Room, S, Count, RightToLeft))) break;
    Count = 0;
  }
  if (Ok && Count > 0) {
    S.Starts[Count] = Length;
    Ok = ShapeParagraph(Out, &Room, S, Count, RightToLeft);
  }
  free(S.Codes);
  free(S.Starts);
  free(S.Types);
  free(S.Brackets);
  free(S.Levels);
  free(S.Fonts);
  if (!Ok) FreeShapedText(Out);
  return Ok;
}

void FreeShapedText(ShapedText* Shaped) {
  FreeMeasuredText(&Shaped->Measured);
  free(Shaped->Glyphs);
  free(Shaped->Runs);
  memset(Shaped, 0, sizeof *Shaped);
}

void DrawShapedRow(const ShapedText& Shaped, XftDraw* Draw, const XftColor* Colour, int X, int Baseline, Span Row) {
  size_t Runs = static_cast<size_t>(Shaped.RunCount) + 1;
  ShapedRun* RowRunList = static_cast<ShapedRun*>(malloc(Runs * sizeof(ShapedRun)));
  int* Widths = static_cast<int*>(malloc(Runs * sizeof(int)));
  int* Order = static_cast<int*>(malloc(Runs * sizeof(int)));
  unsigned char* Levels = static_cast<unsigned char*>(malloc(Runs));
  XftGlyphFontSpec* Specs =
      static_cast<XftGlyphFontSpec*>(malloc((static_cast<size_t>(Shaped.GlyphCount) + 1) * sizeof(XftGlyphFontSpec)));
  if (RowRunList && Widths && Order && Levels && Specs) {
    int Count = RowRuns(Shaped, Row, RowRunList, Widths);
    for (int I = 0; I < Count; ++I) Levels[I] = RowRunList[I].Level;
    VisualRunOrder(Levels, Count, Order);
    int Pen = X, N = 0;
    for (int K = 0; K < Count; ++K) {
      const ShapedRun& Run = RowRunList[Order[K]];
      if (Run.Tab) Pen += Widths[Order[K]];
      for (int I = Run.First; !Run.Tab && I < Run.First + Run.Count; ++I) {
        const ShapedGlyph& G = Shaped.Glyphs[I];
        if (G.Cluster < Run.Begin || G.Cluster >= Run.End) continue;
        Specs[N++] = {G.Font, G.Id, static_cast<short>(Pen + G.OffsetX), static_cast<short>(Baseline - G.OffsetY)};
        Pen += G.Advance;
      }
    }
    XftDrawGlyphFontSpec(Draw, Colour, Specs, N);
  }
  free(RowRunList);
  free(Widths);
  free(Order);
  free(Levels);
  free(Specs);
}

}  // namespace platform
