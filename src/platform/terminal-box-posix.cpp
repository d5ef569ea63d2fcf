// POSIX stand-in for the console-window calls and the modal message box, drawn on the controlling terminal.
#include "platform/platform.h"

#include "platform/decimal.h"
#include "platform/locale-posix.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {
namespace {

// ------------------------------------------------------------------ measuring text

enum GlyphKind { kShown, kSubstitute, kTab, kLineEnd };

struct Glyph {
  size_t length;  // bytes it takes in the string
  int width;      // columns; a tab's depends on where it lands
  GlyphKind kind;
};

struct CodeRange {
  uint32_t first;
  uint32_t last;
};

// Combining marks and invisible format characters sit on the cell before them.
const CodeRange kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
    {0xE0100, 0xE01EF}};

// East-Asian wide and fullwidth blocks, and the emoji blocks terminals give two cells.
const CodeRange kDoubleWidth[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD}};

bool InRanges(uint32_t code, const CodeRange* ranges, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (code >= ranges[i].first && code <= ranges[i].last) return true;
  }
  return false;
}

int CodeWidth(uint32_t code) {
  if (InRanges(code, kZeroWidth, sizeof kZeroWidth / sizeof kZeroWidth[0])) return 0;
  if (InRanges(code, kDoubleWidth, sizeof kDoubleWidth / sizeof kDoubleWidth[0])) return 2;
  return 1;
}

// Malformed UTF-8 costs exactly one byte, so whatever follows it is read afresh; C0 and C1
// controls become substitutes because a raw one could move the cursor or retitle the terminal.
Glyph NextGlyph(const unsigned char* s, size_t available) {
  unsigned lead = s[0];
  if (lead < 0x80) {
    if (lead == '\n') return {1, 0, kLineEnd};
    if (lead == '\r' && available > 1 && s[1] == '\n') return {2, 0, kLineEnd};
    if (lead == '\t') return {1, 0, kTab};
    if (lead < 0x20 || lead == 0x7F) return {1, 1, kSubstitute};
    return {1, 1, kShown};
  }
  size_t follow;
  uint32_t code;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range also rules out overlongs and surrogates
  if (lead >= 0xC2 && lead <= 0xDF) {
    follow = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    follow = 2;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    follow = 3;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {1, 1, kSubstitute};
  }
  if (available <= follow) return {1, 1, kSubstitute};
  for (size_t i = 1; i <= follow; ++i) {
    unsigned next = s[i];
    if (next < low || next > high) return {1, 1, kSubstitute};
    low = 0x80;
    high = 0xBF;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < 0xA0) return {follow + 1, 1, kSubstitute};
  return {follow + 1, CodeWidth(code), kShown};
}

int TabWidth(int column) { return 8 - column % 8; }

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

struct Span {
  size_t begin;
  size_t end;
};

// Breaks the text into rows of at most `width` columns, at the last blank of a row where there
// is one and between characters where there is not; gives up after `limit` rows because the
// caller cannot show more than that anyway.
int WrapText(const unsigned char* text, size_t length, int width, Span* rows, int limit) {
  int count = 0;
  size_t pos = 0;
  bool continuation = false;
  while (count < limit) {
    if (continuation) {
      while (pos < length && IsBlank(text[pos])) ++pos;
    }
    size_t p = pos;
    size_t blankStart = pos, wordBreak = pos;
    bool haveBreak = false, inBlank = false, content = false;
    int column = 0;
    for (;;) {
      Glyph g = {0, 0, kLineEnd};
      if (p < length) g = NextGlyph(text + p, length - p);
      if (g.kind == kLineEnd) {
        size_t end = p;
        while (end > pos && IsBlank(text[end - 1])) --end;
        rows[count++] = {pos, end};
        if (p >= length) return count;
        pos = p + g.length;
        continuation = false;
        break;
      }
      bool blank = IsBlank(text[p]);
      int w = g.kind == kTab ? TabWidth(column) : g.width;
      if (column > 0 && column + w > width) {
        size_t end = p;
        if (blank && inBlank) {
          end = blankStart;
        } else if (!blank && haveBreak) {
          end = wordBreak;
        }
        rows[count++] = {pos, end};
        pos = end;
        continuation = true;
        break;
      }
      if (blank && !inBlank) {
        blankStart = p;
        if (content) {
          wordBreak = p;
          haveBreak = true;
        }
      }
      if (!blank && g.width > 0) content = true;
      inBlank = blank;
      column += w;
      p += g.length;
    }
  }
  return count;
}

