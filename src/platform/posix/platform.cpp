// The POSIX stand-in for the Win32 calls, all but the console-window calls and the message box.
#include "platform/platform.h"

#include "platform/posix/locale.h"

#include <errno.h>
#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform {

namespace {

const int STANDARD_DESCRIPTORS = 3;

char EmptyCommandLine[] = "askbox";
char* CommandLine = EmptyCommandLine;
bool ClosedAtStart[STANDARD_DESCRIPTORS];
DWORD LastError = 0;
char ModuleStandIn;  // a loaded "module" has no handle here; its address serves as one

size_t WithoutQuotesLength(const char* Argument) {
  size_t Length = 0;
  for (const char* P = Argument; *P != '\0'; ++P) Length += *P != '"';
  return Length;
}

// Every argv element becomes one quoted stretch, so that splitting yields it back as exactly one
// argument, blanks and control bytes included. Double quotes cannot reach an argument on
// Windows either, so they are dropped; an element left empty is left out, as "" would be.
void BuildCommandLine(int Argc, char** Argv) {
  if (Argc <= 0 || Argv == nullptr) return;
  size_t Total = 1;
  for (int I = 0; I < Argc; ++I) Total += WithoutQuotesLength(Argv[I]) + 3;
  char* Line = static_cast<char*>(malloc(Total));
  if (Line == nullptr) return;
  char* Out = Line;
  for (int I = 0; I < Argc; ++I) {
    if (I > 0 && WithoutQuotesLength(Argv[I]) == 0) continue;
    if (I > 0) *Out++ = ' ';
    *Out++ = '"';
    for (const char* P = Argv[I]; *P != '\0'; ++P)
      if (*P != '"') *Out++ = *P;
    *Out++ = '"';
  }
  *Out = '\0';
  CommandLine = Line;
}

// A standard descriptor closed at start keeps a placeholder on /dev/null, so that no file opened
// later takes its number and is mistaken for it.
void ReserveClosedDescriptors() {
  for (int Fd = 0; Fd < STANDARD_DESCRIPTORS; ++Fd) {
    if (fcntl(Fd, F_GETFD) != -1 || errno != EBADF) continue;
    ClosedAtStart[Fd] = true;
    int Placeholder = open("/dev/null", O_RDWR);
    if (Placeholder >= 0 && Placeholder != Fd) {
      dup2(Placeholder, Fd);
      close(Placeholder);
    }
  }
}

// glibc hands the arguments to the functions of .init_array, in static programs too.
void StartPlatform(int Argc, char** Argv, char**) {
  ReserveClosedDescriptors();
  // Writing to a pipe whose reader has gone must fail with an error code, not end the process.
  signal(SIGPIPE, SIG_IGN);
  BuildCommandLine(Argc, Argv);
}

__attribute__((section(".init_array"), used)) void (*const START_PLATFORM_ENTRY)(int, char**, char**) =
    StartPlatform;

struct DoubleByteCodeset {
  const char* Name;
  BYTE Ranges[MAX_LEADBYTES];
};

const DoubleByteCodeset DOUBLE_BYTE_CODESETS[] = {
    {"SJIS", {0x81, 0x9F, 0xE0, 0xFC}},     {"SHIFTJIS", {0x81, 0x9F, 0xE0, 0xFC}},
    {"CP932", {0x81, 0x9F, 0xE0, 0xFC}},    {"GBK", {0x81, 0xFE}},
    {"CP936", {0x81, 0xFE}},                {"GB18030", {0x81, 0xFE}},
    {"GB2312", {0xA1, 0xFE}},               {"BIG5", {0x81, 0xFE}},
    {"BIG5HKSCS", {0x81, 0xFE}},            {"CP950", {0x81, 0xFE}},
    {"EUCKR", {0x81, 0xFE}},                {"CP949", {0x81, 0xFE}},
    {"EUCJP", {0x8E, 0x8E, 0xA1, 0xFE}},
};

const DoubleByteCodeset* CurrentDoubleByteCodeset() {
  char Codeset[32];
  LocaleCodeset(Codeset, sizeof Codeset);
  for (const DoubleByteCodeset& Known : DOUBLE_BYTE_CODESETS)
    if (strcmp(Codeset, Known.Name) == 0) return &Known;
  return nullptr;
}

// The Windows code for the same trouble, so that a failure report reads alike on both systems and
// never names a trouble that did not happen (errno 5 is EIO here, a denied access there).
struct CodeOfErrno {
  int ErrnoValue;
  DWORD Code;
};

const DWORD ERROR_GEN_FAILURE = 31;

const CodeOfErrno WIN32_CODES[] = {
    {EPERM, 5},     // ERROR_ACCESS_DENIED
    {EACCES, 5},    // ERROR_ACCESS_DENIED
    {EROFS, 5},     // ERROR_ACCESS_DENIED, as Windows answers a write to a read-only medium
    {ENOENT, 2},    // ERROR_FILE_NOT_FOUND
    {ENOTDIR, 3},   // ERROR_PATH_NOT_FOUND
    {EMFILE, 4},    // ERROR_TOO_MANY_OPEN_FILES
    {ENFILE, 4},    // ERROR_TOO_MANY_OPEN_FILES
    {EBADF, 6},     // ERROR_INVALID_HANDLE
    {ENOMEM, 8},    // ERROR_NOT_ENOUGH_MEMORY
    {EINVAL, 87},   // ERROR_INVALID_PARAMETER
    {ENOSPC, 112},  // ERROR_DISK_FULL
    {EDQUOT, 112},  // ERROR_DISK_FULL
    {EFBIG, 112},   // ERROR_DISK_FULL
    {EISDIR, 1},    // ERROR_INVALID_FUNCTION, what reading a directory gives on Windows
    {EPIPE, 233},   // ERROR_PIPE_NOT_CONNECTED, what Wine gives for a pipe whose reader has gone
};

DWORD Win32CodeOf(int ErrnoValue) {
  for (const CodeOfErrno& Entry : WIN32_CODES)
    if (Entry.ErrnoValue == ErrnoValue) return Entry.Code;
  // EIO and everything else: a device fault, a code no message of the report claims.
  return ERROR_GEN_FAILURE;
}

int DescriptorOf(HANDLE File) { return static_cast<int>(reinterpret_cast<intptr_t>(File)) - 1; }
HANDLE FileHandle(int Fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(Fd + 1)); }

