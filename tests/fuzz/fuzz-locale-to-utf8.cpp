// Fuzz target: text between the locale's character set and UTF-8, for many of the C library's sets.
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <vector>

#include "fuzz-targets.h"
#include "platform/posix/box/model.h"
#include "platform/posix/codeset.h"

using namespace platform;

namespace {

// Stateful, multi-byte, one-to-many and EBCDIC sets among the plain ones, spelt as a locale
// would name them; the first few are the ones taken as UTF-8 unconverted.
const char* const CODESETS[] = {
    "", "UTF-8", "utf8", "ANSI_X3.4-1968", "ISO-8859-1", "ISO-8859-15", "TSCII", "ISO-2022-CN-EXT",
    "ISO-2022-CN", "ISO-2022-JP", "ISO-2022-JP-3", "ISO-2022-KR", "BIG5-HKSCS", "BIG5", "GB18030", "GBK",
    "EUC-JP", "EUC-KR", "EUC-TW", "SHIFT_JIS", "SHIFT_JISX0213", "CP932", "CP1255", "CP1258", "TCVN",
    "UTF-7", "UTF-16", "UCS-4", "UTF-32", "IBM930", "IBM1364", "IBM037", "KOI8-R", "ARMSCII-8",
    "GEORGIAN-PS", "VISCII", "TIS-620", "CP1251", "NO-SUCH-SET"};
const size_t UNCONVERTED = 4;
const size_t CODESET_COUNT = sizeof CODESETS / sizeof CODESETS[0];

// The text laid against a page nothing may touch, so that a read past it faults even where no
// address check watches: in the replay test of the plain build, and inside the C library's
// converters, which are not instrumented.
class GuardedText {
 public:
  explicit GuardedText(const std::string& Text) {
    size_t Page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    Size = (Text.size() + Page - 1) / Page * Page + Page;
    Mapping = static_cast<char*>(mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    FUZZ_CHECK(Mapping != MAP_FAILED && mprotect(Mapping + Size - Page, Page, PROT_NONE) == 0, "no guard page");
    Bytes = Mapping + Size - Page - Text.size();
    memcpy(Bytes, Text.data(), Text.size());
  }
  ~GuardedText() { munmap(Mapping, Size); }
  GuardedText(const GuardedText&) = delete;
  GuardedText& operator=(const GuardedText&) = delete;
  char* Bytes;

 private:
  char* Mapping;
  size_t Size;
};

}  // namespace

// Input: a byte choosing the codeset, the room to convert back into, then the locale's bytes.
int FuzzLocaleToUtf8(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  size_t Choice = Input.Byte() % CODESET_COUNT;
  size_t BackRoom = 1 + Input.Byte() % 64;
  std::string Raw = Input.Rest();
  std::string Locale = Choice == 0 ? "C" : std::string("xx_XX.") + CODESETS[Choice];
  setenv("LC_ALL", Locale.c_str(), 1);
  std::string Where = " in " + Locale + " from " + Printable(Raw);

  // Exactly the room promised, so that a write past it is caught.
  GuardedText In(Raw);
  size_t Room = Utf8Room(Raw.size());
  char* Utf8 = static_cast<char*>(malloc(Room));
  size_t Length = LocaleToUtf8(In.Bytes, Raw.size(), Utf8, Room);
  FUZZ_CHECK(Length < Room && Utf8[Length] == '\0', "not terminated within its room" + Where);
  std::string Got(Utf8, Length);
  free(Utf8);
  if (Choice < UNCONVERTED) {
    // Malformed bytes are left for NextGlyph, which substitutes them one by one.
    FUZZ_CHECK(Got == Raw, "changed on the way through: " + Printable(Got) + Where);
  } else {
    const unsigned char* Bytes = reinterpret_cast<const unsigned char*>(Got.data());
    for (size_t P = 0; P < Got.size();) {
      Glyph G = NextGlyph(Bytes + P, Got.size() - P);
      FUZZ_CHECK(G.Length > 1 || Bytes[P] < 0x80, "malformed UTF-8 " + Printable(Got) + Where);
      P += G.Length;
    }
  }

  GuardedText Converted(Got);
  std::vector<char> Back(BackRoom);
  Length = Utf8ToLocale(Converted.Bytes, Got.size(), Back.data(), Back.size());
  FUZZ_CHECK(Length < BackRoom && Back[Length] == '\0',
             "back from " + Printable(Got) + " not terminated within " + std::to_string(BackRoom) + Where);
  return 0;
}