// ------------------------------------------------------------------ output

int g_tty = -1;
char g_out[4096];
size_t g_outLength;

// Also called from the signal handlers, so only async-signal-safe calls in here.
void WriteAll(int fd, const char* data, size_t length) {
  while (length > 0) {
    ssize_t n = write(fd, data, length);
    if (n > 0) {
      data += n;
      length -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd wait = {fd, POLLOUT, 0};
      if (poll(&wait, 1, 1000) > 0) continue;
    }
    return;  // the terminal is gone; there is nobody left to show these bytes to
  }
}

void Flush() {
  WriteAll(g_tty, g_out, g_outLength);
  g_outLength = 0;
}

void Put(const char* s, size_t n) {
  while (n > 0) {
    if (g_outLength == sizeof g_out) Flush();
    size_t room = sizeof g_out - g_outLength;
    size_t chunk = n < room ? n : room;
    memcpy(g_out + g_outLength, s, chunk);
    g_outLength += chunk;
    s += chunk;
    n -= chunk;
  }
}

void Put(const char* s) { Put(s, strlen(s)); }

// Writes "ESC [ <number> <final>" into `buffer`, returning its length.
size_t FormatCsi(char* buffer, unsigned number, char final) {
  buffer[0] = '\x1b';
  buffer[1] = '[';
  size_t n = 2 + static_cast<size_t>(FormatDecimal(buffer + 2, number));
  buffer[n++] = final;
  return n;
}

void PutCsi(unsigned number, char final) {
  char buffer[16];
  Put(buffer, FormatCsi(buffer, number, final));
}

// Zero-based row and column.
void PutCursorTo(int row, int column) {
  char buffer[32];
  size_t n = FormatCsi(buffer, static_cast<unsigned>(row + 1), ';');
  n += static_cast<size_t>(FormatDecimal(buffer + n, column + 1));
  buffer[n++] = 'H';
  Put(buffer, n);
}

// Cells of the box row being drawn; anything past the limit is dropped rather than wrapped,
// so a screen too small for the box crops it instead of scrambling the rows below.
int g_column;
int g_limit;
bool g_clipped;

void BeginArea(int limit) {
  g_limit = limit;
  g_clipped = false;
}

void PutGlyph(const char* s, size_t n, int width) {
  if (g_clipped || g_column + width > g_limit) {
    g_clipped = true;
    return;
  }
  Put(s, n);
  g_column += width;
}

void PutGlyph(const char* s, int width) { PutGlyph(s, strlen(s), width); }

void PadTo(int column) {
  while (g_column < column && g_column < g_limit) {
    Put(" ", 1);
    ++g_column;
  }
}

// Columns a row of text takes; with `draw` set it is also sent, tabs as spaces, controls as '?'.
int WalkRow(const unsigned char* text, Span row, bool draw) {
  int width = 0;
  size_t p = row.begin;
  while (p < row.end) {
    Glyph g = NextGlyph(text + p, row.end - p);
    if (g.kind == kTab) {
      int spaces = TabWidth(width);
      if (draw) {
        for (int i = 0; i < spaces; ++i) PutGlyph(" ", 1, 1);
      }
      width += spaces;
    } else {
      if (draw) {
        if (g.kind == kShown) {
          PutGlyph(reinterpret_cast<const char*>(text + p), g.length, g.width);
        } else {
          PutGlyph("?", 1, 1);
        }
      }
      width += g.width;
    }
    p += g.length;
  }
  return width;
}

// ------------------------------------------------------------------ the box

struct Frame {
  const char* topLeft;
  const char* topRight;
  const char* bottomLeft;
  const char* bottomRight;
  const char* horizontal;
  const char* vertical;
  const char* ellipsis;
  int ellipsisWidth;
};

// Box-drawing light lines and the horizontal ellipsis, spelt as bytes so the source stays ASCII.
const Frame kUtf8Frame = {"\xe2\x94\x8c", "\xe2\x94\x90", "\xe2\x94\x94", "\xe2\x94\x98",
                          "\xe2\x94\x80", "\xe2\x94\x82", "\xe2\x80\xa6", 1};
const Frame kAsciiFrame = {"+", "+", "+", "+", "-", "|", "...", 3};

