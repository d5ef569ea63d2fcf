// The message box on POSIX, and which front end shows it: a window where a display answers, else the terminal.
#include "platform/platform.h"

#include "platform/posix/box/request.h"
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
  BoxRequest Request;
  if (!Params || !MakeBoxRequest(*Params, BoxTimeout, &Request)) return 0;
  BoxOutcome Outcome = ShowX11Box(Request, X11Owner(Params->hwndOwner));
  if (Outcome.Ending == BOX_NOT_HERE) {
    // The terminal must then be on the screen to show the box; the hidden console's meaning is
    // kept by the alternate screen.
    ShowHiddenConsole();
    Outcome = ShowTerminalBox(Request, ConsoleIsHidden());
  }
  FreeBoxRequest(&Request);
  if (Outcome.Ending == BOX_SIGNALLED) EndBySignal(Outcome.Signal);
  return Outcome.Ending == BOX_ANSWERED ? Outcome.Answer : 0;
}

}  // namespace platform
