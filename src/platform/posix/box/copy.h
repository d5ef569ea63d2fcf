// The box as text for the clipboard, laid out as Windows copies a message box on Ctrl+C.
#ifndef ASKBOX_PLATFORM_POSIX_BOX_COPY_H
#define ASKBOX_PLATFORM_POSIX_BOX_COPY_H

#include "platform/posix/box/model.h"

#include <stddef.h>

namespace platform {

// Caption, text and the buttons' labels between lines of dashes, each line ended by a line feed,
// the UTF-8 caption and text as the window shows them (see PutClean); malloc'd, with a NUL after its Length bytes; null where memory ran out.
char* BoxCopyText(const unsigned char* Caption, size_t CaptionLength, const unsigned char* Text,
                  size_t TextLength, const BoxModel& Model, size_t* Length);

// Base64 of Count bytes into Out, which has room for 4 * ((Count + 2) / 3) bytes; gives that size.
size_t Base64(const unsigned char* In, size_t Count, char* Out);

}  // namespace platform

#endif
