// The box as text for the clipboard, laid out as Windows copies a message box on Ctrl+C.
#ifndef ASKBOX_PLATFORM_POSIX_BOX_COPY_H
#define ASKBOX_PLATFORM_POSIX_BOX_COPY_H

#include "platform/posix/box/model.h"

#include <stddef.h>

namespace platform {

// A text as the box shows it: a control or malformed byte is U+FFFD, so that none reaches the X
// server, nor ends a bracketed paste of the copy early; tabs and line ends stay in the text and
// are blanks on one line (the caption). Out has room for three bytes for each of Length; gives
// the end of what it wrote.
enum TextLines { TEXT_PARAGRAPHS, TEXT_ONE_LINE };
char* PutCleanText(char* Out, const unsigned char* Utf8, size_t Length, TextLines Lines);

// Caption, text and the buttons' labels between lines of dashes, each line ended by a line feed,
// the UTF-8 caption and text as the window shows them (PutCleanText); malloc'd, with a NUL after
// its Length bytes; null where memory ran out.
char* BoxCopyText(const unsigned char* Caption, size_t CaptionLength, const unsigned char* Text,
                  size_t TextLength, const BoxModel& Model, size_t* Length);

// Base64 of Count bytes into Out, which has room for 4 * ((Count + 2) / 3) bytes; gives that size.
size_t Base64(const unsigned char* In, size_t Count, char* Out);

}  // namespace platform

#endif
