// Answering AT-SPI's questions about the box, pressing its buttons for a screen reader, and telling it where the focus goes.
#include "platform/posix/x11/accessible.h"

#include "platform/posix/x11/accessible-input.h"
#include "platform/posix/x11/accessible-tree.h"
#include "platform/posix/x11/display.h"

#include <X11/Xatom.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifndef ASKBOX_VERSION
#define ASKBOX_VERSION ""
#endif

namespace platform {
namespace {

const char CACHE_PATH[] = "/org/a11y/atspi/cache";
// The longest AT_SPI_BUS taken, in 32-bit units; a longer one reads past the limit and is refused.
const long ADDRESS_LONGS = 129;

struct PropertyFacts {
  const char* Name;
  const char* Type;
};

struct InterfaceFacts {
  unsigned Bit;
  const char* Name;
  const PropertyFacts* Properties;
  int PropertyCount;
};

const PropertyFacts ACCESSIBLE_PROPERTIES[] = {{"Name", "s"},       {"Description", "s"}, {"Parent", "(so)"},
                                               {"ChildCount", "i"}, {"Locale", "s"},      {"AccessibleId", "s"}};
const PropertyFacts APPLICATION_PROPERTIES[] = {
    {"ToolkitName", "s"}, {"Version", "s"}, {"AtspiVersion", "s"}, {"Id", "i"}};
const PropertyFacts TEXT_PROPERTIES[] = {{"CharacterCount", "i"}, {"CaretOffset", "i"}};
const PropertyFacts ACTION_PROPERTIES[] = {{"NActions", "i"}};

const InterfaceFacts INTERFACES[] = {
    {IF_ACCESSIBLE, "org.a11y.atspi.Accessible", ACCESSIBLE_PROPERTIES, 6},
    {IF_APPLICATION, "org.a11y.atspi.Application", APPLICATION_PROPERTIES, 4},
    {IF_COMPONENT, "org.a11y.atspi.Component", nullptr, 0},
    {IF_TEXT, "org.a11y.atspi.Text", TEXT_PROPERTIES, 2},
    {IF_ACTION, "org.a11y.atspi.Action", ACTION_PROPERTIES, 1}};

const dbus_uint32_t LAYER_WIDGET = 3, LAYER_WINDOW = 7;
const dbus_uint32_t COORDS_WINDOW = 1;  // AtspiCoordType's; sizes are the same in each
const char CLICK[] = "click";

enum Outcome { ANSWERED, NO_SUCH_METHOD, BAD_ARGUMENTS, NO_MEMORY };

// The property's value, as a variant.
bool AppendProperty(const X11Accessible& A, int Node, const PropertyFacts& Property, DBusMessageIter* It) {
  DBusMessageIter Value;
  if (!dbus_message_iter_open_container(It, DBUS_TYPE_VARIANT, Property.Type, &Value)) return false;
  const char* Name = Property.Name;
  bool Ok;
  if (strcmp(Name, "Name") == 0) {
    Ok = AppendString(&Value, NameOf(A, Node));
  } else if (strcmp(Name, "Parent") == 0) {
    Ok = AppendParent(A, &Value, Node);
  } else if (strcmp(Name, "ChildCount") == 0) {
    Ok = AppendInt(&Value, ChildCountOf(A, Node));
  } else if (strcmp(Name, "ToolkitName") == 0) {
    Ok = AppendString(&Value, "askbox");
  } else if (strcmp(Name, "Version") == 0) {
    Ok = AppendString(&Value, ASKBOX_VERSION);
  } else if (strcmp(Name, "AtspiVersion") == 0) {
    Ok = AppendString(&Value, "2.1");
  } else if (strcmp(Name, "Id") == 0) {
    Ok = AppendInt(&Value, A.ApplicationId);
  } else if (strcmp(Name, "CharacterCount") == 0) {
    Ok = AppendInt(&Value, TextChars(A.Box.Text, A.Box.TextLength, 0, -1).EndChar);
  } else if (strcmp(Name, "NActions") == 0) {
    Ok = AppendInt(&Value, 1);
  } else if (strcmp(Name, "CaretOffset") == 0) {
    Ok = AppendInt(&Value, 0);
  } else {
    Ok = AppendString(&Value, "");  // Description, Locale, AccessibleId
  }
  return Ok && dbus_message_iter_close_container(It, &Value);
}

const InterfaceFacts* InterfaceNamed(const X11Accessible& A, int Node, const char* Name) {
  for (const InterfaceFacts& I : INTERFACES)
    if (Name != nullptr && strcmp(I.Name, Name) == 0 && (InterfacesOf(A, Node) & I.Bit)) return &I;
  return nullptr;
}

const PropertyFacts* PropertyNamed(const InterfaceFacts& Facts, const char* Name) {
  for (int I = 0; I < Facts.PropertyCount; ++I)
    if (strcmp(Facts.Properties[I].Name, Name) == 0) return &Facts.Properties[I];
  return nullptr;
}

Outcome Done(bool Ok) { return Ok ? ANSWERED : NO_MEMORY; }

Outcome AnswerProperties(X11Accessible& A, int Node, const char* Member, DBusMessage* Call, DBusMessageIter* Out) {
  const char* Interface = nullptr;
  const char* Property = nullptr;
  if (strcmp(Member, "GetAll") == 0) {
    if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_STRING, &Interface, DBUS_TYPE_INVALID)) return BAD_ARGUMENTS;
    const InterfaceFacts* Facts = InterfaceNamed(A, Node, Interface);
    DBusMessageIter Map, Entry;
    bool Ok = dbus_message_iter_open_container(Out, DBUS_TYPE_ARRAY, "{sv}", &Map);
    for (int I = 0; Ok && Facts != nullptr && I < Facts->PropertyCount; ++I)
      Ok = dbus_message_iter_open_container(&Map, DBUS_TYPE_DICT_ENTRY, nullptr, &Entry) &&
           AppendString(&Entry, Facts->Properties[I].Name) && AppendProperty(A, Node, Facts->Properties[I], &Entry) &&
           dbus_message_iter_close_container(&Map, &Entry);
    return Done(Ok && dbus_message_iter_close_container(Out, &Map));
  }
  if (strcmp(Member, "Get") == 0) {
    if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_STRING, &Interface, DBUS_TYPE_STRING, &Property,
                               DBUS_TYPE_INVALID))
      return BAD_ARGUMENTS;
    const InterfaceFacts* Facts = InterfaceNamed(A, Node, Interface);
    const PropertyFacts* Known = Facts != nullptr ? PropertyNamed(*Facts, Property) : nullptr;
    if (Known == nullptr) return BAD_ARGUMENTS;
    return Done(AppendProperty(A, Node, *Known, Out));
  }
  if (strcmp(Member, "Set") == 0) {
    // Only the application's Id is written, by the registry's clients, which number applications.
    DBusMessageIter It, Value;
    if (!dbus_message_iter_init(Call, &It) || dbus_message_iter_get_arg_type(&It) != DBUS_TYPE_STRING)
      return BAD_ARGUMENTS;
    dbus_message_iter_get_basic(&It, &Interface);
    if (!dbus_message_iter_next(&It) || dbus_message_iter_get_arg_type(&It) != DBUS_TYPE_STRING) return BAD_ARGUMENTS;
    dbus_message_iter_get_basic(&It, &Property);
    if (!dbus_message_iter_next(&It) || dbus_message_iter_get_arg_type(&It) != DBUS_TYPE_VARIANT) return BAD_ARGUMENTS;
    dbus_message_iter_recurse(&It, &Value);
    if (Node != 0 || strcmp(Interface, "org.a11y.atspi.Application") != 0 || strcmp(Property, "Id") != 0 ||
        dbus_message_iter_get_arg_type(&Value) != DBUS_TYPE_INT32)
      return BAD_ARGUMENTS;
    dbus_message_iter_get_basic(&Value, &A.ApplicationId);
    return ANSWERED;
  }
  return NO_SUCH_METHOD;
}