// Icons are ASCII on purpose: the pictographs a UTF-8 terminal could show have no agreed width,
// and one cell of disagreement breaks the right-hand border.
struct Icon {
  const char* glyph;
  const char* colour;
};

const Icon kErrorIcon = {"(X)", "\x1b[1;31m"};
const Icon kQuestionIcon = {"(?)", "\x1b[1;34m"};
const Icon kWarningIcon = {"/!\\", "\x1b[1;33m"};
const Icon kInformationIcon = {"(i)", "\x1b[1;34m"};
const Icon kUserIcon = {"(*)", "\x1b[1;35m"};
const int kIconWidth = 3;
const int kIconGap = 2;

struct Button {
  const char* label;
  int id;
  bool accelerator;  // the first letter is underlined and presses the button
};

const Button kButtonSets[7][3] = {
    {{"OK", IDOK, false}},
    {{"OK", IDOK, false}, {"Cancel", IDCANCEL, false}},
    {{"Abort", IDABORT, true}, {"Retry", IDRETRY, true}, {"Ignore", IDIGNORE, true}},
    {{"Yes", IDYES, true}, {"No", IDNO, true}, {"Cancel", IDCANCEL, false}},
    {{"Yes", IDYES, true}, {"No", IDNO, true}},
    {{"Retry", IDRETRY, true}, {"Cancel", IDCANCEL, false}},
    {{"Cancel", IDCANCEL, false}, {"Try Again", IDTRYAGAIN, true},
     {"Continue", IDCONTINUE, true}}};
const int kButtonCounts[7] = {1, 2, 3, 3, 2, 2, 3};

struct Session {
  const unsigned char* text;
  size_t textLength;
  const unsigned char* caption;
  size_t captionLength;
  const Icon* icon;
  const Button* buttons;
  int count;
  int focus;
  int escapeAnswer;  // 0 where Esc has no meaning
  bool alternateScreen;
  const Frame* frame;
};

enum RowKind { kRowTop = -1, kRowBlank = -2, kRowEllipsis = -3, kRowButtons = -4, kRowBottom = -5 };

const int kMaxRows = 512;
const int kMinInner = 24;

struct Layout {
  int top, left, width, height;
  int padding, iconWidth, buttonLevel, captionWidth;
  short kinds[kMaxRows];
  Span text[kMaxRows + 1];
};

Layout g_layout;

int LabelLength(const Button& b) { return static_cast<int>(strlen(b.label)); }

// The widest label, padded to a common minimum so that "OK" is not a tiny target.
int ButtonField(const Session& s) {
  int field = 6;
  for (int i = 0; i < s.count; ++i) {
    if (LabelLength(s.buttons[i]) > field) field = LabelLength(s.buttons[i]);
  }
  return field;
}

// Level 0: equal buttons "[ label ]", 1: each as wide as its label, 2: "[label]" packed tight.
int ButtonWidth(const Session& s, int index, int level) {
  if (level == 0) return ButtonField(s) + 4;
  return LabelLength(s.buttons[index]) + (level == 1 ? 4 : 2);
}

int ButtonGap(int level) { return level < 2 ? 2 : 1; }

int ButtonRowWidth(const Session& s, int level) {
  int width = ButtonGap(level) * (s.count - 1);
  for (int i = 0; i < s.count; ++i) width += ButtonWidth(s, i, level);
  return width;
}

// A caption is one line: tabs become blanks and every other control a '?'.
int CaptionWidth(const Session& s) {
  int width = 0;
  for (size_t p = 0; p < s.captionLength;) {
    Glyph g = NextGlyph(s.caption + p, s.captionLength - p);
    width += g.kind == kShown ? g.width : 1;
    p += g.length;
  }
  return width;
}

void DrawCaption(const Session& s, int room) {
  bool fits = g_layout.captionWidth <= room;
  int budget = fits ? room : room - s.frame->ellipsisWidth;
  int used = 0;
  for (size_t p = 0; p < s.captionLength;) {
    Glyph g = NextGlyph(s.caption + p, s.captionLength - p);
    int w = g.kind == kShown ? g.width : 1;
    if (used + w > budget) break;
    if (g.kind == kShown) {
      PutGlyph(reinterpret_cast<const char*>(s.caption + p), g.length, w);
    } else {
      PutGlyph(g.kind == kTab ? " " : "?", 1, 1);
    }
    used += w;
    p += g.length;
  }
  if (!fits) PutGlyph(s.frame->ellipsis, s.frame->ellipsisWidth);
}