struct RegionSearch {
  uintptr_t Address;
  uintptr_t Base;
  uintptr_t Start;
  uintptr_t End;
  const char* Name;
  bool Found;
};

int FindRegion(struct dl_phdr_info* Info, size_t, void* Data) {
  RegionSearch* Search = static_cast<RegionSearch*>(Data);
  uintptr_t Lowest = UINTPTR_MAX;
  for (int I = 0; I < Info->dlpi_phnum; ++I)
    if (Info->dlpi_phdr[I].p_type == PT_LOAD && Info->dlpi_phdr[I].p_vaddr < Lowest)
      Lowest = Info->dlpi_phdr[I].p_vaddr;
  if (Lowest == UINTPTR_MAX) return 0;
  uintptr_t Base = Info->dlpi_addr + Lowest;
  for (int I = 0; I < Info->dlpi_phnum; ++I) {
    const ElfW(Phdr)& Segment = Info->dlpi_phdr[I];
    if (Segment.p_type != PT_LOAD) continue;
    uintptr_t Start = Info->dlpi_addr + Segment.p_vaddr;
    uintptr_t End = Start + Segment.p_memsz;
    bool Wanted = Search->Address != 0 ? Search->Address >= Start && Search->Address < End
                                       : Base == Search->Base;
    if (Wanted) {
      Search->Base = Base;
      Search->Start = Start;
      Search->End = End;
      Search->Name = Info->dlpi_name;
      Search->Found = true;
      return 1;
    }
  }
  return 0;
}

uintptr_t MainImageBase() {
  RegionSearch Search = {reinterpret_cast<uintptr_t>(&MainImageBase), 0, 0, 0, nullptr, false};
  dl_iterate_phdr(FindRegion, &Search);
  return Search.Base;
}

DWORD CopyTruncated(const char* Source, size_t Length, LPSTR Out, DWORD Size) {
  if (Size == 0) return 0;
  // As on Windows: a name that does not fit is cut, NUL-terminated, and the full size reported.
  if (Length >= Size) {
    memcpy(Out, Source, Size - 1);
    Out[Size - 1] = '\0';
    return Size;
  }
  memcpy(Out, Source, Length);
  Out[Length] = '\0';
  return static_cast<DWORD>(Length);
}

}  // namespace

LPSTR GetCommandLineA() { return CommandLine; }