Outcome AnswerAccessible(X11Accessible& A, int Node, const char* Member, DBusMessage* Call, DBusMessageIter* Out) {
  if (strcmp(Member, "GetChildAtIndex") == 0) {
    dbus_int32_t Index = 0;
    if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_INT32, &Index, DBUS_TYPE_INVALID) || Index < 0 ||
        Index >= ChildCountOf(A, Node))
      return BAD_ARGUMENTS;
    return Done(AppendNode(A, Out, FirstChildOf(Node) + Index));
  }
  if (strcmp(Member, "GetChildren") == 0) {
    DBusMessageIter Array;
    bool Ok = dbus_message_iter_open_container(Out, DBUS_TYPE_ARRAY, "(so)", &Array);
    for (int I = 0; Ok && I < ChildCountOf(A, Node); ++I) Ok = AppendNode(A, &Array, FirstChildOf(Node) + I);
    return Done(Ok && dbus_message_iter_close_container(Out, &Array));
  }
  if (strcmp(Member, "GetIndexInParent") == 0)
    return Done(AppendInt(Out, Node <= 1 ? (Node == 0 ? -1 : 0) : Node - FirstChildOf(1)));
  if (strcmp(Member, "GetRelationSet") == 0) return Done(AppendEmptyMap(Out, "(ua(so))"));
  if (strcmp(Member, "GetRole") == 0) {
    dbus_uint32_t Role = RoleOf(A, Node);
    return Done(AppendBasic(Out, DBUS_TYPE_UINT32, &Role));
  }
  if (strcmp(Member, "GetRoleName") == 0 || strcmp(Member, "GetLocalizedRoleName") == 0)
    return Done(AppendString(Out, RoleNameOf(A, Node)));
  if (strcmp(Member, "GetState") == 0) return Done(AppendStates(A, Out, Node));
  if (strcmp(Member, "GetAttributes") == 0) return Done(AppendEmptyMap(Out, "{ss}"));
  if (strcmp(Member, "GetApplication") == 0) return Done(AppendNode(A, Out, 0));
  if (strcmp(Member, "GetInterfaces") == 0) {
    DBusMessageIter Array;
    bool Ok = dbus_message_iter_open_container(Out, DBUS_TYPE_ARRAY, "s", &Array);
    for (const InterfaceFacts& I : INTERFACES)
      if (Ok && (InterfacesOf(A, Node) & I.Bit)) Ok = AppendString(&Array, I.Name);
    return Done(Ok && dbus_message_iter_close_container(Out, &Array));
  }
  return NO_SUCH_METHOD;
}