void ComputeLayout(const Session& s) {
  Layout& L = g_layout;
  int rows = 24, cols = 80;
  winsize size;
  if (ioctl(g_tty, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    rows = size.ws_row;
    cols = size.ws_col;
  }
  // Inline, the line the cursor was on must stay on screen so that it can be returned to.
  int maxHeight = s.alternateScreen ? rows : rows - 1;
  if (maxHeight < 1) maxHeight = 1;
  if (maxHeight > kMaxRows) maxHeight = kMaxRows;
  int maxInner = cols - 2;
  if (maxInner < 1) maxInner = 1;
  L.padding = maxInner >= 24 ? 2 : (maxInner >= 10 ? 1 : 0);
  L.iconWidth = s.icon ? kIconWidth + kIconGap : 0;
  int wrapWidth = maxInner - 2 * L.padding - L.iconWidth;
  if (wrapWidth < 1) wrapWidth = 1;

  int lines = WrapText(s.text, s.textLength, wrapWidth, L.text, maxHeight + 1);
  // Space is given up in order: the blank rows around the text, then the text's tail.
  bool blankRows = lines + 5 <= maxHeight;
  int shown = lines;
  bool cut = false;
  if (!blankRows && lines + 3 > maxHeight) {
    shown = maxHeight - 3;
    if (shown < 0) shown = 0;
    cut = true;
  }
  int h = 0;
  if (maxHeight >= 2) L.kinds[h++] = kRowTop;
  if (maxHeight >= 3) {
    if (blankRows) L.kinds[h++] = kRowBlank;
    for (int i = 0; i < shown; ++i) {
      L.kinds[h++] = static_cast<short>(cut && i == shown - 1 ? kRowEllipsis : i);
    }
    if (blankRows) L.kinds[h++] = kRowBlank;
  }
  L.kinds[h++] = kRowButtons;
  if (maxHeight >= 3) L.kinds[h++] = kRowBottom;
  L.height = h;

  int textWidth = 0;
  for (int i = 0; i < shown; ++i) {
    int w = (cut && i == shown - 1) ? s.frame->ellipsisWidth : WalkRow(s.text, L.text[i], false);
    if (w > textWidth) textWidth = w;
  }
  L.buttonLevel = 2;
  for (int level = 0; level < 2; ++level) {
    if (ButtonRowWidth(s, level) <= maxInner - 2 * L.padding) {
      L.buttonLevel = level;
      break;
    }
  }
  int content = L.iconWidth + textWidth;
  int buttons = ButtonRowWidth(s, L.buttonLevel);
  if (buttons > content) content = buttons;
  int inner = content + 2 * L.padding;
  L.captionWidth = CaptionWidth(s);
  if (L.captionWidth > 0 && L.captionWidth + 4 > inner) inner = L.captionWidth + 4;
  if (inner < kMinInner) inner = kMinInner;
  if (inner > maxInner) inner = maxInner;
  L.width = inner + 2;
  if (L.width > cols) L.width = cols;
  L.top = s.alternateScreen ? (rows - h) / 2 : 0;
  L.left = s.alternateScreen ? (cols - L.width) / 2 : 0;
  if (L.top < 0) L.top = 0;
  if (L.left < 0) L.left = 0;
}

void DrawButtons(const Session& s) {
  const Layout& L = g_layout;
  int level = L.buttonLevel;
  int inner = L.width - 2;
  PadTo(1 + (inner - ButtonRowWidth(s, level)) / 2);
  for (int i = 0; i < s.count; ++i) {
    const Button& b = s.buttons[i];
    if (i > 0) PadTo(g_column + ButtonGap(level));
    int length = LabelLength(b);
    int field = level == 0 ? ButtonField(s) : length;
    int inset = level < 2 ? 1 : 0;
    int before = (field - length) / 2;
    if (i == s.focus) Put("\x1b[7m");
    PutGlyph("[", 1);
    for (int k = 0; k < inset + before; ++k) PutGlyph(" ", 1);
    if (b.accelerator) {
      Put("\x1b[4m");
      PutGlyph(b.label, 1, 1);
      Put("\x1b[24m");
      PutGlyph(b.label + 1, static_cast<size_t>(length - 1), length - 1);
    } else {
      PutGlyph(b.label, static_cast<size_t>(length), length);
    }
    for (int k = 0; k < field - length - before + inset; ++k) PutGlyph(" ", 1);
    PutGlyph("]", 1);
    if (i == s.focus) Put("\x1b[27m");
  }
}

void DrawRow(const Session& s, int index) {
  const Layout& L = g_layout;
  const Frame& f = *s.frame;
  int kind = L.kinds[index];
  g_column = 0;
  BeginArea(L.width);
  if (kind == kRowTop || kind == kRowBottom) {
    PutGlyph(kind == kRowTop ? f.topLeft : f.bottomLeft, 1);
    if (kind == kRowTop && L.captionWidth > 0 && L.width - 2 >= 4 + 1) {
      PutGlyph(f.horizontal, 1);
      PutGlyph(" ", 1);
      Put("\x1b[1m");
      DrawCaption(s, L.width - 2 - 4);
      Put("\x1b[22m");
      PutGlyph(" ", 1);
    }
    for (int c = g_column; c < L.width - 1; ++c) PutGlyph(f.horizontal, 1);
    PutGlyph(kind == kRowTop ? f.topRight : f.bottomRight, 1);
    return;
  }
  PutGlyph(f.vertical, 1);
  if (kind == kRowButtons) {
    BeginArea(L.width - 1);
    DrawButtons(s);
  } else if (kind != kRowBlank) {
    BeginArea(L.width - 1 - L.padding);
    PadTo(1 + L.padding);
    if (s.icon && kind == 0) {
      Put(s.icon->colour);
      PutGlyph(s.icon->glyph, kIconWidth);
      Put("\x1b[0m");
    }
    PadTo(1 + L.padding + L.iconWidth);
    if (kind == kRowEllipsis) {
      PutGlyph(f.ellipsis, f.ellipsisWidth);
    } else {
      WalkRow(s.text, L.text[kind], true);
    }
  }
  BeginArea(L.width - 1);
  PadTo(L.width - 1);
  BeginArea(L.width);
  PutGlyph(f.vertical, 1);
}

// Inline, the cursor position is kept by the terminal (DECSC) rather than asked for with a
// position report: it needs no reply, so it also works where none would ever come.
void MoveToRow(const Session& s, int index) {
  if (s.alternateScreen) {
    PutCursorTo(g_layout.top + index, g_layout.left);
    return;
  }
  Put(index == 0 ? "\x1b" "8\n\r" : "\r\n");
}

// Inline, the hidden cursor is parked back on the caller's spot after every draw: a terminal that
// reflows its lines on a resize moves the real cursor along with that line, but not the saved one.
void Draw(const Session& s) {
  for (int i = 0; i < g_layout.height; ++i) {
    MoveToRow(s, i);
    DrawRow(s, i);
  }
  if (!s.alternateScreen) Put("\x1b" "8");
  Flush();
}

// Inline, the box goes on the lines below the cursor. Line feeds (without output processing they
// keep the column) scroll the screen if the room is not there yet; the same number of lines up
// is then the cursor's own spot again, whatever the scrolling did, and that is what gets saved.
void Place(const Session& s, bool again) {
  if (s.alternateScreen) {
    Put("\x1b[H\x1b[2J");
    return;
  }
  // After a resize the parked cursor is where the terminal took the caller's line, and whatever
  // the reflow made of the old box lies after it. A terminal that pushed that line into its
  // scrollback leaves the cursor at the top, and then the whole screen is old box.
  if (again) Put("\x1b" "7\x1b[J");
  for (int i = 0; i < g_layout.height; ++i) Put("\n", 1);
  PutCsi(static_cast<unsigned>(g_layout.height), 'A');
  Put("\x1b" "7");
}

// ------------------------------------------------------------------ terminal state and signals

// What the signal handlers need is static, built ahead of time with the signals blocked, so that
// a handler can put the terminal back at any instant with nothing but write() and tcsetattr().
termios g_savedModes;
char g_restore[64 + kMaxRows * 12];
size_t g_restoreLength;
int g_wake[2] = {-1, -1};
volatile sig_atomic_t g_resized;

const int kHandled[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGWINCH};
const int kHandledCount = sizeof kHandled / sizeof kHandled[0];
struct sigaction g_previous[kHandledCount];
bool g_installed[kHandledCount];

void Append(size_t* length, const char* s, size_t n) {
  memcpy(g_restore + *length, s, n);
  *length += n;
}

void Append(size_t* length, const char* s) { Append(length, s, strlen(s)); }

// The leading CAN aborts any escape sequence a signal may have cut in half. Inline, exactly the
// cells the box covered are erased, and the cursor (with its attributes) goes back where it was.
void BuildRestore(const Session& s) {
  size_t n = 0;
  Append(&n, "\x18\x1b[0m");
  if (s.alternateScreen) {
    Append(&n, "\x1b[?1049l");
  } else {
    Append(&n, "\x1b" "8\n\r");
    for (int i = 0; i < g_layout.height; ++i) {
      if (i > 0) Append(&n, "\x1b[B");
      char erase[16];
      Append(&n, erase, FormatCsi(erase, static_cast<unsigned>(g_layout.width), 'X'));
    }
    Append(&n, "\x1b" "8");
  }
  Append(&n, "\x1b[?25h");
  g_restoreLength = n;
}

void RestoreTerminal() {
  WriteAll(g_tty, g_restore, g_restoreLength);
  while (tcsetattr(g_tty, TCSADRAIN, &g_savedModes) != 0 && errno == EINTR) {
  }
}

void OnFatalSignal(int signal_number) {
  int saved = errno;
  WriteAll(g_tty, g_restore, g_restoreLength);
  tcsetattr(g_tty, TCSANOW, &g_savedModes);
  // Still blocked while this handler runs; delivered with the default action once it returns,
  // so the caller sees the process die of this very signal.
  signal(signal_number, SIG_DFL);
  raise(signal_number);
  errno = saved;
}

void OnResize(int) {
  int saved = errno;
  g_resized = 1;
  if (g_wake[1] >= 0) {
    char byte = 0;
    ssize_t ignored = write(g_wake[1], &byte, 1);
    (void)ignored;
  }
  errno = saved;
}

void BlockedSet(sigset_t* set) {
  sigemptyset(set);
  for (int i = 0; i < kHandledCount; ++i) sigaddset(set, kHandled[i]);
}

// A signal the caller ignores (nohup, a background job) stays ignored. SA_RESTART is left out so
// that a resize interrupts poll().
void InstallHandlers() {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  BlockedSet(&action.sa_mask);
  for (int i = 0; i < kHandledCount; ++i) {
    g_installed[i] = false;
    if (sigaction(kHandled[i], nullptr, &g_previous[i]) != 0) continue;
    bool ignored = !(g_previous[i].sa_flags & SA_SIGINFO) && g_previous[i].sa_handler == SIG_IGN;
    if (kHandled[i] != SIGWINCH && ignored) continue;
    action.sa_handler = kHandled[i] == SIGWINCH ? OnResize : OnFatalSignal;
    g_installed[i] = sigaction(kHandled[i], &action, nullptr) == 0;
  }
}

void RestoreHandlers() {
  for (int i = 0; i < kHandledCount; ++i) {
    if (g_installed[i]) sigaction(kHandled[i], &g_previous[i], nullptr);
    g_installed[i] = false;
  }
}

void OpenWakePipe() {
  if (pipe(g_wake) != 0) {
    g_wake[0] = g_wake[1] = -1;
    return;
  }
  for (int i = 0; i < 2; ++i) {
    fcntl(g_wake[i], F_SETFD, FD_CLOEXEC);
    fcntl(g_wake[i], F_SETFL, fcntl(g_wake[i], F_GETFL) | O_NONBLOCK);
  }
}

void DrainWakePipe() {
  char sink[32];
  while (g_wake[0] >= 0 && read(g_wake[0], sink, sizeof sink) > 0) {
  }
}

void CloseWakePipe() {
  for (int i = 0; i < 2; ++i) {
    if (g_wake[i] >= 0) close(g_wake[i]);
    g_wake[i] = -1;
  }
}

// Echo, line editing and signal keys go, so that every key reaches the box; output processing
// goes too, so that a line feed is a plain line feed (see Place).
bool EnterRawMode() {
  termios raw = g_savedModes;
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT);
  raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  // TCSAFLUSH drops keys typed before the box was shown: they were not meant as its answer.
  int result;
  while ((result = tcsetattr(g_tty, TCSAFLUSH, &raw)) != 0 && errno == EINTR) {
  }
  return result == 0;
}

