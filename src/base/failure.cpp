// Raising a failure: straight to the installed handler, which never returns.
#include "base/failure.h"

#include <string.h>

#include "platform/decimal.h"

namespace {

FailureHandler InstalledHandler = nullptr;

}  // namespace

Exception::Exception(const char* Message) {
  MessageText[0] = '\0';
  AppendToMessage(Message);
}

void Exception::AppendToMessage(const char* Piece) {
  size_t Length = strlen(MessageText);
  size_t Count = strlen(Piece);
  if (Count > sizeof MessageText - 1 - Length) Count = sizeof MessageText - 1 - Length;
  memcpy(MessageText + Length, Piece, Count);
  MessageText[Length + Count] = '\0';
}

void Exception::SetMessageWithNumber(const char* Prefix, int32_t Number, const char* Suffix) {
  char Digits[DECIMAL_ROOM + 1];
  Digits[FormatDecimal(Digits, Number)] = '\0';
  MessageText[0] = '\0';
  AppendToMessage(Prefix);
  AppendToMessage(Digits);
  AppendToMessage(Suffix);
}

void InstallFailureHandler(FailureHandler Handler) { InstalledHandler = Handler; }

void Raise(const Exception& Failure, const void* Location) {
  if (InstalledHandler != nullptr) InstalledHandler(Failure, Location);
  // A handler that returns, or none at all, leaves nothing sane to go on with.
  __builtin_trap();
}
