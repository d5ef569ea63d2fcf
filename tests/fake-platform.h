// The recording fake of the platform and heap seams: scripted results in, every call recorded out.
#ifndef ASKBOX_TESTS_FAKE_PLATFORM_H
#define ASKBOX_TESTS_FAKE_PLATFORM_H

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

using namespace platform;

// What the platform answers; faults are data here.
struct FakeScript {
  std::string CommandLine = "prog";
  std::string ProgramPath = "C:\\tools\\askbox.exe";
  bool SlashSeparatesDirectories = false;  // true as on the POSIX stand-in
  int DbcsEnabled = 0;
  BYTE LeadBytes[MAX_LEADBYTES] = {};
  // Counts U+00AD, the soft hyphen, as nothing in name comparisons, as Windows does.
  bool IgnoreSoftHyphen = false;
  bool TitleFails = false;
  std::string ConsoleTitle;
  HWND ConsoleWindow = reinterpret_cast<HWND>(0xC0);
  HMODULE LibraryHandle = reinterpret_cast<HMODULE>(0x10000000);
  bool VersionFails = false;
  DWORD MajorVersion = 6;
  int BoxResult = IDOK;
  // Looks at the request before the fake reads it, so that a check sees it as the program left it.
  void (*InspectBox)(const MSGBOXPARAMSA* Params) = nullptr;
  bool StdoutInvalid = false;
  DWORD StdoutType = FILE_TYPE_DISK;
  int FailWriteNumber = 0;  // the 1-based WriteFile call that fails; 0: none
  bool FailWritesAfter = false;  // every write after that one fails too
  DWORD WriteErrorCode = 112;
  bool StdinInvalid = false;
  std::string Input;
  // What ReadFile does once the input is used up: 0 delivers nothing, else it fails with it.
  DWORD ReadEndCode = 0;
  long FailAllocationNumber = 0;  // the 1-based allocation that is refused; 0: none
  bool RegionCommitted = true;
  uintptr_t OffsetInModule = 0x2345;
};

struct RecordedBox {
  MSGBOXPARAMSA Params;
  std::string Text;
  std::string Caption;
  bool IconIsInteger;
  uintptr_t IconNumber;
  std::string IconName;
};

struct FakeRecord {
  std::vector<std::string> Events;  // calls in order, with what matters of their arguments
  std::string Written;              // every byte that a successful WriteFile moved
  std::vector<DWORD> WriteSizes;    // the size of every WriteFile asked for
  std::vector<RecordedBox> Boxes;
  UINT Timeout = 0;  // the limit in force when the box was asked for
  long Allocations = 0;
  const void* QueriedLocation = nullptr;
  uint32_t ExitCode = 0xFFFFFFFF;
};

extern FakeScript Script;
extern FakeRecord Record;

// A fresh script and record, as a new process would see them.
void ResetFake();
// A double-byte code page: lead-byte ranges as GetCPInfo gives them (pairs, at most six), by
// default those of code page 932 (Shift-JIS), 0x81-0x9F and 0xE0-0xFC. Takes effect at the next
// start-up.
void UseDoubleByteCodePage(const BYTE* Ranges = nullptr, size_t Count = 0);

// Runs a step of the program until it ends the process. The fake ExitProcess jumps back here,
// as the real one ends the process: the logic is built without exceptions, like the shipped
// program, so nothing can be thrown through it, and the frames it leaves behind are simply
// dropped (what they held is released with the rest of the fake process). Gives the exit code,
// or NO_EXIT when the step returned.
const uint32_t NO_EXIT = 0xFFFFFFFF;
uint32_t RunToExit(const std::function<void()>& Step);
// Runs the whole program (start-up and main routine) against the fake; gives the exit code.
uint32_t RunProgram();
uint32_t RunProgram(const std::string& CommandLine);
// Start-up alone, for tests of the pieces.
void StartFakeProcess();
bool EventHappened(const std::string& Event);
// The usage text as tests/usage.txt spells it, byte for byte, naming the program file.
std::string ExpectedUsage(const std::string& File);
long EventIndex(const std::string& Event);

#endif
