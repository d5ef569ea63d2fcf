// Loading the X, Xrender, fontconfig and Xft libraries, and the optional ones: XCB's, XCB RandR, HarfBuzz and FriBidi.
#include "platform/posix/x11/library.h"

#include "platform/posix/x11/dynamic-calls.h"

#ifndef ASKBOX_LINK_X11
#include <dlfcn.h>
#endif

namespace platform {

#ifdef ASKBOX_LINK_X11

// Linked in: the calls are the libraries' own, there before main.
bool LoadX11Libraries() { return true; }
bool LoadShapingLibraries() { return true; }
bool LoadEventLibraries() { return true; }
bool LoadXcbRandrLibrary() { return true; }

#else

#define ASKBOX_X11_DEFINE(Library, Name) decltype(&::Name) Name;
ASKBOX_X11_CALLS(ASKBOX_X11_DEFINE)
#undef ASKBOX_X11_DEFINE

namespace {

// The names the runtime packages install; the bare .so names come only with the development
// packages, which a machine that shows windows need not have.
const char* const SONAMES[ALL_LIBRARY_COUNT] = {
    "libX11.so.6",      "libXrender.so.1",   "libfontconfig.so.1", "libXft.so.2",      "libxcb.so.1",
    "libX11-xcb.so.1",  "libxcb-randr.so.0", "libharfbuzz.so.0",   "libfribidi.so.0"};

LoadState State = NOT_TRIED;

// Libraries First to Last - 1, and every call of the table from them.
bool Load(int First, int Last) {
  void* Libraries[ALL_LIBRARY_COUNT] = {};
  bool Complete = true;
  // Bound lazily, as a linked program's calls are, and kept local: nothing of theirs can stand in
  // for a call of the program or of a library loaded later.
  for (int I = First; I < Last && Complete; ++I) {
    Libraries[I] = dlopen(SONAMES[I], RTLD_LAZY | RTLD_LOCAL);
    Complete = Libraries[I] != nullptr;
  }
  // Each call is looked up in the library that should have it, so that one lacking a call (an old
  // version, or another file of the same name found first) is found out here rather than at the call.
#define ASKBOX_X11_TAKE(Library, Name) \
  if (Library >= First && Library < Last) Complete = Complete && TakeCall(Libraries[Library], #Name, &Name);
  ASKBOX_X11_CALLS(ASKBOX_X11_TAKE)
#undef ASKBOX_X11_TAKE
  if (!Complete) {
    // A call taken before the one that was missing must not look usable.
#define ASKBOX_X11_DROP(Library, Name) \
  if (Library >= First && Library < Last) Name = nullptr;
    ASKBOX_X11_CALLS(ASKBOX_X11_DROP)
#undef ASKBOX_X11_DROP
    for (int I = Last - 1; I >= First; --I)
      if (Libraries[I] != nullptr) dlclose(Libraries[I]);
  }
  return Complete;
}

}  // namespace

bool LoadX11Libraries() {
  if (State == NOT_TRIED) State = Load(0, X11_LIBRARY_COUNT) ? LOADED : MISSING;
  return State == LOADED;
}

namespace {

// An optional group, libraries First to Last - 1: tried once, after the ones the window needs.
bool LoadOptional(int First, int Last, LoadState* Group) {
  if (State != LOADED) return false;
  if (*Group == NOT_TRIED) *Group = Load(First, Last) ? LOADED : MISSING;
  return *Group == LOADED;
}

}  // namespace

bool LoadEventLibraries() {
  static LoadState Group;
  return LoadOptional(LIBRARY_XCB, LIBRARY_X11_XCB + 1, &Group);
}

bool LoadXcbRandrLibrary() {
  static LoadState Group;
  return LoadEventLibraries() && LoadOptional(LIBRARY_XCB_RANDR, LIBRARY_XCB_RANDR + 1, &Group);
}

bool LoadShapingLibraries() {
  static LoadState Group;
  return LoadOptional(LIBRARY_HARFBUZZ, LIBRARY_FRIBIDI + 1, &Group);
}

#endif

}  // namespace platform
