// The POSIX stand-in for the Win32 calls, all but the console-window calls and the message box.
#include "platform/platform.h"

#include "platform/locale-posix.h"

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

size_t WithoutQuotesLength(const char* argument) {
  size_t length = 0;
  for (const char* p = argument; *p != '\0'; ++p) length += *p != '"';
  return length;
}

// Every argv element becomes one quoted stretch, so that splitting yields it back as exactly one
// argument, blanks and control bytes included. Double quotes cannot reach an argument on
// Windows either, so they are dropped; an element left empty is left out, as "" would be.
void BuildCommandLine(int argc, char** argv) {
  if (argc <= 0 || argv == nullptr) return;
  size_t total = 1;
  for (int i = 0; i < argc; ++i) total += WithoutQuotesLength(argv[i]) + 3;
  char* line = static_cast<char*>(malloc(total));
  if (line == nullptr) return;
  char* out = line;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && WithoutQuotesLength(argv[i]) == 0) continue;
    if (i > 0) *out++ = ' ';
    *out++ = '"';
    for (const char* p = argv[i]; *p != '\0'; ++p)
      if (*p != '"') *out++ = *p;
    *out++ = '"';
  }
  *out = '\0';
  CommandLine = line;
}

// A standard descriptor closed at start keeps a placeholder on /dev/null, so that no file opened
// later takes its number and is mistaken for it.
void ReserveClosedDescriptors() {
  for (int fd = 0; fd < STANDARD_DESCRIPTORS; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    ClosedAtStart[fd] = true;
    int placeholder = open("/dev/null", O_RDWR);
    if (placeholder >= 0 && placeholder != fd) {
      dup2(placeholder, fd);
      close(placeholder);
    }
  }
}

// glibc hands the arguments to the functions of .init_array, in static programs too.
void StartPlatform(int argc, char** argv, char**) {
  ReserveClosedDescriptors();
  // Writing to a pipe whose reader has gone must fail with an error code, not end the process.
  signal(SIGPIPE, SIG_IGN);
  BuildCommandLine(argc, argv);
}

__attribute__((section(".init_array"), used)) void (*const StartPlatformEntry)(int, char**, char**) =
    StartPlatform;

struct DoubleByteCodeset {
  const char* name;
  BYTE ranges[MAX_LEADBYTES];
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
  char codeset[32];
  LocaleCodeset(codeset, sizeof codeset);
  for (const DoubleByteCodeset& known : DOUBLE_BYTE_CODESETS)
    if (strcmp(codeset, known.name) == 0) return &known;
  return nullptr;
}

// The Windows code for the same trouble, so that a failure report reads alike on both systems and
// never names a trouble that did not happen (errno 5 is EIO here, a denied access there).
struct CodeOfErrno {
  int errnoValue;
  DWORD code;
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

DWORD Win32CodeOf(int errnoValue) {
  for (const CodeOfErrno& entry : WIN32_CODES)
    if (entry.errnoValue == errnoValue) return entry.code;
  // EIO and everything else: a device fault, a code no message of the report claims.
  return ERROR_GEN_FAILURE;
}

int DescriptorOf(HANDLE file) { return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1; }
HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd + 1)); }

struct RegionSearch {
  uintptr_t address;
  uintptr_t base;
  uintptr_t start;
  uintptr_t end;
  const char* name;
  bool found;
};

int FindRegion(struct dl_phdr_info* info, size_t, void* data) {
  RegionSearch* search = static_cast<RegionSearch*>(data);
  uintptr_t lowest = UINTPTR_MAX;
  for (int i = 0; i < info->dlpi_phnum; ++i)
    if (info->dlpi_phdr[i].p_type == PT_LOAD && info->dlpi_phdr[i].p_vaddr < lowest)
      lowest = info->dlpi_phdr[i].p_vaddr;
  if (lowest == UINTPTR_MAX) return 0;
  uintptr_t base = info->dlpi_addr + lowest;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD) continue;
    uintptr_t start = info->dlpi_addr + segment.p_vaddr;
    uintptr_t end = start + segment.p_memsz;
    bool wanted = search->address != 0 ? search->address >= start && search->address < end
                                       : base == search->base;
    if (wanted) {
      search->base = base;
      search->start = start;
      search->end = end;
      search->name = info->dlpi_name;
      search->found = true;
      return 1;
    }
  }
  return 0;
}