Outcome AnswerComponent(X11Accessible& A, int Node, const char* Member, DBusMessage* Call, DBusMessageIter* Out) {
  dbus_int32_t X = 0, Y = 0;
  dbus_uint32_t Coords = 0;
  bool Contains = strcmp(Member, "Contains") == 0;
  if (Contains || strcmp(Member, "GetAccessibleAtPoint") == 0) {
    if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_INT32, &X, DBUS_TYPE_INT32, &Y, DBUS_TYPE_UINT32, &Coords,
                               DBUS_TYPE_INVALID))
      return BAD_ARGUMENTS;
    Rect R = ExtentsOf(A, Node, Coords);
    bool Inside = X >= R.X && X < R.X + R.Width && Y >= R.Y && Y < R.Y + R.Height;
    if (Contains) {
      dbus_bool_t Answer = Inside;
      return Done(AppendBasic(Out, DBUS_TYPE_BOOLEAN, &Answer));
    }
    int Found = -1;
    for (int I = 0; Inside && I < ChildCountOf(A, Node); ++I) {
      Rect C = ExtentsOf(A, FirstChildOf(Node) + I, Coords);
      if (X >= C.X && X < C.X + C.Width && Y >= C.Y && Y < C.Y + C.Height) Found = FirstChildOf(Node) + I;
    }
    return Done(AppendNode(A, Out, Found));
  }
  if (strcmp(Member, "GetSize") == 0) {
    Rect R = ExtentsOf(A, Node, COORDS_WINDOW);
    return Done(AppendInt(Out, R.Width) && AppendInt(Out, R.Height));
  }
  bool Position = strcmp(Member, "GetPosition") == 0;
  if (Position || strcmp(Member, "GetExtents") == 0) {
    if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_UINT32, &Coords, DBUS_TYPE_INVALID)) return BAD_ARGUMENTS;
    Rect R = ExtentsOf(A, Node, Coords);
    if (Position) return Done(AppendInt(Out, R.X) && AppendInt(Out, R.Y));
    DBusMessageIter Box;
    return Done(dbus_message_iter_open_container(Out, DBUS_TYPE_STRUCT, nullptr, &Box) && AppendInt(&Box, R.X) &&
                AppendInt(&Box, R.Y) && AppendInt(&Box, R.Width) && AppendInt(&Box, R.Height) &&
                dbus_message_iter_close_container(Out, &Box));
  }
  if (strcmp(Member, "GetLayer") == 0) {
    dbus_uint32_t Layer = Node == 1 ? LAYER_WINDOW : LAYER_WIDGET;
    return Done(AppendBasic(Out, DBUS_TYPE_UINT32, &Layer));
  }
  if (strcmp(Member, "GetMDIZOrder") == 0) {
    dbus_int16_t Order = 0;
    return Done(AppendBasic(Out, DBUS_TYPE_INT16, &Order));
  }
  if (strcmp(Member, "GrabFocus") == 0) {
    dbus_bool_t Moved = A.Nodes[Node].Kind == NODE_BUTTON;
    if (Moved) A.FocusWanted = A.Nodes[Node].Button;
    return Done(AppendBasic(Out, DBUS_TYPE_BOOLEAN, &Moved));
  }
  if (strcmp(Member, "GetAlpha") == 0) {
    double Alpha = 1.0;
    return Done(AppendBasic(Out, DBUS_TYPE_DOUBLE, &Alpha));
  }
  return NO_SUCH_METHOD;
}

