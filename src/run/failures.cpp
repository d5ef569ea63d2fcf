// The failure kinds, CheckIo, and the two-line report that ends a failed run.
#include "run/failures.h"

#include <new>
#include <string.h>

#include "base/memory.h"
#include "cmdline/arguments.h"
#include "run/console-channels.h"

using namespace platform;

namespace {

const int REPORT_SIZE = 1024;
const DWORD MODULE_PATH_ROOM = 261;
const size_t MODULE_NAME_LIMIT = 260;
// Where a location cannot be placed in a module, it is taken as relative to the usual start of
// the program's code.
const uintptr_t DEFAULT_CODE_START = 0x1000;

// The report is built in fixed storage: it must work when memory has run out.
char ReportText[REPORT_SIZE + 1];
char ModulePath[MODULE_PATH_ROOM];
alignas(EOutOfMemory) unsigned char OutOfMemoryStorage[sizeof(EOutOfMemory)];
EOutOfMemory* OutOfMemory = nullptr;
HWND HiddenConsole = nullptr;

struct Appender {
  char* out;
  int size;
  int length;
  void Add(const char* bytes, size_t count) {
    for (size_t i = 0; i < count && length < size; ++i) out[length++] = bytes[i];
  }
  void Add(const char* nulTerminated) { Add(nulTerminated, strlen(nulTerminated)); }
};

[[noreturn]] void ReportOutOfMemory(const void* location) { ReportFailure(*OutOfMemory, location); }

const char* MessageOfIoCode(int32_t code) {
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return nullptr;
  }
}

// The part of a module path after its last directory separator that is not the second byte of
// a double-byte character.
const char* ModuleNamePart(const char* path) {
  size_t length = strlen(path);
  size_t start = 0;
  for (size_t i = length; i > 0; --i) {
    if (IsDirectorySeparator(path[i - 1]) && ByteKindAt(path, i - 1) != BYTE_TRAIL) {
      start = i;
      break;
    }
  }
  return path + start;
}

// Which module holds the location, and how far into it the location lies.
uint32_t LocateInModule(const void* location, const char** moduleName) {
  ModulePath[0] = '\0';
  uintptr_t address = reinterpret_cast<uintptr_t>(location);
  uintptr_t start = DEFAULT_CODE_START;
  MEMORY_BASIC_INFORMATION region;
  memset(&region, 0, sizeof region);
  DWORD length = 0;
  if (VirtualQuery(location, &region, sizeof region) != 0 && region.State == MEM_COMMIT) {
    length = GetModuleFileNameA(static_cast<HMODULE>(region.AllocationBase), ModulePath,
                                MODULE_PATH_ROOM);
    if (length != 0) start = reinterpret_cast<uintptr_t>(region.AllocationBase);
  }
  if (length == 0) length = GetModuleFileNameA(nullptr, ModulePath, MODULE_PATH_ROOM);
  if (length >= MODULE_PATH_ROOM) length = MODULE_PATH_ROOM - 1;
  ModulePath[length] = '\0';
  const char* name = ModuleNamePart(ModulePath);
  if (strlen(name) > MODULE_NAME_LIMIT) ModulePath[name - ModulePath + MODULE_NAME_LIMIT] = '\0';
  *moduleName = name;
  if (address == 0) return 0;
  return static_cast<uint32_t>(address - start);
}

}  // namespace

EInOutError::EInOutError(int32_t code)
    : Exception(MessageOfIoCode(code) != nullptr ? MessageOfIoCode(code) : ""), code_(code) {
  if (MessageOfIoCode(code) == nullptr) SetMessageWithNumber("I/O error ", code, "");
}

void SetUpFailureReporting() {
  if (OutOfMemory == nullptr) OutOfMemory = new (OutOfMemoryStorage) EOutOfMemory();
  HiddenConsole = nullptr;
  InstallFailureHandler(ReportFailure);
  InstallOutOfMemoryHandler(ReportOutOfMemory);
}

void NoteConsoleHidden(HWND window) { HiddenConsole = window; }
void NoteConsoleShown() { HiddenConsole = nullptr; }

int FormatFailureReport(char* out, int size, const char* kindName, const char* moduleName,
                        uint32_t offset, const char* message) {
  static const char HEX_DIGITS[] = "0123456789ABCDEF";
  char hex[8];
  for (int i = 7; i >= 0; --i, offset >>= 4) hex[i] = HEX_DIGITS[offset & 0xF];
  size_t messageLength = strlen(message);
  bool addFullStop = messageLength > 0 && message[messageLength - 1] != '.';
  Appender text = {out, size, 0};
  text.Add("Exception ");
  text.Add(kindName);
  text.Add(" in module ");
  text.Add(moduleName);
  text.Add(" at ");
  text.Add(hex, sizeof hex);
  text.Add(".\n");
  text.Add(message, messageLength);
  if (addFullStop) text.Add(".");
  return text.length;
}

void ReportFailure(const Exception& failure, const void* location) {
  if (HiddenConsole != nullptr) {
    ShowWindow(HiddenConsole, SW_SHOW);
    HiddenConsole = nullptr;
  }
  const char* moduleName = "";
  uint32_t offset = LocateInModule(location, &moduleName);
  int length = FormatFailureReport(ReportText, REPORT_SIZE, failure.ClassName(), moduleName,
                                   offset, failure.Message());
  // A report that cannot be written leaves its code pending, and nothing reads it again.
  WriteText(ReportText, static_cast<size_t>(length));
  EndLine();
  EndProcess(1);
}