uintptr_t MainImageBase() {
  RegionSearch search = {reinterpret_cast<uintptr_t>(&MainImageBase), 0, 0, 0, nullptr, false};
  dl_iterate_phdr(FindRegion, &search);
  return search.base;
}

DWORD CopyTruncated(const char* source, size_t length, LPSTR out, DWORD size) {
  if (size == 0) return 0;
  // As on Windows: a name that does not fit is cut, NUL-terminated, and the full size reported.
  if (length >= size) {
    memcpy(out, source, size - 1);
    out[size - 1] = '\0';
    return size;
  }
  memcpy(out, source, length);
  out[length] = '\0';
  return static_cast<DWORD>(length);
}

}  // namespace

LPSTR GetCommandLineA() { return CommandLine; }

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  uintptr_t base = reinterpret_cast<uintptr_t>(module);
  if (base == 0 || base == MainImageBase()) {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0) {
      LastError = Win32CodeOf(errno);
      return 0;
    }
    return CopyTruncated(path, static_cast<size_t>(length), fileName, size);
  }
  RegionSearch search = {0, base, 0, 0, nullptr, false};
  dl_iterate_phdr(FindRegion, &search);
  if (!search.found || search.name == nullptr || search.name[0] == '\0') return 0;
  return CopyTruncated(search.name, strlen(search.name), fileName, size);
}

int GetSystemMetrics(int index) {
  if (index != SM_DBCSENABLED) return 0;
  return CurrentDoubleByteCodeset() != nullptr ? 1 : 0;
}

BOOL GetCPInfo(UINT, CPINFO* info) {
  memset(info, 0, sizeof *info);
  const DoubleByteCodeset* codeset = CurrentDoubleByteCodeset();
  info->MaxCharSize = codeset != nullptr ? 2 : (LocaleIsUtf8() ? 4 : 1);
  info->DefaultChar[0] = '?';
  if (codeset != nullptr) memcpy(info->LeadByte, codeset->ranges, sizeof info->LeadByte);
  return 1;
}

int CompareStringA(LCID, DWORD flags, LPCSTR string1, int count1, LPCSTR string2, int count2) {
  if (count1 < 0) count1 = static_cast<int>(strlen(string1));
  if (count2 < 0) count2 = static_cast<int>(strlen(string2));
  int shorter = count1 < count2 ? count1 : count2;
  for (int i = 0; i < shorter; ++i) {
    unsigned char a = static_cast<unsigned char>(string1[i]);
    unsigned char b = static_cast<unsigned char>(string2[i]);
    if ((flags & NORM_IGNORECASE) != 0) {
      if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
      if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
    }
    if (a != b) return a < b ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  if (count1 == count2) return CSTR_EQUAL;
  return count1 < count2 ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}

LPSTR CharNextA(LPCSTR position) {
  static int utf8 = -1;
  static const DoubleByteCodeset* doubleByte = nullptr;
  if (utf8 < 0) {
    doubleByte = CurrentDoubleByteCodeset();
    utf8 = LocaleIsUtf8() ? 1 : 0;
  }
  const unsigned char* p = reinterpret_cast<const unsigned char*>(position);
  if (*p == 0) return const_cast<LPSTR>(position);
  if (doubleByte != nullptr) {
    bool lead = false;
    for (int i = 0; i + 1 < static_cast<int>(MAX_LEADBYTES) && doubleByte->ranges[i] != 0; i += 2)
      lead = lead || (*p >= doubleByte->ranges[i] && *p <= doubleByte->ranges[i + 1]);
    return const_cast<LPSTR>(position + (lead && p[1] != 0 ? 2 : 1));
  }
  ++p;
  // A UTF-8 character is stepped over whole, continuation bytes and all.
  if (utf8 == 1 && *(p - 1) >= 0xC2)
    for (int i = 0; i < 3 && (*p & 0xC0) == 0x80; ++i) ++p;
  return reinterpret_cast<LPSTR>(const_cast<unsigned char*>(p));
}

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr || fileName[0] == '\0' || access(fileName, R_OK) != 0) {
    LastError = Win32CodeOf(errno != 0 ? errno : ENOENT);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(&ModuleStandIn);
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return 0;
  struct utsname names;
  if (uname(&names) != 0) return 0;
  DWORD parts[3] = {0, 0, 0};
  const char* p = names.release;
  for (int i = 0; i < 3; ++i) {
    while (*p >= '0' && *p <= '9') parts[i] = parts[i] * 10 + static_cast<DWORD>(*p++ - '0');
    if (*p != '.') break;
    ++p;
  }
  info->dwMajorVersion = parts[0];
  info->dwMinorVersion = parts[1];
  info->dwBuildNumber = parts[2];
  info->dwPlatformId = 2;
  return 1;
}

