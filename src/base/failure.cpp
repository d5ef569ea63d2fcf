// Raising a failure: straight to the installed handler, which never returns.
#include "base/failure.h"

#include <string.h>

#include "platform/decimal.h"

namespace {

FailureHandler InstalledHandler = nullptr;

}  // namespace

Exception::Exception(const char* message) {
  message_[0] = '\0';
  AppendToMessage(message);
}

void Exception::AppendToMessage(const char* piece) {
  size_t length = strlen(message_);
  size_t count = strlen(piece);
  if (count > sizeof message_ - 1 - length) count = sizeof message_ - 1 - length;
  memcpy(message_ + length, piece, count);
  message_[length + count] = '\0';
}

void Exception::SetMessageWithNumber(const char* prefix, int32_t number, const char* suffix) {
  char digits[DECIMAL_ROOM + 1];
  digits[FormatDecimal(digits, number)] = '\0';
  message_[0] = '\0';
  AppendToMessage(prefix);
  AppendToMessage(digits);
  AppendToMessage(suffix);
}

void InstallFailureHandler(FailureHandler handler) { InstalledHandler = handler; }

void Raise(const Exception& failure, const void* location) {
  if (InstalledHandler != nullptr) InstalledHandler(failure, location);
  // A handler that returns, or none at all, leaves nothing sane to go on with.
  __builtin_trap();
}
