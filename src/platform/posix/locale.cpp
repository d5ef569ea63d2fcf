// The locale's character set, read from the variables that name it: the program sets no locale.
#include "platform/posix/locale.h"

#include <stdlib.h>
#include <string.h>

namespace platform {

void LocaleCodesetAsSpelt(char* Out, size_t Room) {
  Out[0] = '\0';
  const char* Names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  const char* Locale = nullptr;
  for (const char* Name : Names) {
    Locale = getenv(Name);
    if (Locale != nullptr && *Locale != '\0') break;
    Locale = nullptr;
  }
  if (Locale == nullptr) return;
  const char* Dot = strchr(Locale, '.');
  if (Dot == nullptr) return;
  size_t Length = 0;
  for (const char* P = Dot + 1; *P != '\0' && *P != '@' && Length + 1 < Room; ++P) Out[Length++] = *P;
  Out[Length] = '\0';
}

void LocaleCodeset(char* Out, size_t Room) {
  LocaleCodesetAsSpelt(Out, Room);
  size_t Length = 0;
  for (const char* P = Out; *P != '\0'; ++P) {
    if (*P == '-' || *P == '_') continue;
    Out[Length++] = (*P >= 'a' && *P <= 'z') ? static_cast<char>(*P - 'a' + 'A') : *P;
  }
  Out[Length] = '\0';
}

bool LocaleIsUtf8() {
  char Codeset[32];
  LocaleCodeset(Codeset, sizeof Codeset);
  return strcmp(Codeset, "UTF8") == 0;
}

}  // namespace platform
