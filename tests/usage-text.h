// The usage text as a user sees it, written out in full so that any drift in the program shows.
#ifndef ASKBOX_TESTS_USAGE_TEXT_H
#define ASKBOX_TESTS_USAGE_TEXT_H

#include <string>

inline std::string ExpectedUsage(const std::string& file) {
  const char* lines[] = {
      "text=          The message to show in the messagebox",
      "caption=       MessageBox window title",
      "icon=          Specifies the icon to use:",
      "               0=No icon(default)",
      "               64=Information icon",
      "               48=Warning icon",
      "               16=Error icon",
      "               32=Question Mark",
      "button=        Button type number",
      "               0=ok(default)",
      "               4=Yes/no",
      "               3=Yes/no/cancel",
      "               1=Ok/cancel",
      "               2=abort/retry/ignore",
      "               5=Retry/cancel",
      "mode=          Set optional modes, can be a combination of the following numbers:",
      "               1=Hide console window until finished",
      "               2=Don't set console window as parent of the messagebox",
      "               4=Show message box to the current active desktop, even when no one is logged in.",
      "               8=the icon= specifies an icon filename and resource name seperated by a comma",
      "               16=the icon resource is an integer resource, only used with mode 8",
      "",
      "ErrorLevel codes:",
      "3\tAbort button was selected.",
      "2\tCancel button was selected.",
      "5\tIgnore button was selected.",
      "7\tNo button was selected.",
      "1\tOK button was selected.",
      "4\tRetry button was selected.",
      "6\tYes button was selected.",
      "0     Out of memory error",
      "8     text= wasn't provided error",
      "9     Parameter syntax error",
  };
  std::string text = "Usage: " + file + " text= [caption=] [icon=] [button=] [mode=]\r\n";
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

#endif
