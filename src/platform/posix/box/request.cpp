// What a message box shows, resolved once: text and caption in UTF-8, icon, buttons and layout bits.
#include "platform/posix/box/request.h"

#include "platform/posix/codeset.h"
#include "platform/posix/language.h"

#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

unsigned char* InUtf8(const char* Text, size_t* Length) {
  if (Text == nullptr) Text = "";
  size_t InLength = strlen(Text);
  char* Utf8 = static_cast<char*>(malloc(Utf8Room(InLength)));
  if (Utf8 != nullptr) *Length = LocaleToUtf8(Text, InLength, Utf8, Utf8Room(InLength));
  return reinterpret_cast<unsigned char*>(Utf8);
}

BoxIcon IconOf(const MSGBOXPARAMSA& Params) {
  switch (Params.dwStyle & MB_ICONMASK) {
    case MB_ICONHAND:
      return ICON_ERROR;
    case MB_ICONQUESTION:
      return ICON_QUESTION;
    case MB_ICONEXCLAMATION:
      return ICON_WARNING;
    case MB_ICONASTERISK:
      return ICON_INFORMATION;
    case MB_USERICON:
      return Params.hInstance ? ICON_USER : ICON_NONE;
    default:
      return ICON_NONE;
  }
}

}  // namespace

bool MakeBoxRequest(const MSGBOXPARAMSA& Params, unsigned TimeLimit, BoxRequest* Request) {
  memset(Request, 0, sizeof *Request);
  if (!MakeBoxModel(Params.dwStyle, &Request->Model, TranslatedLabel)) return false;
  Request->Model.TimeLimit = TimeLimit;
  Request->Icon = IconOf(Params);
  Request->Style = Params.dwStyle;
  Request->RightToLeft = (Params.dwStyle & MB_RTLREADING) != 0;
  // Mirrored, right is where rows start, and MB_RIGHT moves them to the other side, as on Windows.
  Request->AlignRight = Request->RightToLeft != ((Params.dwStyle & MB_RIGHT) != 0);
  Request->Text = InUtf8(Params.lpszText, &Request->TextLength);
  Request->Caption = InUtf8(Params.lpszCaption, &Request->CaptionLength);
  if (Request->Text != nullptr && Request->Caption != nullptr) return true;
  FreeBoxRequest(Request);
  return false;
}

void FreeBoxRequest(BoxRequest* Request) {
  free(Request->Text);
  free(Request->Caption);
  Request->Text = Request->Caption = nullptr;
}

}  // namespace platform
