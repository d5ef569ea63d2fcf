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
  const char* line;
  int read;  // how many reads the position is past: 1 after the program-name token
  const char* position;
};
ArgumentCursor Cursor;

bool IsSeparator(unsigned char byte) { return byte >= 1 && byte <= 32; }

const char* SkipSeparators(const char* position) {
  for (;;) {
    while (IsSeparator(static_cast<unsigned char>(*position))) ++position;
    if (position[0] == '"' && position[1] == '"') {
      position += 2;
      continue;
    }
    return position;
  }
}

// Walks one argument from its first byte; copies its bytes to out when out is not null.
const char* ScanArgument(const char* position, char* out, size_t& length) {
  length = 0;
  for (;;) {
    unsigned char byte = static_cast<unsigned char>(*position);
    if (byte <= 32) return position;
    if (byte != '"') {
      if (out != nullptr) out[length] = static_cast<char>(byte);
      ++length;
      ++position;
      continue;
    }
    ++position;
    while (*position != '\0' && *position != '"') {
      if (out != nullptr) out[length] = *position;
      ++length;
      ++position;
    }
    if (*position == '"') ++position;
  }
}

// Moves past one argument without making its text; gives its length.
size_t SkipArgument(const char*& position) {
  size_t length = 0;
  position = ScanArgument(SkipSeparators(position), nullptr, length);
  return length;
}

}  // namespace

void BuildLeadByteSet() {
  memset(LeadBytes, 0, sizeof LeadBytes);
  AnyLeadByte = false;
  if (platform::GetSystemMetrics(platform::SM_DBCSENABLED) == 0) return;
  platform::CPINFO info;
  memset(&info, 0, sizeof info);
  platform::GetCPInfo(platform::CP_ACP, &info);
  for (unsigned pair = 0; pair + 1 < platform::MAX_LEADBYTES; pair += 2) {
    unsigned first = info.LeadByte[pair];
    unsigned last = info.LeadByte[pair + 1];
    if (first == 0 && last == 0) break;
    for (unsigned byte = first; byte <= last; ++byte) {
      LeadBytes[byte] = true;
      AnyLeadByte = true;
    }
  }
}

bool IsLeadByte(unsigned char byte) { return LeadBytes[byte]; }

ByteKind ByteKindAt(const char* text, size_t index) {
  if (!AnyLeadByte || text == nullptr || text[index] == '\0') return BYTE_SINGLE;
  unsigned char byte = static_cast<unsigned char>(text[index]);
  size_t leadsBefore = 0;
  for (size_t i = index; i > 0 && IsLeadByte(static_cast<unsigned char>(text[i - 1])); --i)
    ++leadsBefore;
  if (leadsBefore % 2 == 1) return BYTE_TRAIL;
  return IsLeadByte(byte) ? BYTE_LEAD : BYTE_SINGLE;
}

Text ReadArgument(const char*& position) {
  const char* start = SkipSeparators(position);
  size_t length = 0;
  const char* end = ScanArgument(start, nullptr, length);
  Text argument = Text::OfLength(length);
  if (length > 0) ScanArgument(start, argument.MutableBytes(), length);
  position = end;
  return argument;
}

int ArgumentCount() {
  const char* position = platform::GetCommandLineA();
  SkipArgument(position);
  int count = 0;
  while (SkipArgument(position) != 0) ++count;
  return count;
}

Text ArgumentAt(int index) {
  if (index == 0) {
    char path[PROGRAM_PATH_ROOM];
    platform::DWORD length =
        platform::GetModuleFileNameA(nullptr, path, static_cast<platform::DWORD>(sizeof path));
    if (length > sizeof path) length = sizeof path;
    return Text(path, strnlen(path, length));
  }
  const char* line = platform::GetCommandLineA();
  const char* position = line;
  // Reads still to make; the last one yields the argument (the first read is the program name).
  long long reads = static_cast<long long>(index) + 1;
  if (index > 0 && Cursor.line == line && Cursor.read > 0 && Cursor.read <= index) {
    position = Cursor.position;
    reads = index + 1 - Cursor.read;
  }
  for (; reads != 1; --reads) {
    if (SkipArgument(position) == 0) return Text();
  }
  Text argument = ReadArgument(position);
  if (!argument.IsEmpty()) {
    Cursor.line = line;
    Cursor.read = index + 1;
    Cursor.position = position;
  }
  return argument;
}

Text FileNamePart(const Text& path) {
  const char* bytes = path.CString();
  size_t k = path.Length();
  while (k > 0) {
    char byte = bytes[k - 1];
    if (platform::IsDirectorySeparator(byte) || byte == ':') {
      if (ByteKindAt(bytes, k - 1) != BYTE_TRAIL) break;
      // A trail byte: its lead byte is passed over with it.
      k = k >= 2 ? k - 2 : 0;
      continue;
    }
    --k;
  }
  return Text(bytes + k, path.Length() - k);
}

void ResetArgumentCursor() { memset(&Cursor, 0, sizeof Cursor); }
