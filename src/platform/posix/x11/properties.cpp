// Window properties of other clients, read as hostile bytes: a pid, a host name and a title.
#include "platform/posix/x11/properties.h"

#include "platform/posix/codeset.h"

#include <X11/Xatom.h>
#include <stdlib.h>
#include <string.h>

namespace platform {
namespace {

const unsigned long MAX_PID = 1UL << 22;  // the kernel's own limit on a pid

}  // namespace

long StatedPid(const PropertyValue& Pid) {
  if (Pid.Data == nullptr || Pid.Type != XA_CARDINAL || Pid.Format != 32 || Pid.Count != 1) return 0;
  // Xlib hands format-32 items out as longs, whatever the server's word size.
  unsigned long Value;
  memcpy(&Value, Pid.Data, sizeof Value);
  return Value > 0 && Value <= MAX_PID ? static_cast<long>(Value) : 0;
}

bool ListsAtom(const PropertyValue& List, Atom Wanted) {
  if (List.Data == nullptr || List.Type != XA_ATOM || List.Format != 32) return false;
  for (unsigned long I = 0; I < List.Count; ++I) {
    unsigned long Item;
    memcpy(&Item, List.Data + I * sizeof Item, sizeof Item);
    if (Item == Wanted) return true;
  }
  return false;
}

bool NamesHost(const PropertyValue& Machine, const char* Host) {
  if (Machine.Data == nullptr || Machine.Type != XA_STRING || Machine.Format != 8) return false;
  return strlen(Host) == Machine.Count && memcmp(Host, Machine.Data, Machine.Count) == 0;
}

size_t DecodeTitle(const PropertyValue& Title, const TitleTypes& Types, char* Out, size_t Room) {
  if (Room == 0) return 0;
  Out[0] = '\0';
  if (Title.Data == nullptr || Title.Format != 8) return 0;
  const char* Bytes = reinterpret_cast<const char*>(Title.Data);
  if (Title.Type == Types.Utf8String) return Utf8ToLocale(Bytes, Title.Count, Out, Room);
  // Compound text without escape sequences is ISO 8859-1, as STRING is.
  bool Latin1 = Title.Type == XA_STRING ||
                (Title.Type == Types.CompoundText && memchr(Bytes, 0x1B, Title.Count) == nullptr);
  if (!Latin1) return 0;
  size_t Utf8Size = Utf8Room(Title.Count);
  char* Utf8 = static_cast<char*>(malloc(Utf8Size));
  if (Utf8 == nullptr) return 0;
  size_t Length = Latin1ToUtf8(Bytes, Title.Count, Utf8, Utf8Size);
  size_t Result = Utf8ToLocale(Utf8, Length, Out, Room);
  free(Utf8);
  return Result;
}

}  // namespace platform