// ------------------------------------------------------------------ keys

enum KeyAction { kNeedMore, kIgnore, kNext, kPrevious, kPress, kEscape, kInterrupt, kLetter };

struct Key {
  KeyAction action;
  size_t used;
  unsigned char letter;
};

KeyAction CursorKey(unsigned char final) {
  switch (final) {
    case 'A':  // up
    case 'D':  // left
    case 'Z':  // shift-tab
      return kPrevious;
    case 'B':  // down
    case 'C':  // right
      return kNext;
    default:
      return kIgnore;
  }
}

// `complete` says no more bytes are coming for now, so an unfinished sequence is all there is.
Key DecodeKey(const unsigned char* in, size_t n, bool complete) {
  unsigned char c = in[0];
  if (c != 0x1B) {
    if (c == '\r' || c == '\n' || c == ' ') return {kPress, 1, 0};
    if (c == '\t') return {kNext, 1, 0};
    if (c == 0x03) return {kInterrupt, 1, 0};
    if (c > 0x20 && c < 0x7F) return {kLetter, 1, c};
    return {kIgnore, 1, 0};
  }
  if (n == 1) return complete ? Key{kEscape, 1, 0} : Key{kNeedMore, 0, 0};
  if (in[1] == '[') {
    size_t i = 2;
    while (i < n && in[i] >= 0x20 && in[i] <= 0x3F) ++i;  // parameters, intermediates
    if (i == n) return complete ? Key{kIgnore, n, 0} : Key{kNeedMore, 0, 0};
    if (in[i] < 0x40 || in[i] > 0x7E) return {kIgnore, i, 0};  // broken: keep the stray byte
    // Modifiers (ESC [ 1 ; 5 C) do not change which way the focus goes.
    return {CursorKey(in[i]), i + 1, 0};
  }
  if (in[1] == 'O') {
    if (n == 2) return complete ? Key{kIgnore, 2, 0} : Key{kNeedMore, 0, 0};
    if (in[2] == 'M') return {kPress, 3, 0};  // keypad Enter
    return {CursorKey(in[2]), 3, 0};
  }
  if (in[1] == 0x1B) return {kEscape, 1, 0};  // Esc pressed twice
  return {kIgnore, 2, 0};                     // Alt with a key
}

