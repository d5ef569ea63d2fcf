// The terminal box's session on the controlling terminal, from raw mode to the terminal restored.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_SESSION_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_SESSION_H

#include "platform/posix/terminal/layout.h"

namespace platform {

const int SIGNALLED = -1;  // the box's EndingSignal says which
const int NO_TERMINAL = -3;

// Shows the box until it is answered: a button's identifier, the box's close answer, or one of
// the two above.
int RunTerminalBox(TerminalBox& Box);

}  // namespace platform

#endif
