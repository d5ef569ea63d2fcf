// The main routine: options from the arguments, the usage text, and the one message box request.
#include "run/main-routine.h"

#include <string.h>

#include "cmdline/arguments.h"
#include "cmdline/string-list.h"
#include "platform/platform.h"
#include "run/console-channels.h"
#include "run/failures.h"

using namespace platform;

namespace {

const size_t CAPTION_ROOM = 1025;
const size_t TEXT_ROOM = 1029;
// The record's own size, which the platform checks: 40 bytes where pointers have 32 bits, 80 on
// 64-bit Windows.
const UINT BOX_PARAMS_SIZE = sizeof(MSGBOXPARAMSA);
static_assert(sizeof(void*) != 4 || BOX_PARAMS_SIZE == 40, "the 32-bit record has 40 bytes");
const DWORD VERSION_INFO_SIZE = 148;
const int32_t DEFAULT_RESOURCE_NUMBER = 1;

MSGBOXPARAMSA BoxParams;
OSVERSIONINFOA VersionInfo;
char CaptionBuffer[CAPTION_ROOM];
char TextBuffer[TEXT_ROOM];
// The resource name must outlive the icon list it came from, until the box has returned.
Text IconName;

// Lines 2 to 34 of the usage text, each ended by a line feed; line 1 names the program and is
// written apart. A number in braces goes out as a number of its own and the bytes around it as
// texts, so that every line is written in the pieces it always had.
const char USAGE_LINES[] =
    "text=          The message to show in the messagebox\n"
    "caption=       MessageBox window title\n"
    "icon=          Specifies the icon to use:\n"
    "               0=No icon(default)\n"
    "               {64}=Information icon\n"
    "               {48}=Warning icon\n"
    "               {16}=Error icon\n"
    "               {32}=Question Mark\n"
    "button=        Button type number\n"
    "               0=ok(default)\n"
    "               {4}=Yes/no\n"
    "               {3}=Yes/no/cancel\n"
    "               {1}=Ok/cancel\n"
    "               {2}=abort/retry/ignore\n"
    "               {5}=Retry/cancel\n"
    "mode=          Set optional modes, can be a combination of the following numbers:\n"
    "               1=Hide console window until finished\n"
    "               2=Don't set console window as parent of the messagebox\n"
    "               4=Show message box to the current active desktop, even when no one is logged in.\n"
    "               8=the icon= specifies an icon filename and resource name seperated by a comma\n"
    "               16=the icon resource is an integer resource, only used with mode 8\n"
    "\n"
    "ErrorLevel codes:\n"
    "{3}\tAbort button was selected.\n"
    "{2}\tCancel button was selected.\n"
    "{5}\tIgnore button was selected.\n"
    "{7}\tNo button was selected.\n"
    "{1}\tOK button was selected.\n"
    "{4}\tRetry button was selected.\n"
    "{6}\tYes button was selected.\n"
    "{0}     Out of memory error\n"
    "{8}     text= wasn't provided error\n"
    "{9}     Parameter syntax error\n";

// Writes the pieces of the usage line that starts at Line, without its end; gives where the next
// line starts. Brace is the next "{" of the text at or after Line, or null, and moves on with it.
const char* WriteUsageLine(const char* Line, const char*& Brace) {
  const char* End = strchr(Line, '\n');
  const char* Piece = Line;
  for (; Brace != nullptr && Brace < End; Brace = strchr(Piece, '{')) {
    WriteText(Piece, static_cast<size_t>(Brace - Piece));
    int32_t Number = 0;
    for (Piece = Brace + 1; *Piece != '}'; ++Piece) Number = Number * 10 + (*Piece - '0');
    WriteInteger(Number);
    ++Piece;
  }
  WriteText(Piece, static_cast<size_t>(End - Piece));
  return End + 1;
}

void PrintLine(const char* Bytes) {
  WriteText(Bytes);
  EndLine();
  CheckIo();
}

// Whether the usage text waits for Enter before the program ends.
enum UsageEnding { USAGE_EXITS, USAGE_PAUSES };

[[noreturn]] void ShowUsage(UsageEnding Ending) {
  WriteText("Usage: ");
  WriteText(FileNamePart(ArgumentAt(0)));
  WriteText(" text= [caption=] [icon=] [button=] [mode=]");
  EndLine();
  CheckIo();
  const char* Brace = strchr(USAGE_LINES, '{');
  for (const char* Line = USAGE_LINES; *Line != '\0';) {
    Line = WriteUsageLine(Line, Brace);
    EndLine();
    CheckIo();
  }
  if (Ending == USAGE_PAUSES) {
    PrintLine("Press enter to return...");
    ReadLine();
    CheckIo();
  }
  EndProcess(EXIT_USAGE);
}

// Copies a value with its NUL into a buffer; a longer value is cut at a character boundary, so
// that neither the buffer's end nor half a double-byte character is ever written.
void CopyToBuffer(char* Buffer, size_t Room, const Text& Value) {
  const char* Bytes = Value.CString();
  size_t Limit = Room - 1;
  size_t Length = Value.Length();
  if (Length > Limit) {
    const char* End = Bytes;
    for (;;) {
      const char* Next = CharNextA(End);
      if (Next == End || static_cast<size_t>(Next - Bytes) > Limit) break;
      End = Next;
    }
    Length = static_cast<size_t>(End - Bytes);
  }
  memcpy(Buffer, Bytes, Length);
  Buffer[Length] = '\0';
}

// An integer resource identifier has 16 bits; any other number falls back to the default, so
// that it is never taken for the address of a resource name.
LPCSTR IntegerResource(const Text& Item) {
  int32_t Number = IntOrDefault(Item, DEFAULT_RESOURCE_NUMBER);
  if (Number < 0 || Number > 0xFFFF) Number = DEFAULT_RESOURCE_NUMBER;
  return MAKEINTRESOURCEA(static_cast<WORD>(Number));
}

// Every argument must have the name=value form; the first that has not ends the run.
void ReadOptions(TStringList* Options, int NumArguments) {
  for (int I = 1; I <= NumArguments; ++I) {
    Text Argument = ArgumentAt(I);
    Options->AppendLine(Argument);
    if (!Argument.Contains('=')) {
      WriteText("Bad parameter option or unquoted text:");
      WriteText(Argument);
      EndLine();
      CheckIo();
      EndProcess(EXIT_BAD_ARGUMENT);
    }
  }
}

// The resource in the module, by name or by number.
void SetIconResource(const Text& Resource, int32_t Mode) {
  if (Mode & MODE_ICON_BY_NUMBER) {
    BoxParams.lpszIcon = IntegerResource(Resource);
  } else {
    IconName = Resource;
    BoxParams.lpszIcon = IconName.CString();
  }
}

// Windows NT 3.x knew the service desktop's style bit by another value.
DWORD ServiceDesktopStyle() {
  memset(&VersionInfo, 0, sizeof VersionInfo);
  VersionInfo.dwOSVersionInfoSize = VERSION_INFO_SIZE;
  GetVersionExA(&VersionInfo);
  return VersionInfo.dwMajorVersion <= 3 ? MB_SERVICE_NOTIFICATION_NT3X : MB_SERVICE_NOTIFICATION;
}

// Without caption= the box takes the console's title.
void DefaultCaption(TStringList* Options) {
  GetConsoleTitleA(CaptionBuffer, CAPTION_ROOM);
  CaptionBuffer[CAPTION_ROOM - 1] = '\0';
  if (Options->ValueOf("caption").IsEmpty()) Options->StoreValue("caption", Text(CaptionBuffer));
}

void OwnBoxAndHideConsole(int32_t Mode) {
  if ((Mode & (MODE_NO_OWNER | MODE_SERVICE_DESKTOP)) == 0) BoxParams.hwndOwner = GetConsoleWindow();
  if (Mode & MODE_HIDE_CONSOLE) {
    HWND Console = GetConsoleWindow();
    ShowWindow(Console, SW_HIDE);
    NoteConsoleHidden(Console);
  }
}

void FillTextsAndStyle(const TStringList& Options, DWORD ExtraStyle) {
  CopyToBuffer(TextBuffer, TEXT_ROOM, Options.ValueOf("text"));
  BoxParams.lpszText = TextBuffer;
  CopyToBuffer(CaptionBuffer, CAPTION_ROOM, Options.ValueOf("caption"));
  BoxParams.lpszCaption = CaptionBuffer;
  BoxParams.dwStyle = static_cast<DWORD>(IntOrDefault(Options.ValueOf("icon"), 0)) | ExtraStyle |
                      static_cast<DWORD>(IntOrDefault(Options.ValueOf("button"), 0));
}

// The console hidden for the box is shown again before the answer is reported.
int ShowBox(const TStringList& Options, int32_t Mode) {
  int32_t Timeout = IntOrDefault(Options.ValueOf("timeout"), 0);
  if (Timeout > 0) SetMessageBoxTimeout(static_cast<UINT>(Timeout));
  int Result = MessageBoxIndirectA(&BoxParams);
  if (Mode & MODE_HIDE_CONSOLE) {
    ShowWindow(GetConsoleWindow(), SW_SHOW);
    NoteConsoleShown();
  }
  return Result;
}

}  // namespace

