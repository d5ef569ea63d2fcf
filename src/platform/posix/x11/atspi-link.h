// The connection to the accessibility bus: found, opened and registered on without ever waiting for it.
#ifndef ASKBOX_PLATFORM_POSIX_X11_ATSPI_LINK_H
#define ASKBOX_PLATFORM_POSIX_X11_ATSPI_LINK_H

#include "platform/posix/x11/dbus-library.h"

#include <poll.h>
#include <stddef.h>

namespace platform {

// Where the link is: each stage waits for the answer to one call, read from the box's loop.
enum AtspiStage {
  ATSPI_OFF,  // no bus, accessibility off, or the link failed: the box goes on without it
  ATSPI_CONNECTING,  // the socket being connected, on a thread of its own, then Next
  ATSPI_SESSION_HELLO,  // on the session bus, asking whether accessibility is on
  ATSPI_SESSION_ENABLED,
  ATSPI_SESSION_ADDRESS,  // and where its bus is
  ATSPI_HELLO,  // on the accessibility bus, for the name the application goes by
  ATSPI_EMBED,  // registered with the registry, for the desktop it sits in
  ATSPI_READY
};

const size_t ATSPI_NAME_ROOM = 256;
// libdbus watches a connection's socket for reading and for writing, each on or off as it needs.
const int ATSPI_WATCH_ROOM = 4;

struct PendingConnect;

struct AtspiLink {
  DBusConnection* Connection;
  AtspiStage Stage;
  PendingConnect* Pending;  // while connecting
  AtspiStage Next;  // the stage once connected
  dbus_uint32_t Waiting;  // the serial of the call whose answer moves Stage on
  char Name[ATSPI_NAME_ROOM];  // this program's unique name on the accessibility bus
  char DesktopName[ATSPI_NAME_ROOM];  // the registry's root: the application's parent
  char DesktopPath[ATSPI_NAME_ROOM];
  DBusWatch* Watches[ATSPI_WATCH_ROOM];
  int WatchCount;
};

// Starts the link on the accessibility bus at RootAddress (AT_SPI_BUS on the root window) where
// there is one, else asks the session bus whether accessibility is on and where its bus is.
// Without either, or without libdbus, the link stays off and nothing is loaded.
void StartAtspiLink(AtspiLink* Link, const char* RootAddress);
// The connection's socket and what libdbus waits for on it now; fd -1 while there is none, so that
// a bus that never answers costs no time while askbox waits.
pollfd AtspiLinkPoll(const AtspiLink& Link);

// Called with each method call that reaches the application on the accessibility bus.
typedef void (*AtspiServe)(void* Context, DBusMessage* Call);

// Reads and writes what the socket takes without waiting (Ready: what poll said of it), moves the
// stages on and hands up to a batch of calls to Serve. True where messages are still queued, for
// the loop not to wait.
bool PumpAtspiLink(AtspiLink* Link, short Ready, AtspiServe Serve, void* Context);
// Sends Message (and lets it go). A bus that stops reading ends the link rather than letting
// what waits to be sent grow.
void SendOnAtspiLink(AtspiLink* Link, DBusMessage* Message);
// Gives what is still to be sent on a registered link up to WaitMs to leave, then closes the link.
void CloseAtspiLink(AtspiLink* Link, int WaitMs);

}  // namespace platform

#endif
