// The console channels: 128-byte blocks, write-through on a character device, 0x1A at end of input.
#include "run/console-channels.h"

#include <algorithm>
#include <string.h>

#include "platform/decimal.h"
#include "platform/platform.h"
#include "run/failures.h"

using namespace platform;

namespace {

const size_t BLOCK_SIZE = 128;
const unsigned char END_OF_INPUT = 0x1A;
const int32_t CODE_OUTPUT_NOT_OPEN = 103;
const int32_t CODE_INPUT_NOT_OPEN = 104;

struct OutputChannel {
  bool Open;
  bool WriteThrough;
  HANDLE Handle;
  size_t Held;
  char Block[BLOCK_SIZE];
};

struct InputChannel {
  bool Open;
  bool Ended;
  HANDLE Handle;
  size_t Position;
  size_t Filled;
  unsigned char Block[BLOCK_SIZE];
};

OutputChannel StdOut;
InputChannel StdIn;
// Each failed operation replaces the code stored before; only CheckIo reads it.
int32_t PendingIoError = 0;

bool OpenStdOut() {
  if (StdOut.Open) return true;
  HANDLE Handle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (Handle == INVALID_HANDLE_VALUE) return false;
  DWORD Type = GetFileType(Handle);
  if (Type == FILE_TYPE_UNKNOWN) return false;
  StdOut.Open = true;
  StdOut.Handle = Handle;
  StdOut.WriteThrough = Type == FILE_TYPE_CHAR;
  return true;
}

// The block is emptied before the write, so a failed block is lost rather than retried.
bool WriteBlock() {
  DWORD Count = static_cast<DWORD>(StdOut.Held);
  StdOut.Held = 0;
  DWORD Written = 0;
  if (WriteFile(StdOut.Handle, StdOut.Block, Count, &Written, nullptr)) return true;
  PendingIoError = static_cast<int32_t>(GetLastError());
  return false;
}

void AppendPiece(const char* Bytes, size_t Length) {
  if (!OpenStdOut()) return;
  while (Length > 0) {
    size_t Room = BLOCK_SIZE - StdOut.Held;
    size_t Count = std::min(Length, Room);
    memcpy(StdOut.Block + StdOut.Held, Bytes, Count);
    StdOut.Held += Count;
    Bytes += Count;
    Length -= Count;
    // A failed write drops the rest of the piece too.
    if (StdOut.Held == BLOCK_SIZE && !WriteBlock()) return;
  }
}

void RefillStdIn() {
  StdIn.Position = 0;
  StdIn.Filled = 0;
  DWORD Count = 0;
  if (ReadFile(StdIn.Handle, StdIn.Block, BLOCK_SIZE, &Count, nullptr)) {
    if (Count > BLOCK_SIZE) Count = BLOCK_SIZE;
    if (Count > 0) {
      StdIn.Filled = Count;
      return;
    }
    StdIn.Ended = true;
  } else {
    DWORD Code = GetLastError();
    if (Code == ERROR_BROKEN_PIPE)
      StdIn.Ended = true;
    else
      PendingIoError = static_cast<int32_t>(Code);
  }
  StdIn.Block[0] = END_OF_INPUT;
  StdIn.Filled = 1;
}

unsigned char PeekInputByte() {
  if (!StdIn.Open) {
    HANDLE Handle = GetStdHandle(STD_INPUT_HANDLE);
    if (Handle == INVALID_HANDLE_VALUE) {
      PendingIoError = CODE_INPUT_NOT_OPEN;
      return END_OF_INPUT;
    }
    StdIn.Open = true;
    StdIn.Handle = Handle;
  }
  if (StdIn.Position == StdIn.Filled) {
    if (StdIn.Ended) return END_OF_INPUT;
    RefillStdIn();
  }
  return StdIn.Block[StdIn.Position];
}

// The end-of-input byte is never taken, so every later read sees it again.
void TakeInputByte() {
  if (StdIn.Block[StdIn.Position] != END_OF_INPUT) ++StdIn.Position;
}

}  // namespace

void ResetConsoleChannels() {
  memset(&StdOut, 0, sizeof StdOut);
  memset(&StdIn, 0, sizeof StdIn);
  PendingIoError = 0;
}

NOINLINE void CheckIo() {
  if (PendingIoError == 0) return;
  int32_t Code = PendingIoError;
  PendingIoError = 0;
  EInOutError Failure(Code);
  Raise(Failure, CALLER_LOCATION());
}

void WriteText(const char* Bytes, size_t Length) { AppendPiece(Bytes, Length); }
void WriteText(const Text& Line) { AppendPiece(Line.Bytes(), Line.Length()); }
void WriteText(const char* NulTerminated) { AppendPiece(NulTerminated, strlen(NulTerminated)); }

void WriteInteger(int32_t Value) {
  char Digits[DECIMAL_ROOM];
  AppendPiece(Digits, static_cast<size_t>(FormatDecimal(Digits, Value)));
}

void EndLine() {
  AppendPiece("\r\n", 2);
  if (!StdOut.Open) {
    PendingIoError = CODE_OUTPUT_NOT_OPEN;
    return;
  }
  if (StdOut.WriteThrough && StdOut.Held > 0) WriteBlock();
}

void ReadLine() {
  for (;;) {
    unsigned char Byte = PeekInputByte();
    if (Byte == END_OF_INPUT) return;
    TakeInputByte();
    if (Byte == '\r') {
      // A line feed after the carriage return belongs to this line; anything else stays.
      if (PeekInputByte() == '\n') TakeInputByte();
      return;
    }
  }
}

void WriteHeldOutput() {
  if (!StdOut.Open || StdOut.Held == 0) return;
  DWORD Written = 0;
  DWORD Count = static_cast<DWORD>(StdOut.Held);
  StdOut.Held = 0;
  WriteFile(StdOut.Handle, StdOut.Block, Count, &Written, nullptr);
}

void EndProcess(uint32_t ExitCode) {
  WriteHeldOutput();
  ExitProcess(ExitCode);
}
