// The recording fake: every platform call of a run, answered from the script and written down.
#include "fake-platform.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <set>

#include "platform/heap.h"
#include "run/main-routine.h"

FakeScript Script;
FakeRecord Record;

namespace {

std::string CommandLineStorage;
// Never destroyed, so that a leak checker at exit still sees the last run's blocks as held.
std::set<void*>& LiveBlocks = *new std::set<void*>;
DWORD LastError = 0;
size_t InputPosition = 0;
int WriteCalls = 0;
UINT TimeoutSeconds = 0;
// Where the fake ExitProcess goes back to: the innermost RunToExit.
jmp_buf* ExitTarget = nullptr;
const HANDLE STDOUT_HANDLE = reinterpret_cast<HANDLE>(0x11);
const HANDLE STDIN_HANDLE = reinterpret_cast<HANDLE>(0x10);

std::string Hex(uintptr_t Value) {
  char Text[32];
  snprintf(Text, sizeof Text, "%lx", static_cast<unsigned long>(Value));
  return Text;
}

void Note(const std::string& Event) { Record.Events.push_back(Event); }

std::string WithoutSoftHyphens(const char* Text, int Length) {
  std::string Result;
  for (int I = 0; I < Length; ++I)
    if (!(Script.IgnoreSoftHyphen && static_cast<unsigned char>(Text[I]) == 0xAD))
      Result += Text[I];
  return Result;
}

// Ends the process: what the run left allocated is gone, as when a real process ends.
void ReleaseLeftovers() {
  for (void* Block : LiveBlocks) free(Block);
  LiveBlocks.clear();
}

}  // namespace

