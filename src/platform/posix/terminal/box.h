// The message box drawn on the controlling terminal, for when no X display can show a window.
#ifndef ASKBOX_PLATFORM_POSIX_TERMINAL_BOX_H
#define ASKBOX_PLATFORM_POSIX_TERMINAL_BOX_H

#include "platform/posix/box/model.h"

namespace platform {

bool HasControllingTerminal();
// The pressed button's identifier; 0 without a terminal or where the box was closed with no
// answer to give. AlternateScreen stands for a hidden console: the box takes the whole screen.
int ShowTerminalBox(const MSGBOXPARAMSA& Params, const BoxModel& Model, bool AlternateScreen);

}  // namespace platform

#endif
