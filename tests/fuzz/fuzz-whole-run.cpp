// Fuzz target: the whole program against the recording fake, with any command line and platform answers.
#include <string.h>

#include "fake-platform.h"
#include "fuzz-targets.h"

namespace {

const size_t TEXT_ROOM = 1029;
const size_t CAPTION_ROOM = 1025;

// What the program hands to the box must be readable as it stands: every text ends inside its
// buffer, and a resource name is a real text.
void InspectBox(const MSGBOXPARAMSA* Params) {
  FUZZ_CHECK(Params->cbSize == sizeof(MSGBOXPARAMSA), "cbSize");
  FUZZ_CHECK(Params->lpszText != nullptr && memchr(Params->lpszText, 0, TEXT_ROOM) != nullptr,
             "text not terminated inside its buffer");
  FUZZ_CHECK(Params->lpszCaption != nullptr && memchr(Params->lpszCaption, 0, CAPTION_ROOM) != nullptr,
             "caption not terminated inside its buffer");
  if (!IS_INTRESOURCE(Params->lpszIcon)) FUZZ_CHECK(strlen(Params->lpszIcon) < (1u << 20), "icon name");
  FUZZ_CHECK(Params->hInstance == nullptr || (Params->dwStyle & MB_USERICON) != 0,
             "a module without the user-icon style");
}

const char* const INPUTS[] = {"\r\n", "\n", "", "x\x1Ay\r\n"};
const DWORD READ_END_CODES[] = {0, ERROR_BROKEN_PIPE, ERROR_ACCESS_DENIED, 6};
const DWORD STDOUT_TYPES[] = {FILE_TYPE_DISK, FILE_TYPE_CHAR, FILE_TYPE_PIPE, FILE_TYPE_UNKNOWN};

std::string Title(uint8_t Choice) {
  switch (Choice % 5) {
    case 1: return "Title";
    case 2: return std::string(1100, 'T');
    case 3: return std::string(1023, 'T') + "\x81\x40";
    case 4: return "caption=x";
    default: return "";
  }
}

}  // namespace

// Input: six bytes of platform answers (see below), then the raw command line.
int FuzzWholeRun(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  uint8_t Flags = Input.Byte();
  uint8_t Channels = Input.Byte();
  uint8_t FailWrite = Input.Byte();
  uint8_t Box = Input.Byte();
  uint8_t FailAllocation = Input.Byte();
  uint8_t TitleChoice = Input.Byte();

  ResetFake();
  if (Flags & 1) {
    UseDoubleByteCodePage();
  }
  Script.TitleFails = (Flags & 2) != 0;
  Script.StdoutInvalid = (Flags & 4) != 0;
  Script.StdinInvalid = (Flags & 8) != 0;
  Script.VersionFails = (Flags & 16) != 0;
  Script.FailWritesAfter = (Flags & 32) != 0;
  Script.RegionCommitted = (Flags & 64) == 0;
  if (Flags & 128) Script.ConsoleWindow = nullptr;
  Script.StdoutType = STDOUT_TYPES[Channels & 3];
  Script.Input = INPUTS[(Channels >> 2) & 3];
  Script.ReadEndCode = READ_END_CODES[(Channels >> 4) & 3];
  Script.IgnoreSoftHyphen = (Channels & 64) != 0;
  Script.MajorVersion = (Channels & 128) ? 3 : 6;
  Script.FailWriteNumber = FailWrite;
  Script.BoxResult = Box % 12;
  Script.FailAllocationNumber = FailAllocation;
  Script.ConsoleTitle = Title(TitleChoice);
  Script.InspectBox = InspectBox;
  Script.CommandLine = Input.Rest();

  uint32_t Code = RunProgram();

  bool Shown = !Record.Boxes.empty();
  bool Reported = EventHappened("VirtualQuery");
  std::string What = "exit " + std::to_string(Code) + " for " + Printable(Script.CommandLine);
  FUZZ_CHECK(Record.Boxes.size() <= 1, "more than one box");
  if (Reported) {
    FUZZ_CHECK(Code == 1, "a failure report that did not end with 1, " + What);
  } else if (Shown) {
    FUZZ_CHECK(Code == static_cast<uint32_t>(Script.BoxResult), "the box's answer was not the exit code, " + What);
  } else {
    FUZZ_CHECK(Code == 8 || Code == 9, "no box and no report, " + What);
  }
  if (Shown && Script.BoxResult == 0 && !Reported)
    FUZZ_CHECK(Record.Written.empty() || Record.Written == "MessageBox Failed\r\n", "the failed box's line");
  return 0;
}
