// The box's accessible objects: their paths, names, roles, states and places, and how D-Bus writes them.
#include "platform/posix/x11/accessible-tree.h"

#include "platform/posix/x11/library.h"

#include <stdio.h>
#include <string.h>

namespace platform {
namespace {

const char PATH_PREFIX[] = "/org/a11y/atspi/accessible/";
const char ROOT_PATH[] = "/org/a11y/atspi/accessible/root";
const char NULL_PATH[] = "/org/a11y/atspi/null";

// AtspiRole's numbers and names, and what each kind of node answers, by AccessibleKind.
struct KindFacts {
  dbus_uint32_t Role;
  const char* RoleName;
  unsigned Interfaces;
};
const KindFacts KINDS[] = {{75, "application", IF_ACCESSIBLE | IF_APPLICATION},
                           {2, "alert", IF_ACCESSIBLE | IF_COMPONENT},
                           {26, "icon", IF_ACCESSIBLE | IF_COMPONENT},
                           {29, "label", IF_ACCESSIBLE | IF_COMPONENT | IF_TEXT},
                           {43, "push button", IF_ACCESSIBLE | IF_COMPONENT | IF_ACTION}};

// AtspiStateType's numbers.
enum StateBit {
  STATE_ACTIVE = 1,
  STATE_ENABLED = 8,
  STATE_FOCUSABLE = 11,
  STATE_FOCUSED = 12,
  STATE_MODAL = 16,
  STATE_MULTI_LINE = 17,
  STATE_SENSITIVE = 24,
  STATE_SHOWING = 25,
  STATE_VISIBLE = 30,
  STATE_IS_DEFAULT = 39,
  STATE_READ_ONLY = 43
};

// By BoxIcon: what the icon means, which is what a person is told of it.
const char* const ICON_NAMES[] = {"", "Error", "Question", "Warning", "Information", ""};
const dbus_uint32_t COORDS_SCREEN = 0, COORDS_PARENT = 2;

// Where a node is on the window.
Rect WindowRect(const X11Accessible& A, int Node) {
  const WindowLayout& L = *A.Box.Layout;
  const AccessibleNode& N = A.Nodes[Node];
  switch (N.Kind) {
    case NODE_ICON:
      return {L.IconX, L.IconY, L.IconSize, L.IconSize};
    case NODE_LABEL:
      return {L.TextX, L.TextY, L.TextRight - L.TextX, L.RowCount * A.Box.LineHeight};
    case NODE_BUTTON:
      return {L.ButtonX[N.Button], L.ButtonY, L.ButtonWidth, L.ButtonHeight};
    default:
      return {0, 0, L.Width, L.Height};
  }
}

}  // namespace

int FirstButtonNode(const X11Accessible& A) { return A.NodeCount - A.Box.ButtonCount; }

int NodeOfPath(const X11Accessible& A, const char* Path) {
  if (Path == nullptr) return -1;
  if (strcmp(Path, ROOT_PATH) == 0) return 0;
  size_t Prefix = sizeof PATH_PREFIX - 1;
  if (strncmp(Path, PATH_PREFIX, Prefix) != 0) return -1;
  // Fewer than ten nodes: one digit, never 0, which is the root.
  const char* Digit = Path + Prefix;
  if (Digit[0] < '1' || Digit[0] > '9' || Digit[1] != '\0') return -1;
  int Node = Digit[0] - '0';
  return Node < A.NodeCount ? Node : -1;
}

void PathOf(int Node, char* Path) {
  if (Node == 0) {
    snprintf(Path, PATH_ROOM, "%s", ROOT_PATH);
  } else {
    snprintf(Path, PATH_ROOM, "%s%d", PATH_PREFIX, Node);
  }
}

const char* NameOf(const X11Accessible& A, int Node) {
  const AccessibleNode& N = A.Nodes[Node];
  switch (N.Kind) {
    case NODE_APPLICATION:
      return "askbox";
    case NODE_ALERT:
      return reinterpret_cast<const char*>(A.Box.Caption);
    case NODE_ICON:
      return ICON_NAMES[A.Box.Icon];
    case NODE_LABEL:
      return reinterpret_cast<const char*>(A.Box.Text);
    case NODE_BUTTON:
      return A.Box.Buttons[N.Button].Label;
  }
  return "";
}

int ParentOf(int Node) { return Node <= 1 ? Node - 1 : 1; }

int ChildCountOf(const X11Accessible& A, int Node) { return Node == 0 ? 1 : Node == 1 ? A.NodeCount - 2 : 0; }

int FirstChildOf(int Node) { return Node + 1; }

bool AppendBasic(DBusMessageIter* It, int Type, const void* Value) {
  return dbus_message_iter_append_basic(It, Type, Value);
}

bool AppendString(DBusMessageIter* It, const char* Text) { return AppendBasic(It, DBUS_TYPE_STRING, &Text); }

bool AppendInt(DBusMessageIter* It, dbus_int32_t Value) { return AppendBasic(It, DBUS_TYPE_INT32, &Value); }

// A reference to an object, (so): the bus name of its application and its path.
bool AppendReference(DBusMessageIter* It, const char* BusName, const char* Path) {
  DBusMessageIter Fields;
  return dbus_message_iter_open_container(It, DBUS_TYPE_STRUCT, nullptr, &Fields) &&
         AppendString(&Fields, BusName) && AppendBasic(&Fields, DBUS_TYPE_OBJECT_PATH, &Path) &&
         dbus_message_iter_close_container(It, &Fields);
}

bool AppendNode(const X11Accessible& A, DBusMessageIter* It, int Node) {
  if (Node < 0 || Node >= A.NodeCount) return AppendReference(It, "", NULL_PATH);
  char Path[PATH_ROOM];
  PathOf(Node, Path);
  return AppendReference(It, A.Link.Name, Path);
}

bool AppendParent(const X11Accessible& A, DBusMessageIter* It, int Node) {
  if (Node == 0 && A.Link.Stage == ATSPI_READY) return AppendReference(It, A.Link.DesktopName, A.Link.DesktopPath);
  return AppendNode(A, It, ParentOf(Node));
}

bool AppendEmptyMap(DBusMessageIter* It, const char* Entry) {
  DBusMessageIter Map;
  return dbus_message_iter_open_container(It, DBUS_TYPE_ARRAY, Entry, &Map) &&
         dbus_message_iter_close_container(It, &Map);
}

uint64_t StatesOf(const X11Accessible& A, int Node) {
  const uint64_t SEEN = (1ULL << STATE_SHOWING) | (1ULL << STATE_VISIBLE);
  const uint64_t USABLE = SEEN | (1ULL << STATE_ENABLED) | (1ULL << STATE_SENSITIVE);
  const AccessibleNode& N = A.Nodes[Node];
  switch (N.Kind) {
    case NODE_APPLICATION:
      return 0;
    case NODE_ALERT:
      return USABLE | (A.Active ? 1ULL << STATE_ACTIVE : 0) | (A.Box.Owned ? 1ULL << STATE_MODAL : 0);
    case NODE_ICON:
      return SEEN;
    case NODE_LABEL:
      return USABLE | (1ULL << STATE_MULTI_LINE) | (1ULL << STATE_READ_ONLY);
    case NODE_BUTTON:
      return USABLE | (1ULL << STATE_FOCUSABLE) | (A.Active && N.Button == A.Focus ? 1ULL << STATE_FOCUSED : 0) |
             (N.Button == A.Box.DefaultIndex ? 1ULL << STATE_IS_DEFAULT : 0);
  }
  return 0;
}

bool AppendStates(const X11Accessible& A, DBusMessageIter* It, int Node) {
  uint64_t States = StatesOf(A, Node);
  dbus_uint32_t Words[2] = {static_cast<dbus_uint32_t>(States), static_cast<dbus_uint32_t>(States >> 32)};
  DBusMessageIter Array;
  return dbus_message_iter_open_container(It, DBUS_TYPE_ARRAY, "u", &Array) &&
         AppendBasic(&Array, DBUS_TYPE_UINT32, &Words[0]) && AppendBasic(&Array, DBUS_TYPE_UINT32, &Words[1]) &&
         dbus_message_iter_close_container(It, &Array);
}

// Screen coordinates, and the alert's own relative to its parent, the application, which has no
// place: the window's place on the screen, asked once a pass however many calls want it.
Rect ExtentsOf(X11Accessible& A, int Node, dbus_uint32_t Coords) {
  Rect R = WindowRect(A, Node);
  if (Coords == COORDS_SCREEN || (Coords == COORDS_PARENT && Node == 1)) {
    if (!A.PlaceKnown) {
      Window Child;
      if (!XTranslateCoordinates(A.Box.Dpy, A.Box.Win, DefaultRootWindow(A.Box.Dpy), 0, 0, &A.WindowX, &A.WindowY,
                                 &Child))
        A.WindowX = A.WindowY = 0;
      A.PlaceKnown = true;
    }
    R.X += A.WindowX;
    R.Y += A.WindowY;
  }
  return R;
}
dbus_uint32_t RoleOf(const X11Accessible& A, int Node) { return KINDS[A.Nodes[Node].Kind].Role; }

const char* RoleNameOf(const X11Accessible& A, int Node) { return KINDS[A.Nodes[Node].Kind].RoleName; }

unsigned InterfacesOf(const X11Accessible& A, int Node) { return KINDS[A.Nodes[Node].Kind].Interfaces; }

}  // namespace platform
