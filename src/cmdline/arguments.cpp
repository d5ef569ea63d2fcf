// Splitting the raw command line: bytes 1 to 32 separate, double quotes group and vanish, nothing escapes.
#include "cmdline/arguments.h"

#include <string.h>

#include "platform/platform.h"

namespace {

const size_t PROGRAM_PATH_ROOM = 261;

bool LeadBytes[256];
bool AnyLeadByte = false;

// Where the last argument handed out ended, so that the main routine's in-order requests resume
// there instead of rescanning the line: a command line can hold a great many arguments.
struct ArgumentCursor {
  const char* Line;
  int Read;  // how many reads the position is past: 1 after the program-name token
  const char* Position;
};
ArgumentCursor Cursor;

bool IsSeparator(unsigned char Byte) { return Byte >= 1 && Byte <= 32; }

const char* SkipSeparators(const char* Position) {
  for (;;) {
    while (IsSeparator(static_cast<unsigned char>(*Position))) ++Position;
    if (Position[0] == '"' && Position[1] == '"') {
      Position += 2;
      continue;
    }
    return Position;
  }
}

// Walks one argument from its first byte; copies its bytes to out when out is not null.
const char* ScanArgument(const char* Position, char* Out, size_t& Length) {
  Length = 0;
  for (;;) {
    unsigned char Byte = static_cast<unsigned char>(*Position);
    if (Byte <= 32) return Position;
    if (Byte != '"') {
      if (Out != nullptr) Out[Length] = static_cast<char>(Byte);
      ++Length;
      ++Position;
      continue;
    }
    ++Position;
    while (*Position != '\0' && *Position != '"') {
      if (Out != nullptr) Out[Length] = *Position;
      ++Length;
      ++Position;
    }
    if (*Position == '"') ++Position;
  }
}

// Moves past one argument without making its text; gives its length.
size_t SkipArgument(const char*& Position) {
  size_t Length = 0;
  Position = ScanArgument(SkipSeparators(Position), nullptr, Length);
  return Length;
}

}  // namespace

void BuildLeadByteSet() {
  memset(LeadBytes, 0, sizeof LeadBytes);
  AnyLeadByte = false;
  if (platform::GetSystemMetrics(platform::SM_DBCSENABLED) == 0) return;
  platform::CPINFO Info;
  memset(&Info, 0, sizeof Info);
  platform::GetCPInfo(platform::CP_ACP, &Info);
  for (unsigned Pair = 0; Pair + 1 < platform::MAX_LEADBYTES; Pair += 2) {
    unsigned First = Info.LeadByte[Pair];
    unsigned Last = Info.LeadByte[Pair + 1];
    if (First == 0 && Last == 0) break;
    for (unsigned Byte = First; Byte <= Last; ++Byte) {
      LeadBytes[Byte] = true;
      AnyLeadByte = true;
    }
  }
}

bool IsLeadByte(unsigned char Byte) { return LeadBytes[Byte]; }

ByteKind ByteKindAt(const char* Text, size_t Index) {
  if (!AnyLeadByte || Text == nullptr || Text[Index] == '\0') return BYTE_SINGLE;
  unsigned char Byte = static_cast<unsigned char>(Text[Index]);
  size_t LeadsBefore = 0;
  for (size_t I = Index; I > 0 && IsLeadByte(static_cast<unsigned char>(Text[I - 1])); --I)
    ++LeadsBefore;
  if (LeadsBefore % 2 == 1) return BYTE_TRAIL;
  return IsLeadByte(Byte) ? BYTE_LEAD : BYTE_SINGLE;
}

Text ReadArgument(const char*& Position) {
  const char* Start = SkipSeparators(Position);
  size_t Length = 0;
  const char* End = ScanArgument(Start, nullptr, Length);
  Text Argument = Text::OfLength(Length);
  if (Length > 0) ScanArgument(Start, Argument.MutableBytes(), Length);
  Position = End;
  return Argument;
}

int ArgumentCount() {
  const char* Position = platform::GetCommandLineA();
  SkipArgument(Position);
  int Count = 0;
  while (SkipArgument(Position) != 0) ++Count;
  return Count;
}

Text ArgumentAt(int Index) {
  if (Index == 0) {
    char Path[PROGRAM_PATH_ROOM];
    platform::DWORD Length =
        platform::GetModuleFileNameA(nullptr, Path, static_cast<platform::DWORD>(sizeof Path));
    if (Length > sizeof Path) Length = sizeof Path;
    return Text(Path, strnlen(Path, Length));
  }
  const char* Line = platform::GetCommandLineA();
  const char* Position = Line;
  // Reads still to make; the last one yields the argument (the first read is the program name).
  long long Reads = static_cast<long long>(Index) + 1;
  if (Index > 0 && Cursor.Line == Line && Cursor.Read > 0 && Cursor.Read <= Index) {
    Position = Cursor.Position;
    Reads = Index + 1 - Cursor.Read;
  }
  for (; Reads != 1; --Reads) {
    if (SkipArgument(Position) == 0) return Text();
  }
  Text Argument = ReadArgument(Position);
  if (!Argument.IsEmpty()) {
    Cursor.Line = Line;
    Cursor.Read = Index + 1;
    Cursor.Position = Position;
  }
  return Argument;
}

Text FileNamePart(const Text& Path) {
  const char* Bytes = Path.CString();
  size_t K = Path.Length();
  while (K > 0) {
    char Byte = Bytes[K - 1];
    if (platform::IsDirectorySeparator(Byte) || Byte == ':') {
      if (ByteKindAt(Bytes, K - 1) != BYTE_TRAIL) break;
      // A trail byte: its lead byte is passed over with it.
      K = K >= 2 ? K - 2 : 0;
      continue;
    }
    --K;
  }
  return Text(Bytes + K, Path.Length() - K);
}

void ResetArgumentCursor() { memset(&Cursor, 0, sizeof Cursor); }