namespace platform {

void* AllocateBytes(size_t Size) {
  ++Record.Allocations;
  if (Record.Allocations == Script.FailAllocationNumber) return nullptr;
  void* Block = malloc(Size);
  LiveBlocks.insert(Block);
  return Block;
}

void ReleaseBytes(void* Block) {
  if (Block == nullptr) return;
  LiveBlocks.erase(Block);
  free(Block);
}

LPSTR GetCommandLineA() {
  CommandLineStorage = Script.CommandLine;
  return &CommandLineStorage[0];
}

DWORD GetModuleFileNameA(HMODULE Module, LPSTR FileName, DWORD Size) {
  Note("GetModuleFileNameA(" + Hex(reinterpret_cast<uintptr_t>(Module)) + "," +
       std::to_string(Size) + ")");
  if (Script.ProgramPath.empty() || Size == 0) return 0;
  size_t Length = Script.ProgramPath.size();
  if (Length >= Size) {
    memcpy(FileName, Script.ProgramPath.data(), Size - 1);
    FileName[Size - 1] = '\0';
    return Size;
  }
  memcpy(FileName, Script.ProgramPath.c_str(), Length + 1);
  return static_cast<DWORD>(Length);
}

int GetSystemMetrics(int Index) {
  Note("GetSystemMetrics(" + std::to_string(Index) + ")");
  return Index == SM_DBCSENABLED ? Script.DbcsEnabled : 0;
}

BOOL GetCPInfo(UINT CodePage, CPINFO* Info) {
  Note("GetCPInfo(" + std::to_string(CodePage) + ")");
  memset(Info, 0, sizeof *Info);
  memcpy(Info->LeadByte, Script.LeadBytes, sizeof Info->LeadByte);
  return 1;
}

int CompareStringA(LCID Locale, DWORD Flags, LPCSTR String1, int Count1, LPCSTR String2,
                   int Count2) {
  if (Locale != LOCALE_USER_DEFAULT || Flags != NORM_IGNORECASE) return 0;
  std::string A = WithoutSoftHyphens(String1, Count1);
  std::string B = WithoutSoftHyphens(String2, Count2);
  for (char& C : A) C = static_cast<char>(tolower(static_cast<unsigned char>(C)));
  for (char& C : B) C = static_cast<char>(tolower(static_cast<unsigned char>(C)));
  int Order = A.compare(B);
  return Order < 0 ? CSTR_LESS_THAN : Order == 0 ? CSTR_EQUAL : CSTR_GREATER_THAN;
}

LPSTR CharNextA(LPCSTR Position) {
  if (*Position == '\0') return const_cast<LPSTR>(Position);
  unsigned char Byte = static_cast<unsigned char>(*Position);
  bool Lead = false;
  if (Script.DbcsEnabled != 0)
    for (unsigned I = 0; I + 1 < MAX_LEADBYTES && (Script.LeadBytes[I] | Script.LeadBytes[I + 1]); I += 2)
      Lead = Lead || (Byte >= Script.LeadBytes[I] && Byte <= Script.LeadBytes[I + 1]);
  return const_cast<LPSTR>(Position + (Lead && Position[1] != '\0' ? 2 : 1));
}

DWORD GetConsoleTitleA(LPSTR Title, DWORD Size) {
  Note("GetConsoleTitleA(" + std::to_string(Size) + ")");
  if (Script.TitleFails) return 0;
  size_t Length = Script.ConsoleTitle.size() < Size ? Script.ConsoleTitle.size() : Size - 1;
  memcpy(Title, Script.ConsoleTitle.data(), Length);
  Title[Length] = '\0';
  return static_cast<DWORD>(Length);
}

HWND GetConsoleWindow() {
  Note("GetConsoleWindow");
  return Script.ConsoleWindow;
}

BOOL ShowWindow(HWND Window, int Command) {
  Note("ShowWindow(" + Hex(reinterpret_cast<uintptr_t>(Window)) + "," + std::to_string(Command) + ")");
  return 1;
}

HMODULE LoadLibraryA(LPCSTR FileName) {
  Note(std::string("LoadLibraryA(") + (FileName == nullptr ? "<null>" : FileName) + ")");
  return Script.LibraryHandle;
}

BOOL GetVersionExA(OSVERSIONINFOA* Info) {
  Note("GetVersionExA(" + std::to_string(Info->dwOSVersionInfoSize) + ")");
  if (Script.VersionFails) return 0;
  Info->dwMajorVersion = Script.MajorVersion;
  return 1;
}

int MessageBoxIndirectA(const MSGBOXPARAMSA* Params) {
  Note("MessageBoxIndirectA");
  Record.Timeout = TimeoutSeconds;
  if (Script.InspectBox != nullptr) Script.InspectBox(Params);
  RecordedBox Box;
  Box.Params = *Params;
  Box.Text = Params->lpszText != nullptr ? Params->lpszText : "<null>";
  Box.Caption = Params->lpszCaption != nullptr ? Params->lpszCaption : "<null>";
  Box.IconIsInteger = IS_INTRESOURCE(Params->lpszIcon);
  Box.IconNumber = Box.IconIsInteger ? reinterpret_cast<uintptr_t>(Params->lpszIcon) : 0;
  if (!Box.IconIsInteger) Box.IconName = Params->lpszIcon;
  Record.Boxes.push_back(Box);
  return Script.BoxResult;
}

HANDLE GetStdHandle(DWORD Which) {
  Note("GetStdHandle(" + std::to_string(static_cast<int32_t>(Which)) + ")");
  if (Which == STD_OUTPUT_HANDLE) return Script.StdoutInvalid ? INVALID_HANDLE_VALUE : STDOUT_HANDLE;
  if (Which == STD_INPUT_HANDLE) return Script.StdinInvalid ? INVALID_HANDLE_VALUE : STDIN_HANDLE;
  return INVALID_HANDLE_VALUE;
}

DWORD GetFileType(HANDLE File) {
  Note("GetFileType");
  if (File == STDOUT_HANDLE) return Script.StdoutType;
  return File == STDIN_HANDLE ? FILE_TYPE_PIPE : FILE_TYPE_UNKNOWN;
}

BOOL WriteFile(HANDLE File, LPCVOID Buffer, DWORD Count, DWORD* Written, LPVOID) {
  ++WriteCalls;
  Note("WriteFile(" + std::to_string(Count) + ")");
  Record.WriteSizes.push_back(Count);
  bool Fails = Script.FailWriteNumber != 0 &&
               (WriteCalls == Script.FailWriteNumber ||
                (Script.FailWritesAfter && WriteCalls > Script.FailWriteNumber));
  if (File != STDOUT_HANDLE || Fails) {
    LastError = Script.WriteErrorCode;
    return 0;
  }
  Record.Written.append(static_cast<const char*>(Buffer), Count);
  *Written = Count;
  return 1;
}

BOOL ReadFile(HANDLE File, LPVOID Buffer, DWORD Count, DWORD* Read, LPVOID) {
  Note("ReadFile(" + std::to_string(Count) + ")");
  if (File != STDIN_HANDLE) {
    LastError = 6;
    return 0;
  }
  size_t Left = Script.Input.size() - InputPosition;
  if (Left == 0 && Script.ReadEndCode != 0) {
    LastError = Script.ReadEndCode;
    *Read = 0;
    return 0;
  }
  size_t Take = Left < Count ? Left : Count;
  memcpy(Buffer, Script.Input.data() + InputPosition, Take);
  InputPosition += Take;
  *Read = static_cast<DWORD>(Take);
  return 1;
}

DWORD GetLastError() { return LastError; }

SIZE_T VirtualQuery(LPCVOID Address, MEMORY_BASIC_INFORMATION* Info, SIZE_T Size) {
  Note("VirtualQuery");
  Record.QueriedLocation = Address;
  memset(Info, 0, Size);
  Info->State = Script.RegionCommitted ? MEM_COMMIT : MEM_FREE;
  Info->AllocationBase =
      reinterpret_cast<LPVOID>(reinterpret_cast<uintptr_t>(Address) - Script.OffsetInModule);
  return sizeof *Info;
}

void ExitProcess(UINT ExitCode) {
  Note("ExitProcess(" + std::to_string(ExitCode) + ")");
  Record.ExitCode = ExitCode;
  if (ExitTarget == nullptr) {
    fprintf(stderr, "the program ended outside RunToExit (exit code %u)\n", ExitCode);
    abort();
  }
  longjmp(*ExitTarget, 1);
}

void SetMessageBoxTimeout(UINT Seconds) {
  Note("SetMessageBoxTimeout(" + std::to_string(Seconds) + ")");
  TimeoutSeconds = Seconds;
}

bool IsDirectorySeparator(char Byte) {
  return Byte == '\\' || (Script.SlashSeparatesDirectories && Byte == '/');
}

}  // namespace platform

