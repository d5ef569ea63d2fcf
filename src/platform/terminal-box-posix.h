// The message box drawn on the controlling terminal, for when no X display can show a window.
#ifndef ASKBOX_PLATFORM_TERMINAL_BOX_POSIX_H
#define ASKBOX_PLATFORM_TERMINAL_BOX_POSIX_H

#include "platform/box-model-posix.h"

namespace platform {

bool HasControllingTerminal();
// The pressed button's identifier; 0 without a terminal or where the box was closed with no
// answer to give. AlternateScreen stands for a hidden console: the box takes the whole screen.
int ShowTerminalBox(const MSGBOXPARAMSA& Params, const BoxModel& Model, bool AlternateScreen);

}  // namespace platform

#endif
