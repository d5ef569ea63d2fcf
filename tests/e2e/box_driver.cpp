// Test driver: shows one message box through the terminal stand-in and exits with the answer.
#include "platform/platform.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// box_driver <style-hex> <text> <caption> [hidden] [shown] [hinstance] [nulltext] [nullcaption] [timeout=N]
// "shown" hides the console and shows it again, so the box must come out inline after all.
int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: box_driver <style-hex> <text> <caption> [hidden|shown|hinstance|nulltext|nullcaption|timeout=N]...\n");
    return 100;
  }
  platform::MSGBOXPARAMSA Params;
  memset(&Params, 0, sizeof Params);
  Params.cbSize = 40;
  Params.dwStyle = static_cast<platform::DWORD>(strtoul(argv[1], nullptr, 16));
  Params.lpszText = argv[2];
  Params.lpszCaption = argv[3];
  for (int I = 4; I < argc; ++I) {
    platform::HWND Console = platform::GetConsoleWindow();
    if (strcmp(argv[I], "hidden") == 0) {
      // Win32: the result says whether the window was visible before the call.
      if (Console && platform::ShowWindow(Console, platform::SW_HIDE) != 1) return 101;
    } else if (strcmp(argv[I], "shown") == 0) {
      if (Console && platform::ShowWindow(Console, platform::SW_HIDE) != 1) return 101;
      if (Console && platform::ShowWindow(Console, platform::SW_HIDE) != 0) return 102;
      if (Console && platform::ShowWindow(Console, platform::SW_SHOW) != 0) return 103;
    } else if (strcmp(argv[I], "hinstance") == 0) {
      Params.hInstance = reinterpret_cast<platform::HINSTANCE>(static_cast<uintptr_t>(0x400000));
    } else if (strcmp(argv[I], "nulltext") == 0) {
      Params.lpszText = nullptr;
    } else if (strcmp(argv[I], "nullcaption") == 0) {
      Params.lpszCaption = nullptr;
    } else if (strncmp(argv[I], "timeout=", 8) == 0) {
      platform::SetMessageBoxTimeout(static_cast<platform::UINT>(strtoul(argv[I] + 8, nullptr, 10)));
    } else {
      fprintf(stderr, "box_driver: unknown option %s\n", argv[I]);
      return 100;
    }
  }
  return platform::MessageBoxIndirectA(&Params);
}
