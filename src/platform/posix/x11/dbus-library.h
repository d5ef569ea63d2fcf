// Every libdbus call the accessibility link makes, and loading the library when a bus is found.
#ifndef ASKBOX_PLATFORM_POSIX_X11_DBUS_LIBRARY_H
#define ASKBOX_PLATFORM_POSIX_X11_DBUS_LIBRARY_H

#include <dbus/dbus.h>

// CALL(Name) for each call of libdbus-1.so.3 askbox makes.
#define ASKBOX_DBUS_CALLS(CALL)                 \
  CALL(dbus_connection_close)                   \
  CALL(dbus_connection_get_dispatch_status)     \
  CALL(dbus_connection_get_is_connected)        \
  CALL(dbus_connection_get_outgoing_size)       \
  CALL(dbus_connection_has_messages_to_send)    \
  CALL(dbus_connection_open_private)            \
  CALL(dbus_connection_pop_message)             \
  CALL(dbus_connection_send)                    \
  CALL(dbus_connection_set_change_sigpipe)      \
  CALL(dbus_connection_set_watch_functions)     \
  CALL(dbus_connection_unref)                   \
  CALL(dbus_error_free)                         \
  CALL(dbus_error_init)                         \
  CALL(dbus_message_append_args)                \
  CALL(dbus_message_get_args)                   \
  CALL(dbus_message_get_interface)              \
  CALL(dbus_message_get_member)                 \
  CALL(dbus_message_get_no_reply)               \
  CALL(dbus_message_get_path)                   \
  CALL(dbus_message_get_reply_serial)           \
  CALL(dbus_message_get_type)                   \
  CALL(dbus_message_iter_append_basic)          \
  CALL(dbus_message_iter_close_container)       \
  CALL(dbus_message_iter_get_arg_type)          \
  CALL(dbus_message_iter_get_basic)             \
  CALL(dbus_message_iter_init)                  \
  CALL(dbus_message_iter_init_append)           \
  CALL(dbus_message_iter_next)                  \
  CALL(dbus_message_iter_open_container)        \
  CALL(dbus_message_iter_recurse)               \
  CALL(dbus_message_new_error)                  \
  CALL(dbus_message_new_method_call)            \
  CALL(dbus_message_new_method_return)          \
  CALL(dbus_message_new_signal)                 \
  CALL(dbus_message_set_auto_start)             \
  CALL(dbus_message_unref)                      \
  CALL(dbus_threads_init_default)               \
  CALL(dbus_watch_get_enabled)                  \
  CALL(dbus_watch_get_flags)                    \
  CALL(dbus_watch_get_unix_fd)                  \
  CALL(dbus_watch_handle)

namespace platform {

// True where libdbus-1.so.3 is there with every call of the table. The first call loads it; a
// library or a call that is missing leaves nothing loaded, and the box is then shown without
// accessibility, for good. Only a bus that is found asks.
bool LoadDbusLibrary();

#ifndef ASKBOX_LINK_X11
// As for the X calls (library.h): stand-ins of the calls' own names and types, which the
// accessibility code in this namespace finds first, so a call missing here fails the link.
#define ASKBOX_DBUS_DECLARE(Name) extern decltype(&::Name) Name;
ASKBOX_DBUS_CALLS(ASKBOX_DBUS_DECLARE)
#undef ASKBOX_DBUS_DECLARE
#endif

}  // namespace platform

#endif
