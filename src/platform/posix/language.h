// The user's language: the catalog the box's button labels are read from.
#ifndef ASKBOX_PLATFORM_POSIX_LANGUAGE_H
#define ASKBOX_PLATFORM_POSIX_LANGUAGE_H

namespace platform {

// A button label in the user's language, a LabelSource: the first of LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG that is set chooses, as for every gettext program, and MsgId itself comes
// back where no catalog has the label. UTF-8 whatever the locale's character set.
const char* TranslatedLabel(const char* MsgId);

}  // namespace platform

#endif
