// The message box on POSIX, and which front end shows it: a window where a display answers, else the terminal.
#include "platform/platform.h"

#include "platform/posix/box/model.h"
#include "platform/posix/console.h"
#include "platform/posix/terminal/box.h"
#include "platform/posix/x11/box.h"

#include <signal.h>

namespace platform {
namespace {

UINT BoxTimeout;

// The program ends of the signal, as it would have without the box, but not before the console
// window it hid is back.
void EndBySignal(int Signal) {
  ShowHiddenConsole();
  signal(Signal, SIG_DFL);
  sigset_t Only;
  sigemptyset(&Only);
  sigaddset(&Only, Signal);
  sigprocmask(SIG_UNBLOCK, &Only, nullptr);
  raise(Signal);
}

}  // namespace

void SetMessageBoxTimeout(UINT Seconds) { BoxTimeout = Seconds; }

int MessageBoxIndirectA(const MSGBOXPARAMSA* Params) {
  BoxModel Model;
  if (!Params || !MakeBoxModel(Params->dwStyle, &Model)) return 0;
  Model.TimeLimit = BoxTimeout;
  BoxOutcome Outcome = ShowX11Box(*Params, Model, X11Owner(Params->hwndOwner));
  if (Outcome.Ending == BOX_NOT_HERE) {
    // The terminal must then be on the screen to show the box; the hidden console's meaning is
    // kept by the alternate screen.
    ShowHiddenConsole();
    Outcome = ShowTerminalBox(*Params, Model, ConsoleIsHidden());
  }
  if (Outcome.Ending == BOX_SIGNALLED) EndBySignal(Outcome.Signal);
  return Outcome.Ending == BOX_ANSWERED ? Outcome.Answer : 0;
}

}  // namespace platform