const int kKeepGoing = -2;
const int kInterrupted = -1;
const int kEscapeWaitMs = 50;

int HandleKey(Session& s, Key key) {
  switch (key.action) {
    case kNext:
    case kPrevious:
      if (s.count > 1) {
        s.focus = (s.focus + (key.action == kNext ? 1 : s.count - 1)) % s.count;
        Draw(s);
      }
      return kKeepGoing;
    case kPress:
      return s.buttons[s.focus].id;
    case kEscape:
      return s.escapeAnswer != 0 ? s.escapeAnswer : kKeepGoing;
    case kInterrupt:
      return kInterrupted;
    case kLetter: {
      unsigned char upper = key.letter >= 'a' && key.letter <= 'z' ? key.letter - 32 : key.letter;
      for (int i = 0; i < s.count; ++i) {
        if (s.buttons[i].accelerator && static_cast<unsigned char>(s.buttons[i].label[0]) == upper) {
          return s.buttons[i].id;
        }
      }
      return kKeepGoing;
    }
    default:
      return kKeepGoing;
  }
}

void Relayout(Session& s) {
  sigset_t handled, previous;
  BlockedSet(&handled);
  sigprocmask(SIG_BLOCK, &handled, &previous);
  ComputeLayout(s);
  Place(s, true);
  Draw(s);
  BuildRestore(s);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

// A hang-up or end of input is taken as the user closing the box's window: on Windows that is
// only possible where Esc would answer, and gives the same answer (Cancel, or OK when OK is the
// only button). Without such an answer there is no button to report, so it is 0, a failure.
int RunLoop(Session& s) {
  unsigned char input[64];
  size_t have = 0;
  for (;;) {
    if (g_resized) {
      g_resized = 0;
      DrainWakePipe();
      Relayout(s);
    }
    while (have > 0) {
      Key key = DecodeKey(input, have, have == sizeof input);
      if (key.action == kNeedMore) break;
      memmove(input, input + key.used, have - key.used);
      have -= key.used;
      int answer = HandleKey(s, key);
      if (answer != kKeepGoing) return answer;
    }
    pollfd fds[2] = {{g_tty, POLLIN, 0}, {g_wake[0], POLLIN, 0}};
    int ready = poll(fds, g_wake[0] >= 0 ? 2 : 1, have > 0 ? kEscapeWaitMs : -1);
    if (ready < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return s.escapeAnswer;
    }
    if (ready == 0) {
      Key key = DecodeKey(input, have, true);
      memmove(input, input + key.used, have - key.used);
      have -= key.used;
      int answer = HandleKey(s, key);
      if (answer != kKeepGoing) return answer;
      continue;
    }
    if (g_wake[0] >= 0 && fds[1].revents) DrainWakePipe();
    if (fds[0].revents) {
      ssize_t got = read(g_tty, input + have, sizeof input - have);
      if (got > 0) {
        have += static_cast<size_t>(got);
      } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        return s.escapeAnswer;
      }
    }
  }
}

