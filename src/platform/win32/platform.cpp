// The real Win32 calls behind the platform seam.
#include <stddef.h>

#include "platform/platform.h"

// windows.h turns the constants' names into macros, so the seam's values are taken first.
namespace seam {
constexpr platform::DWORD SERVICE_NOTIFICATION = platform::MB_SERVICE_NOTIFICATION;
constexpr platform::DWORD SERVICE_NOTIFICATION_NT3X = platform::MB_SERVICE_NOTIFICATION_NT3X;
constexpr platform::DWORD USER_ICON = platform::MB_USERICON;
constexpr platform::DWORD LAYOUT_AND_PLACE[] = {platform::MB_SETFOREGROUND, platform::MB_TOPMOST, platform::MB_RIGHT,
                                                platform::MB_RTLREADING};
constexpr platform::DWORD STD_OUTPUT = platform::STD_OUTPUT_HANDLE;
constexpr platform::DWORD STD_INPUT = platform::STD_INPUT_HANDLE;
constexpr platform::DWORD CHAR_DEVICE = platform::FILE_TYPE_CHAR;
constexpr platform::DWORD UNKNOWN_FILE = platform::FILE_TYPE_UNKNOWN;
constexpr platform::DWORD COMMITTED = platform::MEM_COMMIT;
constexpr platform::DWORD BROKEN_PIPE = platform::ERROR_BROKEN_PIPE;
constexpr int DBCS_ENABLED = platform::SM_DBCSENABLED;
constexpr platform::LCID USER_DEFAULT = platform::LOCALE_USER_DEFAULT;
constexpr platform::DWORD IGNORE_CASE = platform::NORM_IGNORECASE;
constexpr int EQUAL = platform::CSTR_EQUAL;
}  // namespace seam

#include <windows.h>

// The seam's own types must be the platform's, byte for byte, for the casts below to hold.
static_assert(sizeof(platform::MSGBOXPARAMSA) == sizeof(::MSGBOXPARAMSA), "MSGBOXPARAMSA");
static_assert(offsetof(platform::MSGBOXPARAMSA, dwStyle) == offsetof(::MSGBOXPARAMSA, dwStyle), "dwStyle");
static_assert(offsetof(platform::MSGBOXPARAMSA, lpszIcon) == offsetof(::MSGBOXPARAMSA, lpszIcon), "lpszIcon");
static_assert(offsetof(platform::MSGBOXPARAMSA, dwLanguageId) == offsetof(::MSGBOXPARAMSA, dwLanguageId), "dwLanguageId");
static_assert(sizeof(platform::OSVERSIONINFOA) == sizeof(::OSVERSIONINFOA), "OSVERSIONINFOA");
static_assert(sizeof(platform::CPINFO) == sizeof(::CPINFO), "CPINFO");
static_assert(offsetof(platform::CPINFO, LeadByte) == offsetof(::CPINFO, LeadByte), "LeadByte");
static_assert(sizeof(platform::MEMORY_BASIC_INFORMATION) == sizeof(::MEMORY_BASIC_INFORMATION), "MBI");
static_assert(offsetof(platform::MEMORY_BASIC_INFORMATION, State) == offsetof(::MEMORY_BASIC_INFORMATION, State), "State");
static_assert(seam::SERVICE_NOTIFICATION == MB_SERVICE_NOTIFICATION, "service notification");
static_assert(seam::SERVICE_NOTIFICATION_NT3X == MB_SERVICE_NOTIFICATION_NT3X, "old service notification");
static_assert(seam::USER_ICON == MB_USERICON, "user icon");
static_assert(seam::LAYOUT_AND_PLACE[0] == MB_SETFOREGROUND && seam::LAYOUT_AND_PLACE[1] == MB_TOPMOST &&
                  seam::LAYOUT_AND_PLACE[2] == MB_RIGHT && seam::LAYOUT_AND_PLACE[3] == MB_RTLREADING,
              "the style bits the Linux window honours");
