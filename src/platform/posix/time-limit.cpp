// A box's time limit on POSIX: the deadline, the waits up to it, and the seconds-left label.
#include "platform/posix/time-limit.h"

#include <algorithm>
#include <stdio.h>
#include <time.h>

namespace platform {
namespace {

const int64_t SECOND_MS = 1000;

int64_t LeftMs(const TimeLimit& Limit) {
  return std::max(Limit.DeadlineMs - NowMs(), int64_t{0});
}

// Whole seconds left, rounded up: a box shows "(1)" until the very end, never "(0)".
unsigned SecondsLeft(const TimeLimit& Limit) {
  return static_cast<unsigned>((LeftMs(Limit) + SECOND_MS - 1) / SECOND_MS);
}

void Relabel(TimeLimit* Limit, unsigned Seconds) {
  snprintf(Limit->Label, sizeof Limit->Label, "%s (%u)", Limit->OwnLabel, Seconds);
  Limit->ShownSeconds = Seconds;
}

}  // namespace

int64_t NowMs() {
  timespec Now;
  clock_gettime(CLOCK_MONOTONIC, &Now);
  return static_cast<int64_t>(Now.tv_sec) * SECOND_MS + Now.tv_nsec / 1000000;
}

void StartTimeLimit(TimeLimit* Limit, BoxModel* Model) {
  Limit->Active = Model->TimeLimit > 0;
  if (!Limit->Active) return;
  Limit->DeadlineMs = NowMs() + static_cast<int64_t>(Model->TimeLimit) * SECOND_MS;
  Limit->DefaultIndex = Model->Focus;
  Limit->DefaultId = Model->Buttons[Model->Focus].Id;
  for (int I = 0; I < Model->ButtonCount; ++I) Limit->Buttons[I] = Model->Buttons[I];
  Limit->OwnLabel = Model->Buttons[Model->Focus].Label;
  Relabel(Limit, Model->TimeLimit);
  Limit->Buttons[Limit->DefaultIndex].Label = Limit->Label;
  Model->Buttons = Limit->Buttons;
}

int TimeLimitWait(const TimeLimit& Limit, int Cap) {
  if (!Limit.Active) return Cap;
  int64_t Left = LeftMs(Limit);
  // Until the shown number is due to drop: the rest of the current second.
  int64_t Wait = Left == 0 ? 0 : Left - (Left - 1) / SECOND_MS * SECOND_MS;
  if (Cap >= 0 && Wait > Cap) Wait = Cap;
  return static_cast<int>(Wait);
}

bool TickTimeLimit(TimeLimit* Limit) {
  if (!Limit->Active) return false;
  unsigned Seconds = SecondsLeft(*Limit);
  if (Seconds == Limit->ShownSeconds || Seconds == 0) return false;
  Relabel(Limit, Seconds);
  return true;
}

bool TimeLimitOver(const TimeLimit& Limit) { return Limit.Active && LeftMs(Limit) == 0; }

}  // namespace platform
