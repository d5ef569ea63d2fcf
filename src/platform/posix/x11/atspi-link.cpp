// Finding the accessibility bus, connecting to it and registering the application, one answer at a time.
#include "platform/posix/x11/atspi-link.h"

#include "platform/posix/stop-signals.h"
#include "platform/posix/time-limit.h"
#include "platform/posix/x11/accessible-input.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace platform {

// libdbus connects with a blocking connect(), which a listener whose queue is full holds for as
// long as it stays full, and the box's loop with it. So the connection is opened on a thread of
// its own, which says on a pipe when it is done. A link dropped before then leaves the thread to
// close whatever it gets, should the connect ever end.
struct PendingConnect {
  pthread_mutex_t Lock;
  char Address[ADDRESS_LIMIT + 1];
  DBusConnection* Connection;
  bool Finished;
  bool Abandoned;
  int Done[2];
};

namespace {

// Messages handled a pass, so that a client flooding the bus cannot keep the loop from the
// box's own events, signals and time limit.
const int MESSAGE_BATCH = 64;
// What may wait to be sent before the bus counts as stalled.
const long OUTGOING_LIMIT = 1 << 20;

const char ROOT_PATH[] = "/org/a11y/atspi/accessible/root";

void Release(PendingConnect* Pending) {
  if (Pending->Connection != nullptr) {
    dbus_connection_close(Pending->Connection);
    dbus_connection_unref(Pending->Connection);
  }
  close(Pending->Done[0]);
  close(Pending->Done[1]);
  pthread_mutex_destroy(&Pending->Lock);
  free(Pending);
}

void* Connect(void* Data) {
  PendingConnect* Pending = static_cast<PendingConnect*>(Data);
  DBusError Error;
  dbus_error_init(&Error);
  DBusConnection* Connection = dbus_connection_open_private(Pending->Address, &Error);
  dbus_error_free(&Error);
  pthread_mutex_lock(&Pending->Lock);
  Pending->Connection = Connection;
  Pending->Finished = true;
  bool Abandoned = Pending->Abandoned;
  if (!Abandoned) {
    char Byte = 1;
    ssize_t Ignored = write(Pending->Done[1], &Byte, 1);
    (void)Ignored;
  }
  pthread_mutex_unlock(&Pending->Lock);
  if (Abandoned) Release(Pending);
  return nullptr;
}

// Whoever comes last, the link or the thread, lets the pending connection go.
void Abandon(PendingConnect* Pending) {
  pthread_mutex_lock(&Pending->Lock);
  bool Finished = Pending->Finished;
  Pending->Abandoned = true;
  pthread_mutex_unlock(&Pending->Lock);
  if (Finished) Release(Pending);
}

void Drop(AtspiLink* Link) {
  if (Link->Pending != nullptr) Abandon(Link->Pending);
  Link->Pending = nullptr;
  if (Link->Connection != nullptr) {
    dbus_connection_close(Link->Connection);
    dbus_connection_unref(Link->Connection);
  }
  Link->Connection = nullptr;
  Link->Stage = ATSPI_OFF;
  Link->WatchCount = 0;
}

// Sends a call whose answer moves the link to Next.
void Ask(AtspiLink* Link, DBusMessage* Call, AtspiStage Next) {
  if (Call == nullptr) {
    Drop(Link);
    return;
  }
  // A service that is not running stays so: askbox never starts an accessibility bus of its own.
  dbus_message_set_auto_start(Call, Next == ATSPI_EMBED);
  dbus_uint32_t Serial = 0;
  bool Sent = dbus_connection_send(Link->Connection, Call, &Serial);
  dbus_message_unref(Call);
  if (!Sent) {
    Drop(Link);
    return;
  }
  Link->Waiting = Serial;
  Link->Stage = Next;
}

dbus_bool_t AddWatch(DBusWatch* Watch, void* Data) {
  AtspiLink* Link = static_cast<AtspiLink*>(Data);
  if (Link->WatchCount == ATSPI_WATCH_ROOM) return false;
  Link->Watches[Link->WatchCount++] = Watch;
  return true;
}

void RemoveWatch(DBusWatch* Watch, void* Data) {
  AtspiLink* Link = static_cast<AtspiLink*>(Data);
  for (int I = 0; I < Link->WatchCount; ++I)
    if (Link->Watches[I] == Watch) Link->Watches[I--] = Link->Watches[--Link->WatchCount];
}

bool Watching(const AtspiLink& Link, const DBusWatch* Watch) {
  for (int I = 0; I < Link.WatchCount; ++I)
    if (Link.Watches[I] == Watch) return true;
  return false;
}

// Hands libdbus what poll said of the socket, for the watches that wait for it.
void HandleWatches(AtspiLink* Link, short Ready) {
  DBusWatch* Watches[ATSPI_WATCH_ROOM];
  int Count = Link->WatchCount;
  // Handling one may add others, or remove and free them: a connection that ends takes its watches.
  memcpy(Watches, Link->Watches, sizeof Watches);
  for (int I = 0; I < Count && Link->Connection != nullptr; ++I) {
    if (!Watching(*Link, Watches[I]) || !dbus_watch_get_enabled(Watches[I])) continue;
    unsigned Wanted = dbus_watch_get_flags(Watches[I]);
    unsigned Flags = ((Ready & POLLIN) && (Wanted & DBUS_WATCH_READABLE) ? DBUS_WATCH_READABLE : 0) |
                     ((Ready & POLLOUT) && (Wanted & DBUS_WATCH_WRITABLE) ? DBUS_WATCH_WRITABLE : 0) |
                     (Ready & POLLERR ? DBUS_WATCH_ERROR : 0) | (Ready & POLLHUP ? DBUS_WATCH_HANGUP : 0);
    if (Flags != 0) dbus_watch_handle(Watches[I], Flags);
  }
}

void Open(AtspiLink* Link, const char* Address, AtspiStage Next) {
  // Left as it is, libdbus would ignore SIGPIPE for the whole program, and a script's closed pipe
  // would no longer end askbox as it did.
  dbus_connection_set_change_sigpipe(false);
  Link->Stage = ATSPI_OFF;
  if (!dbus_threads_init_default()) return;
  PendingConnect* Pending = static_cast<PendingConnect*>(calloc(1, sizeof(PendingConnect)));
  if (Pending == nullptr) return;
  strcpy(Pending->Address, Address);
  if (pipe2(Pending->Done, O_CLOEXEC | O_NONBLOCK) != 0) {
    free(Pending);
    return;
  }
  pthread_mutex_init(&Pending->Lock, nullptr);
  pthread_t Thread;
  if (!StartThreadWithoutSignals(&Thread, Connect, Pending)) {
    Release(Pending);
    return;
  }
  pthread_detach(Thread);
  Link->Pending = Pending;
  Link->Next = Next;
  Link->Stage = ATSPI_CONNECTING;
}

// The thread's connection, once it says it is done: the link goes on with its first call.
void TakeConnection(AtspiLink* Link) {
  PendingConnect* Pending = Link->Pending;
  pthread_mutex_lock(&Pending->Lock);
  bool Finished = Pending->Finished;
  DBusConnection* Connection = Pending->Connection;
  Pending->Connection = nullptr;
  pthread_mutex_unlock(&Pending->Lock);
  if (!Finished) return;
  Link->Pending = nullptr;
  Release(Pending);
  if (Connection == nullptr) {
    Link->Stage = ATSPI_OFF;
    return;
  }
  Link->Connection = Connection;
  if (!dbus_connection_set_watch_functions(Link->Connection, AddWatch, RemoveWatch, nullptr, Link, nullptr)) {
    Drop(Link);
    return;
  }
  Ask(Link, dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "Hello"), Link->Next);
}