// A part of the text with its character offsets, (sii).
bool AppendTextPart(const X11Accessible& A, DBusMessageIter* Out, const TextPart& Part) {
  size_t Length = Part.EndByte - Part.BeginByte;
  char* Copy = static_cast<char*>(malloc(Length + 1));
  if (Copy == nullptr) return false;
  memcpy(Copy, A.Box.Text + Part.BeginByte, Length);
  Copy[Length] = '\0';
  bool Ok = AppendString(Out, Copy);
  free(Copy);
  return Ok;
}

Outcome AnswerText(X11Accessible& A, const char* Member, DBusMessage* Call, DBusMessageIter* Out) {
  dbus_int32_t First = 0, Second = 0;
  dbus_uint32_t Unit = 0;
  const unsigned char* Text = A.Box.Text;
  size_t Length = A.Box.TextLength;
  if (strcmp(Member, "GetText") == 0) {
    if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_INT32, &First, DBUS_TYPE_INT32, &Second, DBUS_TYPE_INVALID))
      return BAD_ARGUMENTS;
    return Done(AppendTextPart(A, Out, TextChars(Text, Length, First, Second)));
  }
  if (strcmp(Member, "GetCharacterAtOffset") == 0) {
    if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_INT32, &First, DBUS_TYPE_INVALID)) return BAD_ARGUMENTS;
    TextPart At = TextAround(Text, Length, First, false);
    dbus_int32_t Code = 0;
    for (size_t I = At.BeginByte; I < At.EndByte; ++I)
      Code = I == At.BeginByte ? (Text[I] < 0x80 ? Text[I] : Text[I] & (0xFF >> (At.EndByte - I + 1)))
                               : (Code << 6) | (Text[I] & 0x3F);
    return Done(AppendInt(Out, Code));
  }
  // Words and sentences are read as the line that holds them: a message box's text is short.
  if (strcmp(Member, "GetTextAtOffset") == 0 || strcmp(Member, "GetStringAtOffset") == 0) {
    if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_INT32, &First, DBUS_TYPE_UINT32, &Unit, DBUS_TYPE_INVALID))
      return BAD_ARGUMENTS;
    TextPart Part = TextAround(Text, Length, First, Unit != 0);
    return Done(AppendTextPart(A, Out, Part) && AppendInt(Out, Part.BeginChar) && AppendInt(Out, Part.EndChar));
  }
  if (strcmp(Member, "GetNSelections") == 0) return Done(AppendInt(Out, 0));
  if (strcmp(Member, "GetDefaultAttributes") == 0) return Done(AppendEmptyMap(Out, "{ss}"));
  return NO_SUCH_METHOD;
}