void StartUp() {
  BuildLeadByteSet();
  SetUpFailureReporting();
  ResetConsoleChannels();
  ResetArgumentCursor();
  IconName = Text();
}

void RunMain() {
  DWORD ExtraStyle = 0;
  TStringList* Options = new TStringList;
  memset(&BoxParams, 0, sizeof BoxParams);
  BoxParams.cbSize = BOX_PARAMS_SIZE;
  CaptionBuffer[0] = '\0';
  TextBuffer[0] = '\0';

  int NumArguments = ArgumentCount();
  ReadOptions(Options, NumArguments);
  int32_t Mode = IntOrDefault(Options->ValueOf("mode"), 0);
  if (ArgumentCount() == 0 || Options->ValueOf("text").IsEmpty()) ShowUsage(NumArguments == 0 ? USAGE_PAUSES : USAGE_EXITS);

  // icon= names a module and a resource in it. A list too short fails here, where a report's
  // place in the program points at the main routine.
  if (Mode & MODE_ICON_FROM_MODULE) {
    TStringList* IconList = new TStringList;
    IconList->LoadCommaList(Options->ValueOf("icon"));
    BoxParams.hInstance = LoadLibraryA(IconList->LineAt(0).CString());
    SetIconResource(IconList->LineAt(1), Mode);
    delete IconList;
    ExtraStyle |= MB_USERICON;
  }
  if (Mode & MODE_SERVICE_DESKTOP) ExtraStyle |= ServiceDesktopStyle();
  DefaultCaption(Options);
  OwnBoxAndHideConsole(Mode);
  FillTextsAndStyle(*Options, ExtraStyle);

  int Result = ShowBox(*Options, Mode);
  if (Result == 0) PrintLine("MessageBox Failed");
  EndProcess(static_cast<uint32_t>(Result));
}