// The one basic value of type Type an answer carries, inside a variant or not.
bool AnswerValue(DBusMessage* Answer, int Type, void* Value) {
  DBusMessageIter It, Inner;
  if (!dbus_message_iter_init(Answer, &It)) return false;
  if (dbus_message_iter_get_arg_type(&It) == DBUS_TYPE_VARIANT) {
    dbus_message_iter_recurse(&It, &Inner);
    It = Inner;
  }
  if (dbus_message_iter_get_arg_type(&It) != Type) return false;
  dbus_message_iter_get_basic(&It, Value);
  return true;
}

bool CopyName(const char* Name, char* Out) {
  size_t Length = strlen(Name);
  if (Length >= ATSPI_NAME_ROOM) return false;
  memcpy(Out, Name, Length + 1);
  return true;
}

// The registry's answer to Embed: the desktop, as (so).
bool TakeDesktop(AtspiLink* Link, DBusMessage* Answer) {
  DBusMessageIter It, Fields;
  if (!dbus_message_iter_init(Answer, &It) || dbus_message_iter_get_arg_type(&It) != DBUS_TYPE_STRUCT) return false;
  dbus_message_iter_recurse(&It, &Fields);
  const char* Name = nullptr;
  const char* Path = nullptr;
  if (dbus_message_iter_get_arg_type(&Fields) != DBUS_TYPE_STRING) return false;
  dbus_message_iter_get_basic(&Fields, &Name);
  if (!dbus_message_iter_next(&Fields) || dbus_message_iter_get_arg_type(&Fields) != DBUS_TYPE_OBJECT_PATH)
    return false;
  dbus_message_iter_get_basic(&Fields, &Path);
  return CopyName(Name, Link->DesktopName) && CopyName(Path, Link->DesktopPath);
}

