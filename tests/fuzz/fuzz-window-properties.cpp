// Fuzz target: another client's window properties, of any type, format, count and bytes.
#include <X11/Xatom.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "fuzz-targets.h"
#include "platform/posix/x11/properties.h"

using namespace platform;

namespace {

// Atoms a server could hand out for the two title types, and types no text has.
const TitleTypes TYPES = {0x1A5, 0x1A6};
const Atom ATOMS[] = {XA_CARDINAL, XA_STRING, TYPES.Utf8String, TYPES.CompoundText, XA_ATOM, XA_WINDOW, None};
const char* const LOCALES[] = {"C.UTF-8", "de_DE.ISO-8859-1", "ja_JP.EUC-JP", "C"};
// The formats the server sends; the last few choices give ones it never does.
const int FORMATS[] = {0, 8, 16, 32};

// The bytes as XGetWindowProperty hands them out: format 32 items as longs, format 16 items as
// shorts, format 8 with a NUL after; no property (format 0) has no data. Nothing more is allocated,
// so a read past the items is caught; a format the server never sends gets no room at all.
unsigned char* AsXlibGives(int Format, unsigned long Count, FuzzInput* Input) {
  if (Format == 0) return nullptr;
  size_t Bytes = Format == 32 ? Count * sizeof(long) : Format == 16 ? Count * sizeof(short) : Format == 8 ? Count : 0;
  unsigned char* Data = static_cast<unsigned char*>(malloc(Format == 8 ? Bytes + 1 : Bytes));
  for (size_t I = 0; I < Bytes; ++I) Data[I] = Input->Byte();
  if (Format == 8) Data[Bytes] = '\0';
  return Data;
}

}  // namespace

// Input: the type, the format, two bytes of count, the room for the title, the locale, the length
// of the host name to compare (taken from the front of the data), then the data.
int FuzzWindowProperties(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  PropertyValue Value;
  Value.Type = ATOMS[Input.Byte() % (sizeof ATOMS / sizeof ATOMS[0])];
  uint8_t FormatChoice = Input.Byte();
  Value.Format = FormatChoice < 0xF0 ? FORMATS[FormatChoice % 4] : FormatChoice - 0xF0 + 1;
  Value.Count = (Input.Byte() << 8 | Input.Byte()) % 1024;
  size_t Room = Input.Byte() % 65;
  setenv("LC_ALL", LOCALES[Input.Byte() % 4], 1);
  size_t HostLength = Input.Byte();
  unsigned char* Bytes = AsXlibGives(Value.Format, Value.Count, &Input);
  Value.Data = Bytes;
  std::string Where = " of type " + std::to_string(Value.Type) + ", format " + std::to_string(Value.Format) +
                      ", count " + std::to_string(Value.Count);

  long Pid = StatedPid(Value);
  bool OnePid = Value.Type == XA_CARDINAL && Value.Format == 32 && Value.Count == 1;
  long Stated = 0;
  if (OnePid) memcpy(&Stated, Bytes, sizeof Stated);
  FUZZ_CHECK(Pid >= 0 && (Pid == 0 || (OnePid && Pid == Stated)), "pid " + std::to_string(Pid) + Where);
  if (OnePid && Stated > 0 && Stated <= (1L << 22)) FUZZ_CHECK(Pid == Stated, "pid missed" + Where);

  // A state list is read item by item, never past its count.
  bool Listed = ListsAtom(Value, TYPES.Utf8String);
  FUZZ_CHECK(!Listed || (Value.Type == XA_ATOM && Value.Format == 32 && Value.Count > 0), "atom listed" + Where);

  bool Latin1 = Value.Type == XA_STRING && Value.Format == 8;
  // The host name is a C string: it ends at its first NUL.
  std::string Host;
  if (Value.Format == 8) Host = reinterpret_cast<char*>(Bytes);
  Host = Host.substr(0, HostLength);
  bool Same = Latin1 && Host.size() == Value.Count && memcmp(Host.data(), Bytes, Value.Count) == 0;
  FUZZ_CHECK(NamesHost(Value, Host.c_str()) == Same, "host " + Printable(Host) + Where);

  // Work areas: read within the count, and what is taken lies within the monitor it is for.
  long Desktop = CurrentDesktop(Value);
  FUZZ_CHECK(Desktop >= -1 && Desktop < 1024 && (Desktop < 0 || OnePid), "desktop " + std::to_string(Desktop) + Where);
  RootArea Monitor = {1280, 0, 1280, 800}, Area = {0, 0, 0, 0};
  if (DesktopWorkArea(Value, static_cast<long>(HostLength % 4), &Area))
    FUZZ_CHECK(Area.Width > 0 && Area.Height > 0 && Area.X >= 0 && Area.Width <= (1L << 20), "work area" + Where);
  RootArea Free = UncoveredPart(Monitor, Area);
  FUZZ_CHECK(Free.X >= Monitor.X && Free.Y >= Monitor.Y && Free.X + Free.Width <= Monitor.X + Monitor.Width &&
                 Free.Y + Free.Height <= Monitor.Y + Monitor.Height && Free.Width > 0 && Free.Height > 0,
             "uncovered part outside the monitor" + Where);
  if (MonitorWorkArea(Value, Monitor, &Area))
    FUZZ_CHECK(Area.X >= Monitor.X && Area.X + Area.Width <= Monitor.X + Monitor.Width && Area.Width > 0 &&
                   Area.Height > 0 && Area.Y + Area.Height <= Monitor.Y + Monitor.Height,
               "monitor's work area outside it" + Where);

  // Only the bytes promised: a title is written within Room and ends there.
  char* Title = static_cast<char*>(malloc(Room));
  size_t Length = DecodeTitle(Value, TYPES, Title, Room);
  bool Text = Value.Format == 8 && (Latin1 || Value.Type == TYPES.Utf8String || Value.Type == TYPES.CompoundText);
  FUZZ_CHECK(Length == 0 || (Text && Length < Room && Title[Length] == '\0'), "title of " + std::to_string(Length) + Where);
  if (Room > 0) FUZZ_CHECK(Title[Length] == '\0', "title not terminated" + Where);
  free(Title);
  free(Bytes);
  return 0;
}
