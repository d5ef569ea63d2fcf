// What a message box shows, resolved once from the caller's parameters for whichever front end shows it.
#ifndef ASKBOX_PLATFORM_POSIX_BOX_REQUEST_H
#define ASKBOX_PLATFORM_POSIX_BOX_REQUEST_H

#include "platform/platform.h"
#include "platform/posix/box/model.h"

#include <stddef.h>

namespace platform {

// ICON_USER only with a module loaded: Linux cannot read a Windows icon resource, so a front end
// shows askbox's own icon in its place.
enum BoxIcon { ICON_NONE, ICON_ERROR, ICON_QUESTION, ICON_WARNING, ICON_INFORMATION, ICON_USER };

struct BoxRequest {
  // UTF-8 from the locale's bytes. Malformed bytes are kept, for each front end to show its way.
  unsigned char* Text;
  size_t TextLength;
  unsigned char* Caption;
  size_t CaptionLength;
  BoxIcon Icon;
  BoxModel Model;
  bool RightToLeft;  // MB_RTLREADING: the box mirrored, each paragraph read from the right
  bool AlignRight;  // rows end at the right: MB_RIGHT, or a mirrored box without it
  DWORD Style;  // the caller's bits, for what only a window can honour (MB_TOPMOST, MB_SETFOREGROUND)
};

// False for a button type Windows does not know, and where memory fails.
bool MakeBoxRequest(const MSGBOXPARAMSA& Params, unsigned TimeLimit, BoxRequest* Request);
void FreeBoxRequest(BoxRequest* Request);

}  // namespace platform

#endif