static_assert(seam::STD_OUTPUT == STD_OUTPUT_HANDLE && seam::STD_INPUT == STD_INPUT_HANDLE, "handles");
static_assert(seam::CHAR_DEVICE == FILE_TYPE_CHAR && seam::UNKNOWN_FILE == FILE_TYPE_UNKNOWN, "file types");
static_assert(seam::COMMITTED == MEM_COMMIT && seam::BROKEN_PIPE == ERROR_BROKEN_PIPE, "codes");
static_assert(seam::DBCS_ENABLED == SM_DBCSENABLED && seam::USER_DEFAULT == LOCALE_USER_DEFAULT &&
                  seam::IGNORE_CASE == NORM_IGNORECASE && seam::EQUAL == CSTR_EQUAL,
              "text calls");

namespace platform {
namespace {

// SetTimer's own ceiling, about 24.8 days; a longer limit waits that long.
const UINT LONGEST_WAIT_MS = USER_TIMER_MAXIMUM;
// How soon the timer looks again where the box was not up yet when it came.
const UINT RETRY_MS = 100;

UINT BoxTimeout;
HHOOK BoxHook;
::HWND TimedBox;
::HWND DefaultButton;

bool HasClass(::HWND Window, const char* Name) {
  char Class[8];
  return Window != nullptr && ::GetClassNameA(Window, Class, sizeof Class) > 0 && lstrcmpiA(Class, Name) == 0;
}

bool IsDialog(::HWND Window) { return HasClass(Window, "#32770"); }

// The box gives its default button the focus as it opens: the first button it focuses is the
// answer to take, whatever the focus does later, as the style named it.
LRESULT CALLBACK NoteBox(int Code, WPARAM Window, LPARAM Details) {
  ::HWND Target = reinterpret_cast<::HWND>(Window);
  if (Code == HCBT_ACTIVATE && TimedBox == nullptr && IsDialog(Target)) TimedBox = Target;
  if (Code == HCBT_SETFOCUS && DefaultButton == nullptr && HasClass(Target, "Button") &&
      IsDialog(::GetParent(Target)))
    DefaultButton = Target;
  return ::CallNextHookEx(BoxHook, Code, Window, Details);
}

// The box ends as a click on its default button would end it. Wine answers DM_GETDEFID with
// IDOK in a box that has no OK button, so the button the box focused first is asked before it.
void CALLBACK PressDefault(::HWND, ::UINT, UINT_PTR Timer, ::DWORD) {
  ::HWND Box = TimedBox;
  if (Box == nullptr) {
    ::HWND Active = ::GetActiveWindow();
    // Not up yet: a look again shortly, which keeps the timer's identifier.
    if (!IsDialog(Active)) {
      ::SetTimer(nullptr, Timer, RETRY_MS, PressDefault);
      return;
    }
    Box = Active;
  }
  ::KillTimer(nullptr, Timer);
  int Id = 0;
  if (DefaultButton != nullptr && ::GetParent(DefaultButton) == Box) {
    Id = ::GetDlgCtrlID(DefaultButton);
  } else {
    LRESULT Default = ::SendMessageA(Box, DM_GETDEFID, 0, 0);
    if (HIWORD(Default) == DC_HASDEFID && ::GetDlgItem(Box, LOWORD(Default)) != nullptr) Id = LOWORD(Default);
  }
  // The command the click would send, rather than BM_CLICK, which a box that is not the active
  // window (its user turned to another) may ignore.
  if (Id == 0) Id = IDOK;
  ::PostMessageA(Box, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(Box, Id)));
}

}  // namespace

LPSTR GetCommandLineA() { return ::GetCommandLineA(); }

DWORD GetModuleFileNameA(HMODULE Module, LPSTR FileName, DWORD Size) {
  return ::GetModuleFileNameA(reinterpret_cast<::HMODULE>(Module), FileName, Size);
}

