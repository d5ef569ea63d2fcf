// A box's time limit on POSIX: its deadline on the monotonic clock and the seconds left shown on the default button.
#ifndef ASKBOX_PLATFORM_POSIX_TIME_LIMIT_H
#define ASKBOX_PLATFORM_POSIX_TIME_LIMIT_H

#include "platform/posix/box/model.h"

#include <stdint.h>

namespace platform {

// Milliseconds on CLOCK_MONOTONIC, for waits that a clock set meanwhile must not move.
int64_t NowMs();

struct TimeLimit {
  bool Active;
  int64_t DeadlineMs;  // on CLOCK_MONOTONIC, so that a clock set meanwhile moves nothing
  int DefaultIndex;
  int DefaultId;
  unsigned ShownSeconds;
  const char* OwnLabel;  // the default button's label without the hint
  BoxButton Buttons[MAX_BUTTONS];
  char Label[LABEL_ROOM + 16];  // the label and " (4294967295)"
};

// Starts the count for Model->TimeLimit seconds, from now; none where that is 0. The model's
// buttons become the limit's own, the default one labelled with the seconds left ("OK (9)"), the
// longest that label gets, so a front end sizes its buttons for it.
void StartTimeLimit(TimeLimit* Limit, BoxModel* Model);
// The milliseconds a loop may wait before the label next changes or the time runs out; -1 for
// ever. Never more than Cap where Cap is not negative.
int TimeLimitWait(const TimeLimit& Limit, int Cap);
// Brings the label up to date; true where it changed, for the front end to draw it again.
bool TickTimeLimit(TimeLimit* Limit);
// Whether the time is up; the answer is then Limit.DefaultId.
bool TimeLimitOver(const TimeLimit& Limit);

}  // namespace platform

#endif