const Icon* IconFor(const MSGBOXPARAMSA& p) {
  switch (p.dwStyle & MB_ICONMASK) {
    case MB_ICONHAND:
      return &kErrorIcon;
    case MB_ICONQUESTION:
      return &kQuestionIcon;
    case MB_ICONEXCLAMATION:
      return &kWarningIcon;
    case MB_ICONASTERISK:
      return &kInformationIcon;
    case MB_USERICON:
      return p.hInstance ? &kUserIcon : nullptr;
    default:
      return nullptr;
  }
}

bool g_consoleHidden;

}  // namespace

HWND GetConsoleWindow() {
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  close(fd);
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7E1E));
}

BOOL ShowWindow(HWND window, int command) {
  if (!window) return 0;
  BOOL wasVisible = g_consoleHidden ? 0 : 1;
  if (command == SW_HIDE) g_consoleHidden = true;
  if (command == SW_SHOW) g_consoleHidden = false;
  return wasVisible;
}

int MessageBoxIndirectA(const MSGBOXPARAMSA* params) {
  if (!params) return 0;
  DWORD type = params->dwStyle & MB_TYPEMASK;
  if (type > MB_CANCELTRYCONTINUE) return 0;

  Session s;
  s.text = reinterpret_cast<const unsigned char*>(params->lpszText ? params->lpszText : "");
  s.textLength = strlen(reinterpret_cast<const char*>(s.text));
  s.caption = reinterpret_cast<const unsigned char*>(params->lpszCaption ? params->lpszCaption : "");
  s.captionLength = strlen(reinterpret_cast<const char*>(s.caption));
  s.icon = IconFor(*params);
  s.buttons = kButtonSets[type];
  s.count = kButtonCounts[type];
  int defaultButton = static_cast<int>((params->dwStyle & MB_DEFMASK) >> 8);
  s.focus = defaultButton < s.count ? defaultButton : 0;
  s.escapeAnswer = 0;
  for (int i = 0; i < s.count; ++i) {
    if (s.buttons[i].id == IDCANCEL) s.escapeAnswer = IDCANCEL;
  }
  if (type == MB_OK) s.escapeAnswer = IDOK;
  s.alternateScreen = g_consoleHidden;
  s.frame = LocaleIsUtf8() ? &kUtf8Frame : &kAsciiFrame;

  g_tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (g_tty < 0) return 0;
  if (tcgetattr(g_tty, &g_savedModes) != 0) {
    close(g_tty);
    g_tty = -1;
    return 0;
  }
  g_outLength = 0;
  g_restoreLength = 0;
  g_resized = 0;
  OpenWakePipe();

  // Signals wait until the terminal is in a state the prepared restore sequence matches.
  sigset_t handled, callerMask;
  BlockedSet(&handled);
  sigprocmask(SIG_BLOCK, &handled, &callerMask);
  InstallHandlers();
  int answer = 0;
  if (EnterRawMode()) {
    if (s.alternateScreen) Put("\x1b[?1049h");
    Put("\x1b[?25l");
    ComputeLayout(s);
    Place(s, false);
    Draw(s);
    BuildRestore(s);
    sigprocmask(SIG_SETMASK, &callerMask, nullptr);
    answer = RunLoop(s);
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    RestoreTerminal();
  }
  RestoreHandlers();
  CloseWakePipe();
  close(g_tty);
  g_tty = -1;
  sigprocmask(SIG_SETMASK, &callerMask, nullptr);

  if (answer == kInterrupted) {
    // Ctrl-C arrives as a byte while signal keys are off; it ends the program as the key would.
    signal(SIGINT, SIG_DFL);
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_UNBLOCK, &interrupt, nullptr);
    raise(SIGINT);
    return 0;
  }
  return answer;
}

}  // namespace platform