int GetSystemMetrics(int Index) { return ::GetSystemMetrics(Index); }

BOOL GetCPInfo(UINT CodePage, CPINFO* Info) {
  return ::GetCPInfo(CodePage, reinterpret_cast<::CPINFO*>(Info));
}

int CompareStringA(LCID Locale, DWORD Flags, LPCSTR String1, int Count1, LPCSTR String2, int Count2) {
  return ::CompareStringA(Locale, Flags, String1, Count1, String2, Count2);
}

LPSTR CharNextA(LPCSTR Position) { return ::CharNextA(Position); }

DWORD GetConsoleTitleA(LPSTR Title, DWORD Size) { return ::GetConsoleTitleA(Title, Size); }

HWND GetConsoleWindow() { return reinterpret_cast<HWND>(::GetConsoleWindow()); }

BOOL ShowWindow(HWND Window, int Command) {
  return ::ShowWindow(reinterpret_cast<::HWND>(Window), Command);
}

HMODULE LoadLibraryA(LPCSTR FileName) { return reinterpret_cast<HMODULE>(::LoadLibraryA(FileName)); }

BOOL GetVersionExA(OSVERSIONINFOA* Info) {
  return ::GetVersionExA(reinterpret_cast<::OSVERSIONINFOA*>(Info));
}

void SetMessageBoxTimeout(UINT Seconds) { BoxTimeout = Seconds; }

int MessageBoxIndirectA(const MSGBOXPARAMSA* Params) {
  const ::MSGBOXPARAMSA* Real = reinterpret_cast<const ::MSGBOXPARAMSA*>(Params);
  if (BoxTimeout == 0) return ::MessageBoxIndirectA(Real);
  // The box's own modal loop dispatches this thread's timer; the hook names the box for it.
  TimedBox = nullptr;
  DefaultButton = nullptr;
  BoxHook = ::SetWindowsHookExA(WH_CBT, NoteBox, nullptr, ::GetCurrentThreadId());
  UINT Ms = BoxTimeout > LONGEST_WAIT_MS / 1000 ? LONGEST_WAIT_MS : BoxTimeout * 1000;
  UINT_PTR Timer = ::SetTimer(nullptr, 0, Ms, PressDefault);
  int Answer = ::MessageBoxIndirectA(Real);
  if (Timer != 0) ::KillTimer(nullptr, Timer);
  if (BoxHook != nullptr) ::UnhookWindowsHookEx(BoxHook);
  BoxHook = nullptr;
  TimedBox = DefaultButton = nullptr;
  return Answer;
}

HANDLE GetStdHandle(DWORD Which) { return ::GetStdHandle(Which); }

DWORD GetFileType(HANDLE File) { return ::GetFileType(File); }

BOOL WriteFile(HANDLE File, LPCVOID Buffer, DWORD Count, DWORD* Written, LPVOID Overlapped) {
  return ::WriteFile(File, Buffer, Count, reinterpret_cast<::DWORD*>(Written),
                     static_cast<::LPOVERLAPPED>(Overlapped));
}

BOOL ReadFile(HANDLE File, LPVOID Buffer, DWORD Count, DWORD* Read, LPVOID Overlapped) {
  return ::ReadFile(File, Buffer, Count, reinterpret_cast<::DWORD*>(Read),
                    static_cast<::LPOVERLAPPED>(Overlapped));
}

DWORD GetLastError() { return ::GetLastError(); }

SIZE_T VirtualQuery(LPCVOID Address, MEMORY_BASIC_INFORMATION* Info, SIZE_T Size) {
  return ::VirtualQuery(Address, reinterpret_cast<::MEMORY_BASIC_INFORMATION*>(Info), Size);
}

void ExitProcess(UINT ExitCode) { ::ExitProcess(ExitCode); }

bool IsDirectorySeparator(char Byte) { return Byte == '\\'; }

}  // namespace platform
