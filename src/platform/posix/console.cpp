// The console-window calls for POSIX: the terminal emulator's X window where WINDOWID names one, else the terminal.
#include "platform/posix/console.h"

#include "platform/posix/process.h"
#include "platform/posix/terminal/box.h"
#include "platform/posix/x11/display.h"

#include <string.h>
#include <unistd.h>

namespace platform {
namespace {

// The terminal has no window of its own; this stands for it where a handle is wanted.
HWND const TERMINAL_CONSOLE = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7E1E));

// Whether the console, the terminal's X window or the terminal itself, is hidden by SW_HIDE.
bool ConsoleHidden;

// A Windows console shows the command that runs in it; the closest here is the command line of
// the process that started this one.
DWORD ParentCommandLine(LPSTR Title, DWORD Size) {
  DWORD Filled = static_cast<DWORD>(ReadProcessFile(getppid(), "cmdline", Title, Size));
  while (Filled > 0 && Title[Filled - 1] == '\0') --Filled;
  for (DWORD I = 0; I < Filled; ++I)
    if (Title[I] == '\0') Title[I] = ' ';
  Title[Filled] = '\0';
  return Filled;
}

HWND WindowHandle(Window Target) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(Target)); }

}  // namespace

DWORD GetConsoleTitleA(LPSTR Title, DWORD Size) {
  if (Size == 0) return 0;
  Window Console = X11ConsoleWindow();
  DWORD Length = Console ? X11WindowTitle(Console, Title, Size) : 0;
  return Length > 0 ? Length : ParentCommandLine(Title, Size);
}

// The terminal emulator's window where WINDOWID names a live one; else the terminal itself, which
// the box then draws on, where there is one.
HWND GetConsoleWindow() {
  Window Console = X11ConsoleWindow();
  if (Console) return WindowHandle(Console);
  return HasControllingTerminal() ? TERMINAL_CONSOLE : nullptr;
}

// An X console is iconified rather than withdrawn: the window manager keeps its place in the
// task bar and gives it back where it was.
BOOL ShowWindow(HWND Window, int Command) {
  if (!Window) return 0;
  BOOL WasVisible = ConsoleHidden ? 0 : 1;
  ::Window Console = X11ConsoleWindow();
  bool IsX = Console != 0 && Window == WindowHandle(Console);
  if (Command == SW_HIDE && !ConsoleHidden) {
    if (IsX) X11Iconify(Console);
    ConsoleHidden = true;
  } else if (Command == SW_SHOW && ConsoleHidden) {
    if (IsX) X11MapAgain(Console);
    ConsoleHidden = false;
  }
  return WasVisible;
}

bool ShowHiddenConsole() {
  Window Console = X11ConsoleWindow();
  return ConsoleHidden && Console != 0 && X11MapAgain(Console);
}

bool ConsoleIsHidden() { return ConsoleHidden; }

Window X11Owner(HWND Owner) {
  Window Console = X11ConsoleWindow();
  return Console != 0 && Owner == WindowHandle(Console) ? Console : 0;
}

}  // namespace platform
