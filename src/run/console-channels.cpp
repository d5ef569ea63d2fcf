// The console channels: 128-byte blocks, write-through on a character device, 0x1A at end of input.
#include "run/console-channels.h"

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
  bool open;
  bool writeThrough;
  HANDLE handle;
  size_t held;
  char block[BLOCK_SIZE];
};

struct InputChannel {
  bool open;
  bool ended;
  HANDLE handle;
  size_t position;
  size_t filled;
  unsigned char block[BLOCK_SIZE];
};

OutputChannel StdOut;
InputChannel StdIn;
// Each failed operation replaces the code stored before; only CheckIo reads it.
int32_t PendingIoError = 0;

bool OpenStdOut() {
  if (StdOut.open) return true;
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD type = GetFileType(handle);
  if (type == FILE_TYPE_UNKNOWN) return false;
  StdOut.open = true;
  StdOut.handle = handle;
  StdOut.writeThrough = type == FILE_TYPE_CHAR;
  return true;
}

// The block is emptied before the write, so a failed block is lost rather than retried.
bool WriteBlock() {
  DWORD count = static_cast<DWORD>(StdOut.held);
  StdOut.held = 0;
  DWORD written = 0;
  if (WriteFile(StdOut.handle, StdOut.block, count, &written, nullptr)) return true;
  PendingIoError = static_cast<int32_t>(GetLastError());
  return false;
}

void AppendPiece(const char* bytes, size_t length) {
  if (!OpenStdOut()) return;
  while (length > 0) {
    size_t room = BLOCK_SIZE - StdOut.held;
    size_t count = length < room ? length : room;
    memcpy(StdOut.block + StdOut.held, bytes, count);
    StdOut.held += count;
    bytes += count;
    length -= count;
    // A failed write drops the rest of the piece too.
    if (StdOut.held == BLOCK_SIZE && !WriteBlock()) return;
  }
}

void RefillStdIn() {
  StdIn.position = 0;
  StdIn.filled = 0;
  DWORD count = 0;
  if (ReadFile(StdIn.handle, StdIn.block, BLOCK_SIZE, &count, nullptr)) {
    if (count > BLOCK_SIZE) count = BLOCK_SIZE;
    if (count > 0) {
      StdIn.filled = count;
      return;
    }
    StdIn.ended = true;
  } else {
    DWORD code = GetLastError();
    if (code == ERROR_BROKEN_PIPE)
      StdIn.ended = true;
    else
      PendingIoError = static_cast<int32_t>(code);
  }
  StdIn.block[0] = END_OF_INPUT;
  StdIn.filled = 1;
}

unsigned char PeekInputByte() {
  if (!StdIn.open) {
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE) {
      PendingIoError = CODE_INPUT_NOT_OPEN;
      return END_OF_INPUT;
    }
    StdIn.open = true;
    StdIn.handle = handle;
  }
  if (StdIn.position == StdIn.filled) {
    if (StdIn.ended) return END_OF_INPUT;
    RefillStdIn();
  }
  return StdIn.block[StdIn.position];
}

// The end-of-input byte is never taken, so every later read sees it again.
void TakeInputByte() {
  if (StdIn.block[StdIn.position] != END_OF_INPUT) ++StdIn.position;
}

}  // namespace

void ResetConsoleChannels() {
  memset(&StdOut, 0, sizeof StdOut);
  memset(&StdIn, 0, sizeof StdIn);
  PendingIoError = 0;
}

NOINLINE void CheckIo() {
  if (PendingIoError == 0) return;
  int32_t code = PendingIoError;
  PendingIoError = 0;
  EInOutError failure(code);
  Raise(failure, CALLER_LOCATION());
}

void WriteText(const char* bytes, size_t length) { AppendPiece(bytes, length); }
void WriteText(const Text& text) { AppendPiece(text.Bytes(), text.Length()); }
void WriteText(const char* nulTerminated) { AppendPiece(nulTerminated, strlen(nulTerminated)); }

void WriteInteger(int32_t value) {
  char digits[DECIMAL_ROOM];
  AppendPiece(digits, static_cast<size_t>(FormatDecimal(digits, value)));
}

void EndLine() {
  AppendPiece("\r\n", 2);
  if (!StdOut.open) {
    PendingIoError = CODE_OUTPUT_NOT_OPEN;
    return;
  }
  if (StdOut.writeThrough && StdOut.held > 0) WriteBlock();
}

void ReadLine() {
  for (;;) {
    unsigned char byte = PeekInputByte();
    if (byte == END_OF_INPUT) return;
    TakeInputByte();
    if (byte == '\r') {
      // A line feed after the carriage return belongs to this line; anything else stays.
      if (PeekInputByte() == '\n') TakeInputByte();
      return;
    }
  }
}

void WriteHeldOutput() {
  if (!StdOut.open || StdOut.held == 0) return;
  DWORD written = 0;
  DWORD count = static_cast<DWORD>(StdOut.held);
  StdOut.held = 0;
  WriteFile(StdOut.handle, StdOut.block, count, &written, nullptr);
}

void EndProcess(uint32_t exitCode) {
  WriteHeldOutput();
  ExitProcess(exitCode);
}
