// The real Win32 calls behind the platform seam.
#include <stddef.h>

#include "platform/platform.h"

// windows.h turns the constants' names into macros, so the seam's values are taken first.
namespace seam {
constexpr platform::DWORD serviceNotification = platform::MB_SERVICE_NOTIFICATION;
constexpr platform::DWORD serviceNotificationNt3x = platform::MB_SERVICE_NOTIFICATION_NT3X;
constexpr platform::DWORD userIcon = platform::MB_USERICON;
constexpr platform::DWORD stdOutput = platform::STD_OUTPUT_HANDLE;
constexpr platform::DWORD stdInput = platform::STD_INPUT_HANDLE;
constexpr platform::DWORD charDevice = platform::FILE_TYPE_CHAR;
constexpr platform::DWORD unknownFile = platform::FILE_TYPE_UNKNOWN;
constexpr platform::DWORD committed = platform::MEM_COMMIT;
constexpr platform::DWORD brokenPipe = platform::ERROR_BROKEN_PIPE;
constexpr int dbcsEnabled = platform::SM_DBCSENABLED;
constexpr platform::LCID userDefault = platform::LOCALE_USER_DEFAULT;
constexpr platform::DWORD ignoreCase = platform::NORM_IGNORECASE;
constexpr int equal = platform::CSTR_EQUAL;
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
static_assert(seam::serviceNotification == MB_SERVICE_NOTIFICATION, "service notification");
static_assert(seam::serviceNotificationNt3x == MB_SERVICE_NOTIFICATION_NT3X, "old service notification");
static_assert(seam::userIcon == MB_USERICON, "user icon");
static_assert(seam::stdOutput == STD_OUTPUT_HANDLE && seam::stdInput == STD_INPUT_HANDLE, "handles");
static_assert(seam::charDevice == FILE_TYPE_CHAR && seam::unknownFile == FILE_TYPE_UNKNOWN, "file types");
static_assert(seam::committed == MEM_COMMIT && seam::brokenPipe == ERROR_BROKEN_PIPE, "codes");
static_assert(seam::dbcsEnabled == SM_DBCSENABLED && seam::userDefault == LOCALE_USER_DEFAULT &&
                  seam::ignoreCase == NORM_IGNORECASE && seam::equal == CSTR_EQUAL,
              "text calls");

namespace platform {

LPSTR GetCommandLineA() { return ::GetCommandLineA(); }

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  return ::GetModuleFileNameA(reinterpret_cast<::HMODULE>(module), fileName, size);
}

int GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

BOOL GetCPInfo(UINT codePage, CPINFO* info) {
  return ::GetCPInfo(codePage, reinterpret_cast<::CPINFO*>(info));
}

int CompareStringA(LCID locale, DWORD flags, LPCSTR string1, int count1, LPCSTR string2, int count2) {
  return ::CompareStringA(locale, flags, string1, count1, string2, count2);
}

LPSTR CharNextA(LPCSTR position) { return ::CharNextA(position); }

DWORD GetConsoleTitleA(LPSTR title, DWORD size) { return ::GetConsoleTitleA(title, size); }

HWND GetConsoleWindow() { return reinterpret_cast<HWND>(::GetConsoleWindow()); }

BOOL ShowWindow(HWND window, int command) {
  return ::ShowWindow(reinterpret_cast<::HWND>(window), command);
}

HMODULE LoadLibraryA(LPCSTR fileName) { return reinterpret_cast<HMODULE>(::LoadLibraryA(fileName)); }

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  return ::GetVersionExA(reinterpret_cast<::OSVERSIONINFOA*>(info));
}

int MessageBoxIndirectA(const MSGBOXPARAMSA* params) {
  return ::MessageBoxIndirectA(reinterpret_cast<const ::MSGBOXPARAMSA*>(params));
}

HANDLE GetStdHandle(DWORD which) { return ::GetStdHandle(which); }

DWORD GetFileType(HANDLE file) { return ::GetFileType(file); }

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, DWORD* written, LPVOID overlapped) {
  return ::WriteFile(file, buffer, count, reinterpret_cast<::DWORD*>(written),
                     static_cast<::LPOVERLAPPED>(overlapped));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, DWORD* read, LPVOID overlapped) {
  return ::ReadFile(file, buffer, count, reinterpret_cast<::DWORD*>(read),
                    static_cast<::LPOVERLAPPED>(overlapped));
}

DWORD GetLastError() { return ::GetLastError(); }

SIZE_T VirtualQuery(LPCVOID address, MEMORY_BASIC_INFORMATION* info, SIZE_T size) {
  return ::VirtualQuery(address, reinterpret_cast<::MEMORY_BASIC_INFORMATION*>(info), size);
}

void ExitProcess(UINT exitCode) { ::ExitProcess(exitCode); }

bool IsDirectorySeparator(char byte) { return byte == '\\'; }

}  // namespace platform
