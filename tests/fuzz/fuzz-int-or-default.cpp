// Fuzz target: IntOrDefault against an oracle that matches the text to its three forms as patterns.
#include <string.h>

#include "cmdline/string-list.h"
#include "fake-platform.h"
#include "fuzz-targets.h"

namespace {

bool AllOf(const std::string& text, const char* set) {
  return !text.empty() && text.find_first_not_of(set) == std::string::npos;
}

std::string WithoutLeadingZeros(const std::string& digits) {
  size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "" : digits.substr(first);
}

// The value the text spells, or false when it spells none; by pattern and string comparison of
// the digits with the limits, with no digit-by-digit accumulation.
bool Spelled(const std::string& whole, int32_t* value) {
  size_t start = whole.find_first_not_of(' ');
  if (start == std::string::npos) return false;
  std::string text = whole.substr(start);
  const char* decimal = "0123456789";
  const char* hexadecimal = "0123456789abcdefABCDEF";

  std::string hexDigits;
  bool hex = false;
  for (const char* prefix : {"0x", "0X", "$", "x", "X"}) {
    size_t length = strlen(prefix);
    if (text.compare(0, length, prefix) == 0 && AllOf(text.substr(length), hexadecimal)) {
      hexDigits = text.substr(length);
      hex = true;
      break;
    }
  }
  if (hex) {
    std::string significant = WithoutLeadingZeros(hexDigits);
    if (significant.size() > 8) return false;
    *value = static_cast<int32_t>(significant.empty() ? 0 : strtoul(significant.c_str(), nullptr, 16));
    return true;
  }

  bool negative = text[0] == '-';
  std::string digits = (text[0] == '-' || text[0] == '+') ? text.substr(1) : text;
  if (!AllOf(digits, decimal)) return false;
  std::string significant = WithoutLeadingZeros(digits);
  std::string limit = negative ? "2147483648" : "2147483647";
  if (significant.size() > limit.size() ||
      (significant.size() == limit.size() && significant > limit))
    return false;
  long long magnitude = significant.empty() ? 0 : strtoll(significant.c_str(), nullptr, 10);
  *value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

}  // namespace

// Input: four bytes of the default, then the text.
int FuzzIntOrDefault(const uint8_t* data, size_t size) {
  FuzzInput input = {data, size};
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits = bits << 8 | input.Byte();
  int32_t defaultValue = static_cast<int32_t>(bits);
  std::string text = input.Rest();

  ResetFake();
  StartFakeProcess();
  int32_t expected = defaultValue;
  Spelled(text, &expected);
  int32_t got = IntOrDefault(text.data(), text.size(), defaultValue);
  FUZZ_CHECK(got == expected, "IntOrDefault(" + Printable(text) + ", " + std::to_string(defaultValue) +
                                  ") gave " + std::to_string(got) + ", not " + std::to_string(expected));
  // A text never holds a NUL, so the Text form sees the bytes before the first one.
  std::string stored = text.substr(0, strnlen(text.c_str(), text.size()));
  expected = defaultValue;
  Spelled(stored, &expected);
  got = IntOrDefault(Text(stored.data(), stored.size()), defaultValue);
  FUZZ_CHECK(got == expected, "IntOrDefault of the Text " + Printable(stored) + " gave " + std::to_string(got));
  return 0;
}
