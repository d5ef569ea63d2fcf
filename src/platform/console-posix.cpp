// The console-window calls and the message box for POSIX: an X window where a display answers, else the terminal.
#include "platform/platform.h"

#include "platform/box-model-posix.h"
#include "platform/decimal.h"
#include "platform/terminal-box-posix.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

namespace platform {
namespace {

// The terminal has no window of its own; this stands for it where a handle is wanted.
HWND const TERMINAL_CONSOLE = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7E1E));

bool TerminalHidden;

// A Windows console shows the command that runs in it; the closest here is the command line of
// the process that started this one.
DWORD ParentCommandLine(LPSTR Title, DWORD Size) {
  char Path[64];
  const char PREFIX[] = "/proc/";
  memcpy(Path, PREFIX, sizeof PREFIX - 1);
  size_t Length = sizeof PREFIX - 1;
  Length += static_cast<size_t>(FormatDecimal(Path + Length, getppid()));
  memcpy(Path + Length, "/cmdline", sizeof "/cmdline");
  int Fd = open(Path, O_RDONLY | O_CLOEXEC);
  if (Fd < 0) return 0;
  DWORD Filled = 0;
  while (Filled + 1 < Size) {
    ssize_t Got = read(Fd, Title + Filled, Size - 1 - Filled);
    if (Got < 0 && errno == EINTR) continue;
    if (Got <= 0) break;
    Filled += static_cast<DWORD>(Got);
  }
  close(Fd);
  while (Filled > 0 && Title[Filled - 1] == '\0') --Filled;
  for (DWORD I = 0; I < Filled; ++I)
    if (Title[I] == '\0') Title[I] = ' ';
  Title[Filled] = '\0';
  return Filled;
}

}  // namespace

DWORD GetConsoleTitleA(LPSTR Title, DWORD Size) {
  if (Size == 0) return 0;
  return ParentCommandLine(Title, Size);
}

HWND GetConsoleWindow() { return HasControllingTerminal() ? TERMINAL_CONSOLE : nullptr; }

BOOL ShowWindow(HWND Window, int Command) {
  if (!Window) return 0;
  BOOL WasVisible = TerminalHidden ? 0 : 1;
  if (Command == SW_HIDE) TerminalHidden = true;
  if (Command == SW_SHOW) TerminalHidden = false;
  return WasVisible;
}

int MessageBoxIndirectA(const MSGBOXPARAMSA* Params) {
  BoxModel Model;
  if (!Params || !MakeBoxModel(Params->dwStyle, &Model)) return 0;
  return ShowTerminalBox(*Params, Model, TerminalHidden);
}

}  // namespace platform