DBusMessage* Embedding(const AtspiLink& Link) {
  DBusMessage* Call =
      dbus_message_new_method_call("org.a11y.atspi.Registry", ROOT_PATH, "org.a11y.atspi.Socket", "Embed");
  if (Call == nullptr) return nullptr;
  DBusMessageIter It, Plug;
  const char* Name = Link.Name;
  const char* Path = ROOT_PATH;
  dbus_message_iter_init_append(Call, &It);
  if (!dbus_message_iter_open_container(&It, DBUS_TYPE_STRUCT, nullptr, &Plug) ||
      !dbus_message_iter_append_basic(&Plug, DBUS_TYPE_STRING, &Name) ||
      !dbus_message_iter_append_basic(&Plug, DBUS_TYPE_OBJECT_PATH, &Path) ||
      !dbus_message_iter_close_container(&It, &Plug)) {
    dbus_message_unref(Call);
    return nullptr;
  }
  return Call;
}

// The answer to the call the link waited for.
void Advance(AtspiLink* Link, DBusMessage* Answer) {
  if (dbus_message_get_type(Answer) == DBUS_MESSAGE_TYPE_ERROR) {
    Drop(Link);
    return;
  }
  const char* Text = nullptr;
  dbus_bool_t On = false;
  switch (Link->Stage) {
    case ATSPI_SESSION_HELLO: {
      DBusMessage* Call =
          dbus_message_new_method_call("org.a11y.Bus", "/org/a11y/bus", DBUS_INTERFACE_PROPERTIES, "Get");
      const char* Interface = "org.a11y.Status";
      const char* Property = "IsEnabled";
      if (Call != nullptr && !dbus_message_append_args(Call, DBUS_TYPE_STRING, &Interface, DBUS_TYPE_STRING,
                                                       &Property, DBUS_TYPE_INVALID)) {
        dbus_message_unref(Call);
        Call = nullptr;
      }
      Ask(Link, Call, ATSPI_SESSION_ENABLED);
      break;
    }
    case ATSPI_SESSION_ENABLED:
      if (!AnswerValue(Answer, DBUS_TYPE_BOOLEAN, &On) || !On) {
        Drop(Link);
      } else {
        Ask(Link, dbus_message_new_method_call("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"),
            ATSPI_SESSION_ADDRESS);
      }
      break;
    case ATSPI_SESSION_ADDRESS: {
      char Address[ADDRESS_LIMIT + 1];
      bool Usable = AnswerValue(Answer, DBUS_TYPE_STRING, &Text) && TakesBusAddress(Text, strlen(Text));
      if (Usable) strcpy(Address, Text);
      Drop(Link);
      if (Usable) Open(Link, Address, ATSPI_HELLO);
      break;
    }
    case ATSPI_HELLO:
      if (!AnswerValue(Answer, DBUS_TYPE_STRING, &Text) || !CopyName(Text, Link->Name)) {
        Drop(Link);
      } else {
        Ask(Link, Embedding(*Link), ATSPI_EMBED);
      }
      break;
    case ATSPI_EMBED:
      if (TakeDesktop(Link, Answer)) {
        Link->Stage = ATSPI_READY;
      } else {
        Drop(Link);
      }
      break;
    default:
      break;
  }
}

}  // namespace

