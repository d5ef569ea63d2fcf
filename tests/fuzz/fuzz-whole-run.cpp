// Fuzz target: the whole program against the recording fake, with any command line and platform answers.
#include <string.h>

#include "fake-platform.h"
#include "fuzz-targets.h"

namespace {

const size_t TEXT_ROOM = 1029;
const size_t CAPTION_ROOM = 1025;

// What the program hands to the box must be readable as it stands: every text ends inside its
// buffer, and a resource name is a real text.
void InspectBox(const MSGBOXPARAMSA* params) {
  FUZZ_CHECK(params->cbSize == sizeof(MSGBOXPARAMSA), "cbSize");
  FUZZ_CHECK(params->lpszText != nullptr && memchr(params->lpszText, 0, TEXT_ROOM) != nullptr,
             "text not terminated inside its buffer");
  FUZZ_CHECK(params->lpszCaption != nullptr && memchr(params->lpszCaption, 0, CAPTION_ROOM) != nullptr,
             "caption not terminated inside its buffer");
  if (!IS_INTRESOURCE(params->lpszIcon)) FUZZ_CHECK(strlen(params->lpszIcon) < (1u << 20), "icon name");
  FUZZ_CHECK(params->hInstance == nullptr || (params->dwStyle & MB_USERICON) != 0,
             "a module without the user-icon style");
}

const char* const INPUTS[] = {"\r\n", "\n", "", "x\x1Ay\r\n"};
const DWORD READ_END_CODES[] = {0, ERROR_BROKEN_PIPE, ERROR_ACCESS_DENIED, 6};
const DWORD STDOUT_TYPES[] = {FILE_TYPE_DISK, FILE_TYPE_CHAR, FILE_TYPE_PIPE, FILE_TYPE_UNKNOWN};

std::string Title(uint8_t choice) {
  switch (choice % 5) {
    case 1: return "Title";
    case 2: return std::string(1100, 'T');
    case 3: return std::string(1023, 'T') + "\x81\x40";
    case 4: return "caption=x";
    default: return "";
  }
}

}  // namespace

// Input: six bytes of platform answers (see below), then the raw command line.
int FuzzWholeRun(const uint8_t* data, size_t size) {
  FuzzInput input = {data, size};
  uint8_t flags = input.Byte();
  uint8_t channels = input.Byte();
  uint8_t failWrite = input.Byte();
  uint8_t box = input.Byte();
  uint8_t failAllocation = input.Byte();
  uint8_t title = input.Byte();

  ResetFake();
  if (flags & 1) {
    UseDoubleByteCodePage();
  }
  Script.titleFails = (flags & 2) != 0;
  Script.stdoutInvalid = (flags & 4) != 0;
  Script.stdinInvalid = (flags & 8) != 0;
  Script.versionFails = (flags & 16) != 0;
  Script.failWritesAfter = (flags & 32) != 0;
  Script.regionCommitted = (flags & 64) == 0;
  if (flags & 128) Script.consoleWindow = nullptr;
  Script.stdoutType = STDOUT_TYPES[channels & 3];
  Script.input = INPUTS[(channels >> 2) & 3];
  Script.readEndCode = READ_END_CODES[(channels >> 4) & 3];
  Script.ignoreSoftHyphen = (channels & 64) != 0;
  Script.majorVersion = (channels & 128) ? 3 : 6;
  Script.failWriteNumber = failWrite;
  Script.boxResult = box % 12;
  Script.failAllocationNumber = failAllocation;
  Script.consoleTitle = Title(title);
  Script.inspectBox = InspectBox;
  Script.commandLine = input.Rest();

  uint32_t code = RunProgram();

  bool shown = !Record.boxes.empty();
  bool reported = EventHappened("VirtualQuery");
  std::string what = "exit " + std::to_string(code) + " for " + Printable(Script.commandLine);
  FUZZ_CHECK(Record.boxes.size() <= 1, "more than one box");
  if (reported) {
    FUZZ_CHECK(code == 1, "a failure report that did not end with 1, " + what);
  } else if (shown) {
    FUZZ_CHECK(code == static_cast<uint32_t>(Script.boxResult), "the box's answer was not the exit code, " + what);
  } else {
    FUZZ_CHECK(code == 8 || code == 9, "no box and no report, " + what);
  }
  if (shown && Script.boxResult == 0 && !reported)
    FUZZ_CHECK(Record.written.empty() || Record.written == "MessageBox Failed\r\n", "the failed box's line");
  return 0;
}