DWORD GetModuleFileNameA(HMODULE Module, LPSTR FileName, DWORD Size) {
  uintptr_t Base = reinterpret_cast<uintptr_t>(Module);
  if (Base == 0 || Base == MainImageBase()) {
    char Path[4096];
    ssize_t Length = readlink("/proc/self/exe", Path, sizeof Path);
    if (Length <= 0) {
      LastError = Win32CodeOf(errno);
      return 0;
    }
    return CopyTruncated(Path, static_cast<size_t>(Length), FileName, Size);
  }
  RegionSearch Search = {0, Base, 0, 0, nullptr, false};
  dl_iterate_phdr(FindRegion, &Search);
  if (!Search.Found || Search.Name == nullptr || Search.Name[0] == '\0') return 0;
  return CopyTruncated(Search.Name, strlen(Search.Name), FileName, Size);
}

int GetSystemMetrics(int Index) {
  if (Index != SM_DBCSENABLED) return 0;
  return CurrentDoubleByteCodeset() != nullptr ? 1 : 0;
}

BOOL GetCPInfo(UINT, CPINFO* Info) {
  memset(Info, 0, sizeof *Info);
  const DoubleByteCodeset* Codeset = CurrentDoubleByteCodeset();
  Info->MaxCharSize = Codeset != nullptr ? 2 : (LocaleIsUtf8() ? 4 : 1);
  Info->DefaultChar[0] = '?';
  if (Codeset != nullptr) memcpy(Info->LeadByte, Codeset->Ranges, sizeof Info->LeadByte);
  return 1;
}