void StartAtspiLink(AtspiLink* Link, const char* RootAddress) {
  memset(Link, 0, sizeof *Link);
  const char* Session = getenv("DBUS_SESSION_BUS_ADDRESS");
  bool OnRoot = RootAddress != nullptr;
  const char* Address = OnRoot ? RootAddress : Session;
  if (Address == nullptr || !TakesBusAddress(Address, strlen(Address)) || !LoadDbusLibrary()) return;
  Open(Link, Address, OnRoot ? ATSPI_HELLO : ATSPI_SESSION_HELLO);
}

pollfd AtspiLinkPoll(const AtspiLink& Link) {
  pollfd Fd = {-1, 0, 0};
  if (Link.Stage == ATSPI_CONNECTING) return {Link.Pending->Done[0], POLLIN, 0};
  for (int I = 0; I < Link.WatchCount; ++I) {
    if (!dbus_watch_get_enabled(Link.Watches[I])) continue;
    unsigned Wanted = dbus_watch_get_flags(Link.Watches[I]);
    Fd.fd = dbus_watch_get_unix_fd(Link.Watches[I]);
    Fd.events = static_cast<short>(Fd.events | (Wanted & DBUS_WATCH_READABLE ? POLLIN : 0) |
                                   (Wanted & DBUS_WATCH_WRITABLE ? POLLOUT : 0));
  }
  return Fd;
}

bool PumpAtspiLink(AtspiLink* Link, short Ready, AtspiServe Serve, void* Context) {
  if (Link->Stage == ATSPI_CONNECTING) {
    if (Ready != 0) TakeConnection(Link);
    return false;
  }
  if (Link->Connection == nullptr) return false;
  HandleWatches(Link, Ready);
  if (Link->Connection == nullptr || !dbus_connection_get_is_connected(Link->Connection)) {
    Drop(Link);
    return false;
  }
  for (int Handled = 0; Handled < MESSAGE_BATCH && Link->Connection != nullptr; ++Handled) {
    DBusMessage* Message = dbus_connection_pop_message(Link->Connection);
    if (Message == nullptr) break;
    int Type = dbus_message_get_type(Message);
    if (Type == DBUS_MESSAGE_TYPE_METHOD_CALL && Link->Stage >= ATSPI_HELLO) {
      Serve(Context, Message);
    } else if ((Type == DBUS_MESSAGE_TYPE_METHOD_RETURN || Type == DBUS_MESSAGE_TYPE_ERROR) &&
               Link->Stage != ATSPI_READY && dbus_message_get_reply_serial(Message) == Link->Waiting) {
      Advance(Link, Message);
    }
    dbus_message_unref(Message);
  }
  return Link->Connection != nullptr &&
         dbus_connection_get_dispatch_status(Link->Connection) == DBUS_DISPATCH_DATA_REMAINS;
}

void SendOnAtspiLink(AtspiLink* Link, DBusMessage* Message) {
  if (Message == nullptr) return;
  bool Sent = Link->Connection != nullptr && dbus_connection_send(Link->Connection, Message, nullptr);
  dbus_message_unref(Message);
  if (Link->Connection != nullptr && (!Sent || dbus_connection_get_outgoing_size(Link->Connection) > OUTGOING_LIMIT))
    Drop(Link);
}

void CloseAtspiLink(AtspiLink* Link, int WaitMs) {
  int64_t Deadline = NowMs() + WaitMs;
  while (Link->Stage == ATSPI_READY && dbus_connection_has_messages_to_send(Link->Connection)) {
    int64_t Left = Deadline - NowMs();
    pollfd Fd = AtspiLinkPoll(*Link);
    if (Left <= 0 || poll(&Fd, 1, static_cast<int>(Left)) <= 0) break;
    HandleWatches(Link, Fd.revents);
  }
  Drop(Link);
}

}  // namespace platform
