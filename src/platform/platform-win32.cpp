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

int MessageBoxIndirectA(const MSGBOXPARAMSA* Params) {
  return ::MessageBoxIndirectA(reinterpret_cast<const ::MSGBOXPARAMSA*>(Params));
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
