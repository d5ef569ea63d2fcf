// The user's language: the C library's gettext, with askbox's catalogs found beside the installed program.
#include "platform/posix/language.h"

#include <libintl.h>
#include <limits.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace platform {
namespace {

const char TEXT_DOMAIN[] = "askbox";
bool CatalogBound;

// <prefix>/share/locale as seen from <prefix>/bin, wherever the program was installed; the tests
// point at the catalogs of the build tree instead.
void BindCatalog() {
  char Dir[PATH_MAX + sizeof ASKBOX_LOCALE_FROM_PROGRAM + 1];
  const char* Chosen = getenv("ASKBOX_TEST_LOCALEDIR");
  if (Chosen == nullptr || *Chosen == '\0') {
    Chosen = nullptr;
    ssize_t Length = readlink("/proc/self/exe", Dir, PATH_MAX);
    char* Slash = Length > 0 ? static_cast<char*>(memrchr(Dir, '/', static_cast<size_t>(Length))) : nullptr;
    if (Slash != nullptr) {
      memcpy(Slash + 1, ASKBOX_LOCALE_FROM_PROGRAM, sizeof ASKBOX_LOCALE_FROM_PROGRAM);
      Chosen = Dir;
    }
  }
  // Without a place of its own, gettext looks in the C library's default one.
  if (Chosen != nullptr) bindtextdomain(TEXT_DOMAIN, Chosen);
  // The box works in UTF-8 whatever the locale's set; the catalogs are UTF-8, so nothing converts.
  bind_textdomain_codeset(TEXT_DOMAIN, "UTF-8");
}

}  // namespace

const char* TranslatedLabel(const char* MsgId) {
  if (!CatalogBound) {
    // Only the messages' category: askbox takes the character set from the environment itself,
    // and LANGUAGE counts only where this is not the "C" locale, as gettext has it.
    setlocale(LC_MESSAGES, "");
    BindCatalog();
    CatalogBound = true;
  }
  return dcgettext(TEXT_DOMAIN, MsgId, LC_MESSAGES);
}

}  // namespace platform
