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
  char* Out;
  int Size;
  int Length;
  void Add(const char* Bytes, size_t Count) {
    for (size_t I = 0; I < Count && Length < Size; ++I) Out[Length++] = Bytes[I];
  }
  void Add(const char* NulTerminated) { Add(NulTerminated, strlen(NulTerminated)); }
};

[[noreturn]] void ReportOutOfMemory(const void* Location) { ReportFailure(*OutOfMemory, Location); }

const char* MessageOfIoCode(int32_t Code) {
  switch (Code) {
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
const char* ModuleNamePart(const char* Path) {
  size_t Length = strlen(Path);
  size_t Start = 0;
  for (size_t I = Length; I > 0; --I) {
    if (IsDirectorySeparator(Path[I - 1]) && ByteKindAt(Path, I - 1) != BYTE_TRAIL) {
      Start = I;
      break;
    }
  }
  return Path + Start;
}

// Which module holds the location, and how far into it the location lies.
uint32_t LocateInModule(const void* Location, const char** ModuleName) {
  ModulePath[0] = '\0';
  uintptr_t Address = reinterpret_cast<uintptr_t>(Location);
  uintptr_t Start = DEFAULT_CODE_START;
  MEMORY_BASIC_INFORMATION Region;
  memset(&Region, 0, sizeof Region);
  DWORD Length = 0;
  if (VirtualQuery(Location, &Region, sizeof Region) != 0 && Region.State == MEM_COMMIT) {
    Length = GetModuleFileNameA(static_cast<HMODULE>(Region.AllocationBase), ModulePath,
                                MODULE_PATH_ROOM);
    if (Length != 0) Start = reinterpret_cast<uintptr_t>(Region.AllocationBase);
  }
  if (Length == 0) Length = GetModuleFileNameA(nullptr, ModulePath, MODULE_PATH_ROOM);
  if (Length >= MODULE_PATH_ROOM) Length = MODULE_PATH_ROOM - 1;
  ModulePath[Length] = '\0';
  const char* Name = ModuleNamePart(ModulePath);
  if (strlen(Name) > MODULE_NAME_LIMIT) ModulePath[Name - ModulePath + MODULE_NAME_LIMIT] = '\0';
  *ModuleName = Name;
  if (Address == 0) return 0;
  return static_cast<uint32_t>(Address - Start);
}

}  // namespace

EInOutError::EInOutError(int32_t Code)
    : Exception(MessageOfIoCode(Code) != nullptr ? MessageOfIoCode(Code) : ""), IoCode(Code) {
  if (MessageOfIoCode(Code) == nullptr) SetMessageWithNumber("I/O error ", Code, "");
}

void SetUpFailureReporting() {
  if (OutOfMemory == nullptr) OutOfMemory = new (OutOfMemoryStorage) EOutOfMemory();
  HiddenConsole = nullptr;
  InstallFailureHandler(ReportFailure);
  InstallOutOfMemoryHandler(ReportOutOfMemory);
}

void NoteConsoleHidden(HWND Window) { HiddenConsole = Window; }
void NoteConsoleShown() { HiddenConsole = nullptr; }

int FormatFailureReport(char* Out, int Size, const char* KindName, const char* ModuleName,
                        uint32_t Offset, const char* Message) {
  static const char HEX_DIGITS[] = "0123456789ABCDEF";
  char Hex[8];
  for (int I = 7; I >= 0; --I, Offset >>= 4) Hex[I] = HEX_DIGITS[Offset & 0xF];
  size_t MessageLength = strlen(Message);
  bool AddFullStop = MessageLength > 0 && Message[MessageLength - 1] != '.';
  Appender Text = {Out, Size, 0};
  Text.Add("Exception ");
  Text.Add(KindName);
  Text.Add(" in module ");
  Text.Add(ModuleName);
  Text.Add(" at ");
  Text.Add(Hex, sizeof Hex);
  Text.Add(".\n");
  Text.Add(Message, MessageLength);
  if (AddFullStop) Text.Add(".");
  return Text.Length;
}

void ReportFailure(const Exception& Failure, const void* Location) {
  if (HiddenConsole != nullptr) {
    ShowWindow(HiddenConsole, SW_SHOW);
    HiddenConsole = nullptr;
  }
  const char* ModuleName = "";
  uint32_t Offset = LocateInModule(Location, &ModuleName);
  int Length = FormatFailureReport(ReportText, REPORT_SIZE, Failure.ClassName(), ModuleName,
                                   Offset, Failure.Message());
  // A report that cannot be written leaves its code pending, and nothing reads it again.
  WriteText(ReportText, static_cast<size_t>(Length));
  EndLine();
  EndProcess(1);
}