Outcome AnswerAction(X11Accessible& A, int Node, const char* Member, DBusMessage* Call, DBusMessageIter* Out) {
  if (strcmp(Member, "GetActions") == 0) {
    DBusMessageIter Array, Action;
    return Done(dbus_message_iter_open_container(Out, DBUS_TYPE_ARRAY, "(sss)", &Array) &&
                dbus_message_iter_open_container(&Array, DBUS_TYPE_STRUCT, nullptr, &Action) &&
                AppendString(&Action, CLICK) && AppendString(&Action, "") && AppendString(&Action, "") &&
                dbus_message_iter_close_container(&Array, &Action) && dbus_message_iter_close_container(Out, &Array));
  }
  dbus_int32_t Index = -1;
  if (!dbus_message_get_args(Call, nullptr, DBUS_TYPE_INT32, &Index, DBUS_TYPE_INVALID) || Index != 0)
    return strcmp(Member, "DoAction") == 0 || strncmp(Member, "Get", 3) == 0 ? BAD_ARGUMENTS : NO_SUCH_METHOD;
  if (strcmp(Member, "DoAction") == 0) {
    // Answered as a click would; the box ends once the reply is on its way.
    A.Clicked = A.Nodes[Node].Button;
    dbus_bool_t Done = true;
    return AppendBasic(Out, DBUS_TYPE_BOOLEAN, &Done) ? ANSWERED : NO_MEMORY;
  }
  if (strcmp(Member, "GetName") == 0 || strcmp(Member, "GetLocalizedName") == 0) return Done(AppendString(Out, CLICK));
  if (strcmp(Member, "GetDescription") == 0 || strcmp(Member, "GetKeyBinding") == 0) return Done(AppendString(Out, ""));
  return NO_SUCH_METHOD;
}

Outcome Answer(X11Accessible& A, int Node, DBusMessage* Call, DBusMessageIter* Out) {
  const char* Interface = dbus_message_get_interface(Call);
  const char* Member = dbus_message_get_member(Call);
  if (Interface == nullptr || Member == nullptr) return NO_SUCH_METHOD;
  if (strcmp(Interface, DBUS_INTERFACE_PROPERTIES) == 0) return AnswerProperties(A, Node, Member, Call, Out);
  const InterfaceFacts* Facts = InterfaceNamed(A, Node, Interface);
  if (Facts == nullptr) return NO_SUCH_METHOD;
  switch (Facts->Bit) {
    case IF_ACCESSIBLE:
      return AnswerAccessible(A, Node, Member, Call, Out);
    case IF_APPLICATION:
      return strcmp(Member, "GetLocale") == 0 ? Done(AppendString(Out, "")) : NO_SUCH_METHOD;
    case IF_COMPONENT:
      return AnswerComponent(A, Node, Member, Call, Out);
    case IF_TEXT:
      return AnswerText(A, Member, Call, Out);
    default:
      return AnswerAction(A, Node, Member, Call, Out);
  }
}

void Serve(void* Context, DBusMessage* Call) {
  X11Accessible& A = *static_cast<X11Accessible*>(Context);
  const char* Path = dbus_message_get_path(Call);
  int Node = NodeOfPath(A, Path);
  DBusMessage* Reply = dbus_message_new_method_return(Call);
  if (Reply == nullptr) return;
  DBusMessageIter Out;
  dbus_message_iter_init_append(Reply, &Out);
  Outcome Result;
  if (Path != nullptr && strcmp(Path, CACHE_PATH) == 0) {
    // Nothing cached ahead: clients ask each object, whose answers are always those of the moment.
    Node = 0;
    Result = Done(AppendEmptyMap(&Out, "((so)(so)(so)iiassusau)"));
  } else {
    Result = Node < 0 ? NO_SUCH_METHOD : Answer(A, Node, Call, &Out);
  }
  if (Result != ANSWERED) {
    dbus_message_unref(Reply);
    const char* Error = Node < 0                      ? DBUS_ERROR_UNKNOWN_OBJECT
                        : Result == NO_SUCH_METHOD ? DBUS_ERROR_UNKNOWN_METHOD
                        : Result == BAD_ARGUMENTS  ? DBUS_ERROR_INVALID_ARGS
                                                   : DBUS_ERROR_NO_MEMORY;
    Reply = dbus_message_new_error(Call, Error, "askbox has no answer to that");
    if (Reply == nullptr) return;
  }
  if (dbus_message_get_no_reply(Call)) {
    dbus_message_unref(Reply);
    return;
  }
  SendOnAtspiLink(&A.Link, Reply);
}

