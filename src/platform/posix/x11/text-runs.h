// Which text needs shaping, and the display order of its runs: pure functions of the text alone.
#ifndef ASKBOX_PLATFORM_POSIX_X11_TEXT_RUNS_H
#define ASKBOX_PLATFORM_POSIX_X11_TEXT_RUNS_H

#include "platform/posix/box/model.h"

namespace platform {

// Whether clean UTF-8 has a character that the font-by-font drawing gets wrong: combining marks,
// right-to-left and joining scripts, the scripts of South and South-East Asia, joiners and
// variation selectors, bidirectional controls, and everything past the Basic Multilingual Plane
// (emoji sequences among it). Latin, Greek, Cyrillic and CJK text never needs shaping, so it never
// pays for loading HarfBuzz and FriBidi.
bool TextNeedsShaping(const unsigned char* Text, size_t Length);

// Rule L2 of the bidirectional algorithm on whole runs: Order receives the indices of Count runs
// of the given embedding levels (0 to 125), left to right as they are shown.
void VisualRunOrder(const unsigned char* Levels, int Count, int* Order);

}  // namespace platform

#endif
