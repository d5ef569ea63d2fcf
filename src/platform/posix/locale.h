// The character set of the POSIX locale, as the environment names it.
#ifndef ASKBOX_PLATFORM_POSIX_LOCALE_H
#define ASKBOX_PLATFORM_POSIX_LOCALE_H

#include <stddef.h>

namespace platform {

// The codeset of the first of LC_ALL, LC_CTYPE and LANG that is set, as it is spelt there
// ("ISO-8859-15", the form iconv wants); empty when that locale names none.
void LocaleCodesetAsSpelt(char* Out, size_t Room);
// The same upper-cased without "-" and "_" ("en_US.utf-8" gives "UTF8"), for comparing.
void LocaleCodeset(char* Out, size_t Room);
bool LocaleIsUtf8();

}  // namespace platform

#endif
