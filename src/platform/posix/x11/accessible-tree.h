// The box's accessible objects as AT-SPI names them: paths, names, roles, states, places, and their D-Bus forms.
#ifndef ASKBOX_PLATFORM_POSIX_X11_ACCESSIBLE_TREE_H
#define ASKBOX_PLATFORM_POSIX_X11_ACCESSIBLE_TREE_H

#include "platform/posix/x11/accessible.h"

#include <stdint.h>

namespace platform {

const size_t PATH_ROOM = 64;

// The AT-SPI interfaces a node answers, as bits.
enum Interface : unsigned { IF_ACCESSIBLE = 1, IF_APPLICATION = 2, IF_COMPONENT = 4, IF_TEXT = 8, IF_ACTION = 16 };

// The nodes are numbered: 0 the application, 1 the alert, then its children (the icon where there
// is one, the label, the buttons), each numbered from the alert's first.
int FirstButtonNode(const X11Accessible& A);
int FirstChildOf(int Node);
int ChildCountOf(const X11Accessible& A, int Node);
int ParentOf(int Node);  // -1 for the application, whose parent is the registry's desktop
// The node a path names, -1 for none.
int NodeOfPath(const X11Accessible& A, const char* Path);
void PathOf(int Node, char* Path);  // Path has PATH_ROOM bytes

const char* NameOf(const X11Accessible& A, int Node);
dbus_uint32_t RoleOf(const X11Accessible& A, int Node);
const char* RoleNameOf(const X11Accessible& A, int Node);
unsigned InterfacesOf(const X11Accessible& A, int Node);
uint64_t StatesOf(const X11Accessible& A, int Node);  // one bit an AtspiStateType

struct Rect {
  int X, Y, Width, Height;
};
// In AtspiCoordType Coords: on the screen (0), the window (1) or the parent (2).
Rect ExtentsOf(X11Accessible& A, int Node, dbus_uint32_t Coords);

// Each false where memory ran out.
bool AppendBasic(DBusMessageIter* It, int Type, const void* Value);
bool AppendString(DBusMessageIter* It, const char* Text);
bool AppendInt(DBusMessageIter* It, dbus_int32_t Value);
bool AppendNode(const X11Accessible& A, DBusMessageIter* It, int Node);  // (so); the null object for -1
bool AppendParent(const X11Accessible& A, DBusMessageIter* It, int Node);
bool AppendEmptyMap(DBusMessageIter* It, const char* Entry);  // an empty array of Entry
bool AppendStates(const X11Accessible& A, DBusMessageIter* It, int Node);

}  // namespace platform

#endif
