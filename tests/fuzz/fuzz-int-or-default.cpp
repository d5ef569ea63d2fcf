// Fuzz target: IntOrDefault against an oracle that matches the text to its three forms as patterns.
#include <string.h>

#include "cmdline/string-list.h"
#include "fake-platform.h"
#include "fuzz-targets.h"

namespace {

bool AllOf(const std::string& Text, const char* Set) {
  return !Text.empty() && Text.find_first_not_of(Set) == std::string::npos;
}

std::string WithoutLeadingZeros(const std::string& Digits) {
  size_t First = Digits.find_first_not_of('0');
  return First == std::string::npos ? "" : Digits.substr(First);
}

// The value the text spells, or false when it spells none; by pattern and string comparison of
// the digits with the limits, with no digit-by-digit accumulation.
bool Spelled(const std::string& Whole, int32_t* Value) {
  size_t Start = Whole.find_first_not_of(' ');
  if (Start == std::string::npos) return false;
  std::string Rest = Whole.substr(Start);
  const char* Decimal = "0123456789";
  const char* Hexadecimal = "0123456789abcdefABCDEF";

  std::string HexDigits;
  bool Hex = false;
  for (const char* Prefix : {"0x", "0X", "$", "x", "X"}) {
    size_t Length = strlen(Prefix);
    if (Rest.compare(0, Length, Prefix) == 0 && AllOf(Rest.substr(Length), Hexadecimal)) {
      HexDigits = Rest.substr(Length);
      Hex = true;
      break;
    }
  }
  if (Hex) {
    std::string Significant = WithoutLeadingZeros(HexDigits);
    if (Significant.size() > 8) return false;
    *Value = static_cast<int32_t>(Significant.empty() ? 0 : strtoul(Significant.c_str(), nullptr, 16));
    return true;
  }

  bool Negative = Rest[0] == '-';
  std::string Digits = (Rest[0] == '-' || Rest[0] == '+') ? Rest.substr(1) : Rest;
  if (!AllOf(Digits, Decimal)) return false;
  std::string Significant = WithoutLeadingZeros(Digits);
  std::string Limit = Negative ? "2147483648" : "2147483647";
  if (Significant.size() > Limit.size() ||
      (Significant.size() == Limit.size() && Significant > Limit))
    return false;
  long long Magnitude = Significant.empty() ? 0 : strtoll(Significant.c_str(), nullptr, 10);
  *Value = static_cast<int32_t>(Negative ? -Magnitude : Magnitude);
  return true;
}

}  // namespace

// Input: four bytes of the default, then the text.
int FuzzIntOrDefault(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  uint32_t Bits = 0;
  for (int I = 0; I < 4; ++I) Bits = Bits << 8 | Input.Byte();
  int32_t DefaultValue = static_cast<int32_t>(Bits);
  std::string Spelling = Input.Rest();

  ResetFake();
  StartFakeProcess();
  int32_t Expected = DefaultValue;
  Spelled(Spelling, &Expected);
  int32_t Got = IntOrDefault(Spelling.data(), Spelling.size(), DefaultValue);
  FUZZ_CHECK(Got == Expected, "IntOrDefault(" + Printable(Spelling) + ", " + std::to_string(DefaultValue) +
                                  ") gave " + std::to_string(Got) + ", not " + std::to_string(Expected));
  // A text never holds a NUL, so the Text form sees the bytes before the first one.
  std::string Stored = Spelling.substr(0, strnlen(Spelling.c_str(), Spelling.size()));
  Expected = DefaultValue;
  Spelled(Stored, &Expected);
  Got = IntOrDefault(Text(Stored.data(), Stored.size()), DefaultValue);
  FUZZ_CHECK(Got == Expected, "IntOrDefault of the Text " + Printable(Stored) + " gave " + std::to_string(Got));
  return 0;
}
