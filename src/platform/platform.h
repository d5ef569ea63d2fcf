// The operating-system calls askbox makes, under their Win32 names, with Win32-compatible types.
#ifndef ASKBOX_PLATFORM_PLATFORM_H
#define ASKBOX_PLATFORM_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

// Everything lives in its own namespace so that the Win32 implementation can include windows.h
// beside this header, and a test fake can stand in for the real calls on every platform.
namespace platform {

// The platform's own names, spelt as Win32 spells them.
// NOLINTBEGIN(readability-identifier-naming)

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef DWORD LCID;
typedef uintptr_t DWORD_PTR;
typedef size_t SIZE_T;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
const DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
const DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);

const DWORD FILE_TYPE_UNKNOWN = 0x0000;
const DWORD FILE_TYPE_DISK = 0x0001;
const DWORD FILE_TYPE_CHAR = 0x0002;
const DWORD FILE_TYPE_PIPE = 0x0003;

const DWORD ERROR_ACCESS_DENIED = 5;
const DWORD ERROR_BROKEN_PIPE = 109;

const int SM_DBCSENABLED = 42;
const UINT CP_ACP = 0;
const UINT MAX_LEADBYTES = 12;

const LCID LOCALE_USER_DEFAULT = 0x0400;
const DWORD NORM_IGNORECASE = 0x00000001;
const int CSTR_LESS_THAN = 1;
const int CSTR_EQUAL = 2;
const int CSTR_GREATER_THAN = 3;

const int SW_HIDE = 0;
const int SW_SHOW = 5;

const DWORD MB_OK = 0x0;
const DWORD MB_OKCANCEL = 0x1;
const DWORD MB_ABORTRETRYIGNORE = 0x2;
const DWORD MB_YESNOCANCEL = 0x3;
const DWORD MB_YESNO = 0x4;
const DWORD MB_RETRYCANCEL = 0x5;
const DWORD MB_CANCELTRYCONTINUE = 0x6;
const DWORD MB_TYPEMASK = 0xF;
const DWORD MB_ICONHAND = 0x10;
const DWORD MB_ICONQUESTION = 0x20;
const DWORD MB_ICONEXCLAMATION = 0x30;
const DWORD MB_ICONASTERISK = 0x40;
const DWORD MB_USERICON = 0x80;
const DWORD MB_ICONMASK = 0xF0;
const DWORD MB_DEFBUTTON2 = 0x100;
const DWORD MB_DEFBUTTON3 = 0x200;
const DWORD MB_DEFBUTTON4 = 0x300;
const DWORD MB_DEFMASK = 0xF00;
const DWORD MB_SETFOREGROUND = 0x00010000;
const DWORD MB_TOPMOST = 0x00040000;
const DWORD MB_RIGHT = 0x00080000;
const DWORD MB_RTLREADING = 0x00100000;
const DWORD MB_SERVICE_NOTIFICATION_NT3X = 0x00040000;
const DWORD MB_SERVICE_NOTIFICATION = 0x00200000;

const int IDOK = 1;
const int IDCANCEL = 2;
const int IDABORT = 3;
const int IDRETRY = 4;
const int IDIGNORE = 5;
const int IDYES = 6;
const int IDNO = 7;
const int IDTRYAGAIN = 10;
const int IDCONTINUE = 11;

const DWORD MEM_COMMIT = 0x1000;
const DWORD MEM_FREE = 0x10000;

struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[2];
  BYTE LeadByte[MAX_LEADBYTES];
};

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};

typedef void (*MSGBOXCALLBACK)(void* helpInfo);

struct MSGBOXPARAMSA {
  UINT cbSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpszText;
  LPCSTR lpszCaption;
  DWORD dwStyle;
  LPCSTR lpszIcon;
  DWORD_PTR dwContextHelpId;
  MSGBOXCALLBACK lpfnMsgBoxCallback;
  DWORD dwLanguageId;
};

struct MEMORY_BASIC_INFORMATION {
  LPVOID BaseAddress;
  LPVOID AllocationBase;
  DWORD AllocationProtect;
  SIZE_T RegionSize;
  DWORD State;
  DWORD Protect;
  DWORD Type;
};

// An integer resource identifier in place of a resource name.
inline LPCSTR MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(id));
}
inline bool IS_INTRESOURCE(LPCSTR name) {
  return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}

// NOLINTEND(readability-identifier-naming)

LPSTR GetCommandLineA();
DWORD GetModuleFileNameA(HMODULE Module, LPSTR FileName, DWORD Size);
int GetSystemMetrics(int Index);
BOOL GetCPInfo(UINT CodePage, CPINFO* Info);
int CompareStringA(LCID Locale, DWORD Flags, LPCSTR String1, int Count1, LPCSTR String2,
                   int Count2);
LPSTR CharNextA(LPCSTR Position);
DWORD GetConsoleTitleA(LPSTR Title, DWORD Size);
HWND GetConsoleWindow();
BOOL ShowWindow(HWND Window, int Command);
HMODULE LoadLibraryA(LPCSTR FileName);
BOOL GetVersionExA(OSVERSIONINFOA* Info);
int MessageBoxIndirectA(const MSGBOXPARAMSA* Params);
HANDLE GetStdHandle(DWORD Which);
DWORD GetFileType(HANDLE File);
BOOL WriteFile(HANDLE File, LPCVOID Buffer, DWORD Count, DWORD* Written, LPVOID Overlapped);
BOOL ReadFile(HANDLE File, LPVOID Buffer, DWORD Count, DWORD* Read, LPVOID Overlapped);
DWORD GetLastError();
SIZE_T VirtualQuery(LPCVOID Address, MEMORY_BASIC_INFORMATION* Info, SIZE_T Size);
[[noreturn]] void ExitProcess(UINT ExitCode);

// Not a Win32 call: whether a byte ends a directory in the platform's paths. Backslash on
// Windows; the POSIX stand-in takes the slash as well, since its paths are written with it.
bool IsDirectorySeparator(char Byte);

// Not a Win32 call: how long the next message box waits for an answer, in seconds (0: for ever,
// as from the start). A box left alone that long ends as if its default button were pressed:
// a script that asks nobody in particular takes the answer its author made the default.
void SetMessageBoxTimeout(UINT Seconds);

}  // namespace platform

#endif