HANDLE GetStdHandle(DWORD which) {
  int fd = which == STD_INPUT_HANDLE ? 0 : which == STD_OUTPUT_HANDLE ? 1 : which == static_cast<DWORD>(-12) ? 2 : -1;
  if (fd < 0 || ClosedAtStart[fd]) return INVALID_HANDLE_VALUE;
  return HandleOf(fd);
}

DWORD GetFileType(HANDLE file) {
  struct stat status;
  if (file == INVALID_HANDLE_VALUE || fstat(DescriptorOf(file), &status) != 0) return FILE_TYPE_UNKNOWN;
  if (S_ISCHR(status.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_DISK;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, DWORD* written, LPVOID) {
  const char* bytes = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < count) {
    ssize_t moved = write(DescriptorOf(file), bytes + done, count - done);
    if (moved < 0 && errno == EINTR) continue;
    if (moved <= 0) {
      LastError = moved < 0 ? Win32CodeOf(errno) : ERROR_GEN_FAILURE;
      if (written != nullptr) *written = done;
      return 0;
    }
    done += static_cast<DWORD>(moved);
  }
  if (written != nullptr) *written = done;
  return 1;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, DWORD* read, LPVOID) {
  int fd = DescriptorOf(file);
  char* bytes = static_cast<char*>(buffer);
  // A terminal delivers a line feed for Enter where a Windows console delivers carriage return
  // and line feed; room is kept so that each line feed can grow into both.
  bool terminal = isatty(fd) == 1;
  DWORD ask = terminal ? count / 2 : count;
  if (ask == 0) ask = count;
  ssize_t got;
  do got = ::read(fd, bytes, ask);
  while (got < 0 && errno == EINTR);
  if (got < 0) {
    LastError = Win32CodeOf(errno);
    if (read != nullptr) *read = 0;
    return 0;
  }
  DWORD length = static_cast<DWORD>(got);
  if (terminal) {
    DWORD feeds = 0;
    for (DWORD i = 0; i < length; ++i) feeds += bytes[i] == '\n';
    for (DWORD i = length, j = length + feeds; i > 0;) {
      char byte = bytes[--i];
      bytes[--j] = byte;
      if (byte == '\n') bytes[--j] = '\r';
    }
    length += feeds;
  }
  if (read != nullptr) *read = length;
  return 1;
}

DWORD GetLastError() { return LastError; }

SIZE_T VirtualQuery(LPCVOID address, MEMORY_BASIC_INFORMATION* info, SIZE_T size) {
  if (info == nullptr || size < sizeof *info) return 0;
  memset(info, 0, sizeof *info);
  RegionSearch search = {reinterpret_cast<uintptr_t>(address), 0, 0, 0, nullptr, false};
  if (search.address == 0 || dl_iterate_phdr(FindRegion, &search) == 0 || !search.found) {
    info->State = MEM_FREE;
    return sizeof *info;
  }
  info->BaseAddress = reinterpret_cast<LPVOID>(search.start);
  info->AllocationBase = reinterpret_cast<LPVOID>(search.base);
  info->RegionSize = search.end - search.start;
  info->State = MEM_COMMIT;
  return sizeof *info;
}

void ExitProcess(UINT exitCode) { _exit(static_cast<int>(exitCode)); }

bool IsDirectorySeparator(char byte) { return byte == '/' || byte == '\\'; }

}  // namespace platform