// An event as screen readers take them: detail, two numbers, a value and no properties.
void SendEvent(X11Accessible& A, int Node, const char* Interface, const char* Member, const char* Detail, int Detail1) {
  char Path[PATH_ROOM];
  PathOf(Node, Path);
  DBusMessage* Event = dbus_message_new_signal(Path, Interface, Member);
  if (Event == nullptr) return;
  DBusMessageIter It, Value;
  dbus_message_iter_init_append(Event, &It);
  bool Ok = AppendString(&It, Detail) && AppendInt(&It, Detail1) && AppendInt(&It, 0) &&
            dbus_message_iter_open_container(&It, DBUS_TYPE_VARIANT, "i", &Value) && AppendInt(&Value, 0) &&
            dbus_message_iter_close_container(&It, &Value) && AppendEmptyMap(&It, "{sv}");
  if (!Ok) {
    dbus_message_unref(Event);
    return;
  }
  SendOnAtspiLink(&A.Link, Event);
}

void SendFocused(X11Accessible& A, int Button, int Focused) {
  SendEvent(A, FirstButtonNode(A) + Button, "org.a11y.atspi.Event.Object", "StateChanged", "focused", Focused);
}

}  // namespace

void StartX11Accessible(X11Accessible* Access, const AccessibleBox& Box) {
  X11Accessible& A = *Access;
  memset(Access, 0, sizeof *Access);
  A.Box = Box;
  A.Clicked = A.FocusWanted = -1;
  A.Focus = Box.DefaultIndex;
  A.Nodes[A.NodeCount++] = {NODE_APPLICATION, 0};
  A.Nodes[A.NodeCount++] = {NODE_ALERT, 0};
  if (Box.Icon != ICON_NONE && Box.Icon != ICON_USER) A.Nodes[A.NodeCount++] = {NODE_ICON, 0};
  A.Nodes[A.NodeCount++] = {NODE_LABEL, 0};
  for (int I = 0; I < Box.ButtonCount; ++I) A.Nodes[A.NodeCount++] = {NODE_BUTTON, I};
  // The launcher of the accessibility bus states its address on the root window; another client
  // may have written anything there, so only a plain string of a local address is taken.
  PropertyValue Bus = ReadProperty(DefaultRootWindow(Box.Dpy), X11Atom("AT_SPI_BUS"), ADDRESS_LONGS);
  char Address[ADDRESS_LIMIT + 1];
  const char* OnRoot = nullptr;
  if (Bus.Data != nullptr && Bus.Type == XA_STRING && Bus.Format == 8 && Bus.Count <= ADDRESS_LIMIT) {
    memcpy(Address, Bus.Data, Bus.Count);
    Address[Bus.Count] = '\0';
    if (TakesBusAddress(Address, Bus.Count)) OnRoot = Address;
  }
  FreeProperty(Bus);
  StartAtspiLink(&A.Link, OnRoot);
}

pollfd X11AccessiblePoll(const X11Accessible& Access) { return AtspiLinkPoll(Access.Link); }

bool ServeX11Accessible(X11Accessible* Access, short Ready) {
  Access->PlaceKnown = false;
  return PumpAtspiLink(&Access->Link, Ready, Serve, Access);
}

void TellX11Accessible(X11Accessible* Access, bool Active, int Focus) {
  X11Accessible& A = *Access;
  int Before = A.Focus;
  A.Focus = Focus;
  A.Active = Active;
  if (A.Link.Stage != ATSPI_READY) return;
  // As a toolkit's window does: the focused button loses its focus with the window, and has it
  // again when the window comes back.
  if (Active && !A.Announced) {
    A.Announced = true;
    SendEvent(A, 1, "org.a11y.atspi.Event.Window", "Activate", "", 0);
    SendFocused(A, Focus, 1);
  } else if (!Active && A.Announced) {
    A.Announced = false;
    SendFocused(A, Before, 0);
    SendEvent(A, 1, "org.a11y.atspi.Event.Window", "Deactivate", "", 0);
  } else if (Active && Focus != Before) {
    SendFocused(A, Before, 0);
    SendFocused(A, Focus, 1);
  }
}

void StopX11Accessible(X11Accessible* Access, int WaitMs) { CloseAtspiLink(&Access->Link, WaitMs); }

}  // namespace platform