void ResetFake() {
  Script = FakeScript();
  Record = FakeRecord();
  LastError = 0;
  InputPosition = 0;
  WriteCalls = 0;
  TimeoutSeconds = 0;
}

void UseDoubleByteCodePage(const BYTE* Ranges, size_t Count) {
  static const BYTE SHIFT_JIS_LEAD_BYTES[] = {0x81, 0x9F, 0xE0, 0xFC};
  if (Ranges == nullptr) {
    Ranges = SHIFT_JIS_LEAD_BYTES;
    Count = sizeof SHIFT_JIS_LEAD_BYTES;
  }
  Script.DbcsEnabled = 1;
  memset(Script.LeadBytes, 0, sizeof Script.LeadBytes);
  memcpy(Script.LeadBytes, Ranges, Count < sizeof Script.LeadBytes ? Count : sizeof Script.LeadBytes);
}

uint32_t RunToExit(const std::function<void()>& Step) {
  jmp_buf Target;
  jmp_buf* Outer = ExitTarget;
  ExitTarget = &Target;
  if (setjmp(Target) != 0) {
    ExitTarget = Outer;
    return Record.ExitCode;
  }
  Step();
  ExitTarget = Outer;
  return NO_EXIT;
}

void StartFakeProcess() {
  StartUp();
  ReleaseLeftovers();
  Record.Events.clear();
  Record.Allocations = 0;
}

uint32_t RunProgram() {
  StartFakeProcess();
  return RunToExit([] { RunMain(); });
}

uint32_t RunProgram(const std::string& CommandLine) {
  Script.CommandLine = CommandLine;
  return RunProgram();
}

std::string ExpectedUsage(const std::string& File) {
  FILE* Golden = fopen(ASKBOX_USAGE_FILE, "rb");
  if (Golden == nullptr) {
    fprintf(stderr, "cannot read %s\n", ASKBOX_USAGE_FILE);
    abort();
  }
  std::string Text;
  char Block[512];
  for (size_t Got; (Got = fread(Block, 1, sizeof Block, Golden)) > 0;) Text.append(Block, Got);
  fclose(Golden);
  const std::string Placeholder = "<file>";
  size_t At = Text.find(Placeholder);
  if (At != std::string::npos) Text.replace(At, Placeholder.size(), File);
  return Text;
}

bool EventHappened(const std::string& Event) { return EventIndex(Event) >= 0; }

long EventIndex(const std::string& Event) {
  for (size_t I = 0; I < Record.Events.size(); ++I)
    if (Record.Events[I] == Event) return static_cast<long>(I);
  return -1;
}
