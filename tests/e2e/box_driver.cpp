// Test driver: shows one message box through the terminal stand-in and exits with the answer.
#include "platform/platform.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// box_driver <style-hex> <text> <caption> [hidden] [shown] [hinstance] [nulltext] [nullcaption]
// "shown" hides the console and shows it again, so the box must come out inline after all.
int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: box_driver <style-hex> <text> <caption> [hidden|shown|hinstance|nulltext|nullcaption]...\n");
    return 100;
  }
  platform::MSGBOXPARAMSA params;
  memset(&params, 0, sizeof params);
  params.cbSize = 40;
  params.dwStyle = static_cast<platform::DWORD>(strtoul(argv[1], nullptr, 16));
  params.lpszText = argv[2];
  params.lpszCaption = argv[3];
  for (int i = 4; i < argc; ++i) {
    platform::HWND console = platform::GetConsoleWindow();
    if (strcmp(argv[i], "hidden") == 0) {
      // Win32: the result says whether the window was visible before the call.
      if (console && platform::ShowWindow(console, platform::SW_HIDE) != 1) return 101;
    } else if (strcmp(argv[i], "shown") == 0) {
      if (console && platform::ShowWindow(console, platform::SW_HIDE) != 1) return 101;
      if (console && platform::ShowWindow(console, platform::SW_HIDE) != 0) return 102;
      if (console && platform::ShowWindow(console, platform::SW_SHOW) != 0) return 103;
    } else if (strcmp(argv[i], "hinstance") == 0) {
      params.hInstance = reinterpret_cast<platform::HINSTANCE>(static_cast<uintptr_t>(0x400000));
    } else if (strcmp(argv[i], "nulltext") == 0) {
      params.lpszText = nullptr;
    } else if (strcmp(argv[i], "nullcaption") == 0) {
      params.lpszCaption = nullptr;
    } else {
      fprintf(stderr, "box_driver: unknown option %s\n", argv[i]);
      return 100;
    }
  }
  return platform::MessageBoxIndirectA(&params);
}
