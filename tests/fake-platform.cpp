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
// Where the fake ExitProcess goes back to: the innermost RunToExit.
jmp_buf* ExitTarget = nullptr;
const HANDLE STDOUT_HANDLE = reinterpret_cast<HANDLE>(0x11);
const HANDLE STDIN_HANDLE = reinterpret_cast<HANDLE>(0x10);

std::string Hex(uintptr_t value) {
  char text[32];
  snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(value));
  return text;
}

void Note(const std::string& event) { Record.events.push_back(event); }

std::string WithoutSoftHyphens(const char* text, int length) {
  std::string result;
  for (int i = 0; i < length; ++i)
    if (!(Script.ignoreSoftHyphen && static_cast<unsigned char>(text[i]) == 0xAD))
      result += text[i];
  return result;
}

// Ends the process: what the run left allocated is gone, as when a real process ends.
void ReleaseLeftovers() {
  for (void* block : LiveBlocks) free(block);
  LiveBlocks.clear();
}

}  // namespace

namespace platform {

void* AllocateBytes(size_t size) {
  ++Record.allocations;
  if (Record.allocations == Script.failAllocationNumber) return nullptr;
  void* block = malloc(size);
  LiveBlocks.insert(block);
  return block;
}

void ReleaseBytes(void* block) {
  if (block == nullptr) return;
  LiveBlocks.erase(block);
  free(block);
}

LPSTR GetCommandLineA() {
  CommandLineStorage = Script.commandLine;
  return &CommandLineStorage[0];
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  Note("GetModuleFileNameA(" + Hex(reinterpret_cast<uintptr_t>(module)) + "," +
       std::to_string(size) + ")");
  if (Script.programPath.empty() || size == 0) return 0;
  size_t length = Script.programPath.size();
  if (length >= size) {
    memcpy(fileName, Script.programPath.data(), size - 1);
    fileName[size - 1] = '\0';
    return size;
  }
  memcpy(fileName, Script.programPath.c_str(), length + 1);
  return static_cast<DWORD>(length);
}

int GetSystemMetrics(int index) {
  Note("GetSystemMetrics(" + std::to_string(index) + ")");
  return index == SM_DBCSENABLED ? Script.dbcsEnabled : 0;
}

BOOL GetCPInfo(UINT codePage, CPINFO* info) {
  Note("GetCPInfo(" + std::to_string(codePage) + ")");
  memset(info, 0, sizeof *info);
  memcpy(info->LeadByte, Script.leadBytes, sizeof info->LeadByte);
  return 1;
}

int CompareStringA(LCID locale, DWORD flags, LPCSTR string1, int count1, LPCSTR string2,
                   int count2) {
  if (locale != LOCALE_USER_DEFAULT || flags != NORM_IGNORECASE) return 0;
  std::string a = WithoutSoftHyphens(string1, count1);
  std::string b = WithoutSoftHyphens(string2, count2);
  for (char& c : a) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  for (char& c : b) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  int order = a.compare(b);
  return order < 0 ? CSTR_LESS_THAN : order == 0 ? CSTR_EQUAL : CSTR_GREATER_THAN;
}

LPSTR CharNextA(LPCSTR position) {
  if (*position == '\0') return const_cast<LPSTR>(position);
  unsigned char byte = static_cast<unsigned char>(*position);
  bool lead = false;
  if (Script.dbcsEnabled != 0)
    for (unsigned i = 0; i + 1 < MAX_LEADBYTES && (Script.leadBytes[i] | Script.leadBytes[i + 1]); i += 2)
      lead = lead || (byte >= Script.leadBytes[i] && byte <= Script.leadBytes[i + 1]);
  return const_cast<LPSTR>(position + (lead && position[1] != '\0' ? 2 : 1));
}

DWORD GetConsoleTitleA(LPSTR title, DWORD size) {
  Note("GetConsoleTitleA(" + std::to_string(size) + ")");
  if (Script.titleFails) return 0;
  size_t length = Script.consoleTitle.size() < size ? Script.consoleTitle.size() : size - 1;
  memcpy(title, Script.consoleTitle.data(), length);
  title[length] = '\0';
  return static_cast<DWORD>(length);
}

HWND GetConsoleWindow() {
  Note("GetConsoleWindow");
  return Script.consoleWindow;
}

BOOL ShowWindow(HWND window, int command) {
  Note("ShowWindow(" + Hex(reinterpret_cast<uintptr_t>(window)) + "," + std::to_string(command) + ")");
  return 1;
}

HMODULE LoadLibraryA(LPCSTR fileName) {
  Note(std::string("LoadLibraryA(") + (fileName == nullptr ? "<null>" : fileName) + ")");
  return Script.libraryHandle;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  Note("GetVersionExA(" + std::to_string(info->dwOSVersionInfoSize) + ")");
  if (Script.versionFails) return 0;
  info->dwMajorVersion = Script.majorVersion;
  return 1;
}

int MessageBoxIndirectA(const MSGBOXPARAMSA* params) {
  Note("MessageBoxIndirectA");
  if (Script.inspectBox != nullptr) Script.inspectBox(params);
  RecordedBox box;
  box.params = *params;
  box.text = params->lpszText != nullptr ? params->lpszText : "<null>";
  box.caption = params->lpszCaption != nullptr ? params->lpszCaption : "<null>";
  box.iconIsInteger = IS_INTRESOURCE(params->lpszIcon);
  box.iconNumber = box.iconIsInteger ? reinterpret_cast<uintptr_t>(params->lpszIcon) : 0;
  if (!box.iconIsInteger) box.iconName = params->lpszIcon;
  Record.boxes.push_back(box);
  return Script.boxResult;
}

HANDLE GetStdHandle(DWORD which) {
  Note("GetStdHandle(" + std::to_string(static_cast<int32_t>(which)) + ")");
  if (which == STD_OUTPUT_HANDLE) return Script.stdoutInvalid ? INVALID_HANDLE_VALUE : STDOUT_HANDLE;
  if (which == STD_INPUT_HANDLE) return Script.stdinInvalid ? INVALID_HANDLE_VALUE : STDIN_HANDLE;
  return INVALID_HANDLE_VALUE;
}

DWORD GetFileType(HANDLE file) {
  Note("GetFileType");
  if (file == STDOUT_HANDLE) return Script.stdoutType;
  return file == STDIN_HANDLE ? FILE_TYPE_PIPE : FILE_TYPE_UNKNOWN;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, DWORD* written, LPVOID) {
  ++WriteCalls;
  Note("WriteFile(" + std::to_string(count) + ")");
  Record.writeSizes.push_back(count);
  bool fails = Script.failWriteNumber != 0 &&
               (WriteCalls == Script.failWriteNumber ||
                (Script.failWritesAfter && WriteCalls > Script.failWriteNumber));
  if (file != STDOUT_HANDLE || fails) {
    LastError = Script.writeErrorCode;
    return 0;
  }
  Record.written.append(static_cast<const char*>(buffer), count);
  *written = count;
  return 1;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, DWORD* read, LPVOID) {
  Note("ReadFile(" + std::to_string(count) + ")");
  if (file != STDIN_HANDLE) {
    LastError = 6;
    return 0;
  }
  size_t left = Script.input.size() - InputPosition;
  if (left == 0 && Script.readEndCode != 0) {
    LastError = Script.readEndCode;
    *read = 0;
    return 0;
  }
  size_t take = left < count ? left : count;
  memcpy(buffer, Script.input.data() + InputPosition, take);
  InputPosition += take;
  *read = static_cast<DWORD>(take);
  return 1;
}

DWORD GetLastError() { return LastError; }

SIZE_T VirtualQuery(LPCVOID address, MEMORY_BASIC_INFORMATION* info, SIZE_T size) {
  Note("VirtualQuery");
  Record.queriedLocation = address;
  memset(info, 0, size);
  info->State = Script.regionCommitted ? MEM_COMMIT : MEM_FREE;
  info->AllocationBase =
      reinterpret_cast<LPVOID>(reinterpret_cast<uintptr_t>(address) - Script.offsetInModule);
  return sizeof *info;
}

void ExitProcess(UINT exitCode) {
  Note("ExitProcess(" + std::to_string(exitCode) + ")");
  Record.exitCode = exitCode;
  if (ExitTarget == nullptr) {
    fprintf(stderr, "the program ended outside RunToExit (exit code %u)\n", exitCode);
    abort();
  }
  longjmp(*ExitTarget, 1);
}

bool IsDirectorySeparator(char byte) {
  return byte == '\\' || (Script.slashSeparatesDirectories && byte == '/');
}

}  // namespace platform

