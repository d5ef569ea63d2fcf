// Loading libdbus for the accessibility link, once a bus to talk to is found.
#include "platform/posix/x11/dbus-library.h"

#include "platform/posix/x11/dynamic-calls.h"

#ifndef ASKBOX_LINK_X11
#include <dlfcn.h>
#endif

namespace platform {

#ifdef ASKBOX_LINK_X11

bool LoadDbusLibrary() { return true; }

#else

#define ASKBOX_DBUS_DEFINE(Name) decltype(&::Name) Name;
ASKBOX_DBUS_CALLS(ASKBOX_DBUS_DEFINE)
#undef ASKBOX_DBUS_DEFINE

namespace {

LoadState State = NOT_TRIED;

bool Load() {
  // The runtime package's name: libdbus-1.so comes only with the development package.
  void* Library = dlopen("libdbus-1.so.3", RTLD_LAZY | RTLD_LOCAL);
  if (Library == nullptr) return false;
  bool Complete = true;
#define ASKBOX_DBUS_TAKE(Name) Complete = Complete && TakeCall(Library, #Name, &Name);
  ASKBOX_DBUS_CALLS(ASKBOX_DBUS_TAKE)
#undef ASKBOX_DBUS_TAKE
  if (!Complete) {
    // A call taken before the one that was missing must not look usable.
#define ASKBOX_DBUS_DROP(Name) Name = nullptr;
    ASKBOX_DBUS_CALLS(ASKBOX_DBUS_DROP)
#undef ASKBOX_DBUS_DROP
    dlclose(Library);
  }
  return Complete;
}

}  // namespace

bool LoadDbusLibrary() {
  if (State == NOT_TRIED) State = Load() ? LOADED : MISSING;
  return State == LOADED;
}

#endif

}  // namespace platform
