// Where a row may end between two characters that are not blanks: the line-break classes of the scripts a box shows.
#ifndef ASKBOX_PLATFORM_POSIX_BOX_LINE_BREAKS_H
#define ASKBOX_PLATFORM_POSIX_BOX_LINE_BREAKS_H

#include <stdint.h>

namespace platform {

enum BreakClass : unsigned char {
  BREAK_ALPHABETIC,   // letters, digits and everything not named below
  BREAK_IDEOGRAPHIC,  // CJK, kana, Hangul, emoji: a break before and after
  BREAK_COMBINING,    // marks, variation selectors, tags: part of the character before
  BREAK_JOINER,       // zero width joiner: the character after belongs to the one before
  BREAK_MODIFIER,     // emoji skin tones
  BREAK_REGIONAL,     // flag letters, which pair up
  BREAK_GLUE,         // no-break space, word joiner: no break either side
  BREAK_ZERO_WIDTH,   // zero width space: a break after
  BREAK_OPENING,      // brackets and quotes that open: no break after
  BREAK_CLOSING,      // closing brackets, full stops, commas, small kana: no break before
  BREAK_QUOTE,        // ambiguous quotes: no break either side
  BREAK_HYPHEN,       // hyphens and dashes: a break after, none before
  BREAK_DASH,         // em dash: a break either side, but not between two
};

BreakClass BreakClassOf(uint32_t Code);

enum BreakChance { BREAK_INSIDE_CLUSTER, BREAK_NO, BREAK_YES };

// Follows a stretch of characters without blanks and tells, for each character, whether a row
// may end before it. A blank or a line end starts a new stretch: Reset.
class LineBreaker {
 public:
  void Reset() { Started = false; }
  BreakChance Before(uint32_t Code);

 private:
  bool Started = false;
  BreakClass Previous = BREAK_ALPHABETIC;  // a mark takes the class of what it marks
  bool JoinerBefore = false;
  bool OddRegional = false;  // the flag letter before has no partner yet
};

}  // namespace platform

#endif
