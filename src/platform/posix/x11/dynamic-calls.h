// Taking calls from a library loaded at run time, for the tables of X and D-Bus calls.
#ifndef ASKBOX_PLATFORM_POSIX_X11_DYNAMIC_CALLS_H
#define ASKBOX_PLATFORM_POSIX_X11_DYNAMIC_CALLS_H

#ifndef ASKBOX_LINK_X11
#include <dlfcn.h>

namespace platform {

enum LoadState { NOT_TRIED, LOADED, MISSING };

// Slot set to the library's call of that name, null where it has none; false then.
template <typename Call>
bool TakeCall(void* Library, const char* Name, Call* Slot) {
  void* Address = dlsym(Library, Name);
  *Slot = reinterpret_cast<Call>(Address);
  return Address != nullptr;
}

}  // namespace platform

#endif
#endif
