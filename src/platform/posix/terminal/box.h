// The message box drawn on the controlling terminal, for when no X display can show a window.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_BOX_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_BOX_H

#include "platform/posix/box/request.h"

namespace platform {

bool HasControllingTerminal();
// The box on the controlling terminal; not here without one, an answer of 0 where the box was
// closed with no answer to give, and signalled, with the terminal back, by a signal that ends the
// program or by a Ctrl-C that does not copy (as SIGINT). AlternateScreen stands for a hidden
// console: the box takes the whole screen.
BoxOutcome ShowTerminalBox(const BoxRequest& Request, bool AlternateScreen);

}  // namespace platform

#endif