int CompareStringA(LCID, DWORD Flags, LPCSTR String1, int Count1, LPCSTR String2, int Count2) {
  if (Count1 < 0) Count1 = static_cast<int>(strlen(String1));
  if (Count2 < 0) Count2 = static_cast<int>(strlen(String2));
  int Shorter = Count1 < Count2 ? Count1 : Count2;
  for (int I = 0; I < Shorter; ++I) {
    unsigned char A = static_cast<unsigned char>(String1[I]);
    unsigned char B = static_cast<unsigned char>(String2[I]);
    if ((Flags & NORM_IGNORECASE) != 0) {
      if (A >= 'A' && A <= 'Z') A = static_cast<unsigned char>(A - 'A' + 'a');
      if (B >= 'A' && B <= 'Z') B = static_cast<unsigned char>(B - 'A' + 'a');
    }
    if (A != B) return A < B ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  if (Count1 == Count2) return CSTR_EQUAL;
  return Count1 < Count2 ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}

LPSTR CharNextA(LPCSTR Position) {
  static int Utf8 = -1;
  static const DoubleByteCodeset* DoubleByte = nullptr;
  if (Utf8 < 0) {
    DoubleByte = CurrentDoubleByteCodeset();
    Utf8 = LocaleIsUtf8() ? 1 : 0;
  }
  const unsigned char* P = reinterpret_cast<const unsigned char*>(Position);
  if (*P == 0) return const_cast<LPSTR>(Position);
  if (DoubleByte != nullptr) {
    bool Lead = false;
    for (int I = 0; I + 1 < static_cast<int>(MAX_LEADBYTES) && DoubleByte->Ranges[I] != 0; I += 2)
      Lead = Lead || (*P >= DoubleByte->Ranges[I] && *P <= DoubleByte->Ranges[I + 1]);
    return const_cast<LPSTR>(Position + (Lead && P[1] != 0 ? 2 : 1));
  }
  ++P;
  // A UTF-8 character is stepped over whole, continuation bytes and all.
  if (Utf8 == 1 && *(P - 1) >= 0xC2)
    for (int I = 0; I < 3 && (*P & 0xC0) == 0x80; ++I) ++P;
  return reinterpret_cast<LPSTR>(const_cast<unsigned char*>(P));
}

HMODULE LoadLibraryA(LPCSTR FileName) {
  if (FileName == nullptr || FileName[0] == '\0' || access(FileName, R_OK) != 0) {
    LastError = Win32CodeOf(errno != 0 ? errno : ENOENT);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(&ModuleStandIn);
}

BOOL GetVersionExA(OSVERSIONINFOA* Info) {
  if (Info == nullptr || Info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return 0;
  struct utsname Names;
  if (uname(&Names) != 0) return 0;
  DWORD Parts[3] = {0, 0, 0};
  const char* P = Names.release;
  for (int I = 0; I < 3; ++I) {
    while (*P >= '0' && *P <= '9') Parts[I] = Parts[I] * 10 + static_cast<DWORD>(*P++ - '0');
    if (*P != '.') break;
    ++P;
  }
  Info->dwMajorVersion = Parts[0];
  Info->dwMinorVersion = Parts[1];
  Info->dwBuildNumber = Parts[2];
  Info->dwPlatformId = 2;
  return 1;
}

HANDLE GetStdHandle(DWORD Which) {
  int Fd = Which == STD_INPUT_HANDLE ? 0 : Which == STD_OUTPUT_HANDLE ? 1 : Which == static_cast<DWORD>(-12) ? 2 : -1;
  if (Fd < 0 || ClosedAtStart[Fd]) return INVALID_HANDLE_VALUE;
  return FileHandle(Fd);
}

DWORD GetFileType(HANDLE File) {
  struct stat Status;
  if (File == INVALID_HANDLE_VALUE || fstat(DescriptorOf(File), &Status) != 0) return FILE_TYPE_UNKNOWN;
  if (S_ISCHR(Status.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(Status.st_mode) || S_ISSOCK(Status.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_DISK;
}

BOOL WriteFile(HANDLE File, LPCVOID Buffer, DWORD Count, DWORD* Written, LPVOID) {
  const char* Bytes = static_cast<const char*>(Buffer);
  DWORD Done = 0;
  while (Done < Count) {
    ssize_t Moved = write(DescriptorOf(File), Bytes + Done, Count - Done);
    if (Moved < 0 && errno == EINTR) continue;
    if (Moved <= 0) {
      LastError = Moved < 0 ? Win32CodeOf(errno) : ERROR_GEN_FAILURE;
      if (Written != nullptr) *Written = Done;
      return 0;
    }
    Done += static_cast<DWORD>(Moved);
  }
  if (Written != nullptr) *Written = Done;
  return 1;
}

BOOL ReadFile(HANDLE File, LPVOID Buffer, DWORD Count, DWORD* Read, LPVOID) {
  int Fd = DescriptorOf(File);
  char* Bytes = static_cast<char*>(Buffer);
  // A terminal delivers a line feed for Enter where a Windows console delivers carriage return
  // and line feed; room is kept so that each line feed can grow into both.
  bool Terminal = isatty(Fd) == 1;
  DWORD Ask = Terminal ? Count / 2 : Count;
  if (Ask == 0) Ask = Count;
  ssize_t Got;
  do Got = ::read(Fd, Bytes, Ask);
  while (Got < 0 && errno == EINTR);
  if (Got < 0) {
    LastError = Win32CodeOf(errno);
    if (Read != nullptr) *Read = 0;
    return 0;
  }
  DWORD Length = static_cast<DWORD>(Got);
  if (Terminal) {
    DWORD Feeds = 0;
    for (DWORD I = 0; I < Length; ++I) Feeds += Bytes[I] == '\n';
    for (DWORD I = Length, J = Length + Feeds; I > 0;) {
      char Byte = Bytes[--I];
      Bytes[--J] = Byte;
      if (Byte == '\n') Bytes[--J] = '\r';
    }
    Length += Feeds;
  }
  if (Read != nullptr) *Read = Length;
  return 1;
}

DWORD GetLastError() { return LastError; }

SIZE_T VirtualQuery(LPCVOID Address, MEMORY_BASIC_INFORMATION* Info, SIZE_T Size) {
  if (Info == nullptr || Size < sizeof *Info) return 0;
  memset(Info, 0, sizeof *Info);
  RegionSearch Search = {reinterpret_cast<uintptr_t>(Address), 0, 0, 0, nullptr, false};
  if (Search.Address == 0 || dl_iterate_phdr(FindRegion, &Search) == 0 || !Search.Found) {
    Info->State = MEM_FREE;
    return sizeof *Info;
  }
  Info->BaseAddress = reinterpret_cast<LPVOID>(Search.Start);
  Info->AllocationBase = reinterpret_cast<LPVOID>(Search.Base);
  Info->RegionSize = Search.End - Search.Start;
  Info->State = MEM_COMMIT;
  return sizeof *Info;
}

void ExitProcess(UINT ExitCode) { _exit(static_cast<int>(ExitCode)); }

bool IsDirectorySeparator(char Byte) { return Byte == '/' || Byte == '\\'; }

}  // namespace platform