void ResetFake() {
  Script = FakeScript();
  Record = FakeRecord();
  LastError = 0;
  InputPosition = 0;
  WriteCalls = 0;
}

void UseDoubleByteCodePage(const BYTE* ranges, size_t count) {
  static const BYTE SHIFT_JIS_LEAD_BYTES[] = {0x81, 0x9F, 0xE0, 0xFC};
  if (ranges == nullptr) {
    ranges = SHIFT_JIS_LEAD_BYTES;
    count = sizeof SHIFT_JIS_LEAD_BYTES;
  }
  Script.dbcsEnabled = 1;
  memset(Script.leadBytes, 0, sizeof Script.leadBytes);
  memcpy(Script.leadBytes, ranges, count < sizeof Script.leadBytes ? count : sizeof Script.leadBytes);
}

uint32_t RunToExit(const std::function<void()>& step) {
  jmp_buf target;
  jmp_buf* outer = ExitTarget;
  ExitTarget = &target;
  if (setjmp(target) != 0) {
    ExitTarget = outer;
    return Record.exitCode;
  }
  step();
  ExitTarget = outer;
  return NO_EXIT;
}

void StartFakeProcess() {
  StartUp();
  ReleaseLeftovers();
  Record.events.clear();
  Record.allocations = 0;
}

uint32_t RunProgram() {
  StartFakeProcess();
  return RunToExit([] { RunMain(); });
}

uint32_t RunProgram(const std::string& commandLine) {
  Script.commandLine = commandLine;
  return RunProgram();
}

std::string ExpectedUsage(const std::string& file) {
  FILE* golden = fopen(ASKBOX_USAGE_FILE, "rb");
  if (golden == nullptr) {
    fprintf(stderr, "cannot read %s\n", ASKBOX_USAGE_FILE);
    abort();
  }
  std::string text;
  char block[512];
  for (size_t got; (got = fread(block, 1, sizeof block, golden)) > 0;) text.append(block, got);
  fclose(golden);
  const std::string placeholder = "<file>";
  size_t at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), file);
  return text;
}

bool EventHappened(const std::string& event) { return EventIndex(event) >= 0; }

long EventIndex(const std::string& event) {
  for (size_t i = 0; i < Record.events.size(); ++i)
    if (Record.events[i] == event) return static_cast<long>(i);
  return -1;
}
