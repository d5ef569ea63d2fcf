// The option list: name look-up through the platform's comparison, stored values, comma lists.
#include "cmdline/string-list.h"

#include <new>

#include "base/memory.h"
#include "cmdline/arguments.h"
#include "platform/platform.h"

namespace {

bool IsBlank(unsigned char byte) { return byte >= 1 && byte <= 32; }

bool NamesEqual(const char* first, size_t firstLength, const char* second, size_t secondLength) {
  const size_t limit = 0x7FFFFFFF;
  if (firstLength > limit || secondLength > limit) return false;
  return platform::CompareStringA(platform::LOCALE_USER_DEFAULT, platform::NORM_IGNORECASE, first,
                                  static_cast<int>(firstLength), second,
                                  static_cast<int>(secondLength)) == platform::CSTR_EQUAL;
}

const char* SkipBlanks(const char* position) {
  while (IsBlank(static_cast<unsigned char>(*position))) position = platform::CharNextA(position);
  return position;
}

// The next double quote at or after from that is not a trail byte, counted from start; null
// when the text ends first.
const char* NextQuote(const char* start, const char* from) {
  for (const char* p = from; *p != '\0'; ++p) {
    if (*p == '"' && ByteKindAt(start, static_cast<size_t>(p - start)) != BYTE_TRAIL) return p;
  }
  return nullptr;
}

// Walks a quoted item from the byte after its opening quote. Copies the item's bytes to out
// (doubled quotes made single) when out is not null; returns where the scan goes on.
const char* ScanQuotedItem(const char* first, char* out, size_t& length) {
  length = 0;
  const char* searchStart = first;
  for (;;) {
    const char* quote = NextQuote(searchStart, searchStart);
    if (quote != nullptr && quote[1] == '"') {
      // Two quotes stand for one, and the search starts again after them.
      for (const char* p = searchStart; p <= quote; ++p) {
        if (out != nullptr) out[length] = *p;
        ++length;
      }
      searchStart = quote + 2;
      continue;
    }
    const char* end = quote;
    const char* next = quote != nullptr ? quote + 1 : nullptr;
    if (quote == nullptr) {
      // No closing quote: the item is reckoned as if the last byte were one, so that byte stays
      // out of it.
      next = searchStart + strlen(searchStart);
      end = next > searchStart ? next - 1 : next;
    }
    for (const char* p = searchStart; p < end; ++p) {
      if (out != nullptr) out[length] = *p;
      ++length;
    }
    return next;
  }
}

}  // namespace

EStringListError::EStringListError(int32_t index) : Exception("") {
  SetMessageWithNumber("List index out of bounds (", index, ")");
}

void* TStrings::operator new(size_t size) { return RequestMemory(size); }
void TStrings::operator delete(void* block) { ReleaseMemory(block); }

long SeparatorOf(const Text& line) {
  const char* bytes = line.CString();
  for (size_t i = 0; i < line.Length(); ++i) {
    if (bytes[i] == '=' && ByteKindAt(bytes, i) != BYTE_TRAIL) return static_cast<long>(i);
  }
  return -1;
}

int32_t TStrings::FindName(const char* name, size_t length, size_t* separator) const {
  int32_t count = LineCount();
  for (int32_t i = 0; i < count; ++i) {
    Text line = LineAt(i);
    long position = SeparatorOf(line);
    if (position < 0) continue;
    if (NamesEqual(line.Bytes(), static_cast<size_t>(position), name, length)) {
      if (separator != nullptr) *separator = static_cast<size_t>(position);
      return i;
    }
  }
  return -1;
}

int32_t TStrings::FindName(const char* name, size_t length) const {
  return FindName(name, length, nullptr);
}

Text TStrings::ValueOf(const char* name, size_t length) const {
  size_t separator = 0;
  int32_t index = FindName(name, length, &separator);
  if (index < 0) return Text();
  // The value follows the line's own separator: a name the comparison calls equal may differ in
  // byte length from the one asked for.
  Text line = LineAt(index);
  return Text(line.Bytes() + separator + 1, line.Length() - separator - 1);
}

void TStrings::StoreValue(const char* name, const Text& value) {
  int32_t index = FindName(name);
  if (value.IsEmpty()) {
    if (index >= 0) RemoveLine(index);
    return;
  }
  if (index < 0) index = AppendLine(Text());
  ReplaceLine(index, Concatenate(Text(name), "=", 1, value));
}

void TStrings::LoadCommaList(const Text& text) {
  ClearLines();
  const char* position = SkipBlanks(text.CString());
  while (*position != '\0') {
    Text item;
    if (*position == '"') {
      size_t length = 0;
      ScanQuotedItem(position + 1, nullptr, length);
      item = Text::OfLength(length);
      position = ScanQuotedItem(position + 1, item.MutableBytes(), length);
    } else {
      const char* start = position;
      while (*position != '\0' && *position != ',' &&
             !IsBlank(static_cast<unsigned char>(*position)))
        position = platform::CharNextA(position);
      item = Text(start, static_cast<size_t>(position - start));
    }
    AppendLine(item);
    position = SkipBlanks(position);
    if (*position == ',') position = SkipBlanks(platform::CharNextA(position));
  }
}

TStringList::~TStringList() {
  ClearLines();
}

// The index tests report the caller's call of the list operation as the failure's place.
NOINLINE Text TStringList::LineAt(int32_t index) const {
  if (index < 0 || index >= count_) Raise(EStringListError(index), CALLER_LOCATION());
  return slots_[index];
}

int32_t TStringList::LineCount() const { return count_; }

NOINLINE void TStringList::ReplaceLine(int32_t index, const Text& line) {
  if (index < 0 || index >= count_) Raise(EStringListError(index), CALLER_LOCATION());
  slots_[index] = line;
}

int32_t TStringList::AppendLine(const Text& line) {
  Text copy(line);
  if (count_ == capacity_) {
    int32_t growth = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
    int32_t capacity = capacity_ + growth;
    Text* slots = static_cast<Text*>(RequestMemory(sizeof(Text) * static_cast<size_t>(capacity)));
    // A text is only a pointer and a length, so the slots move as plain bytes.
    if (count_ > 0) memcpy(static_cast<void*>(slots), slots_, sizeof(Text) * count_);
    ReleaseMemory(slots_);
    slots_ = slots;
    capacity_ = capacity;
  }
  new (&slots_[count_]) Text(static_cast<Text&&>(copy));
  return count_++;
}

void TStringList::ClearLines() {
  for (int32_t i = 0; i < count_; ++i) slots_[i].~Text();
  ReleaseMemory(slots_);
  slots_ = nullptr;
  count_ = 0;
  capacity_ = 0;
}

NOINLINE void TStringList::RemoveLine(int32_t index) {
  if (index < 0 || index >= count_) Raise(EStringListError(index), CALLER_LOCATION());
  slots_[index].~Text();
  memmove(static_cast<void*>(slots_ + index), slots_ + index + 1,
          sizeof(Text) * static_cast<size_t>(count_ - index - 1));
  --count_;
}

int32_t IntOrDefault(const Text& text, int32_t defaultValue) {
  return IntOrDefault(text.Bytes(), text.Length(), defaultValue);
}

namespace {

int HexDigitValue(char byte) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  return -1;
}

bool IsDecimalDigit(char byte) { return byte >= '0' && byte <= '9'; }

}  // namespace

int32_t IntOrDefault(const char* bytes, size_t length, int32_t defaultValue) {
  size_t i = 0;
  while (i < length && bytes[i] == ' ') ++i;
  if (i == length) return defaultValue;
  bool hexadecimal = false;
  bool negative = false;
  if (bytes[i] == '-' || bytes[i] == '+') {
    negative = bytes[i] == '-';
    ++i;
  } else if (bytes[i] == '$' || bytes[i] == 'x' || bytes[i] == 'X') {
    hexadecimal = true;
    ++i;
  } else if (bytes[i] == '0' && i + 1 < length && (bytes[i + 1] == 'x' || bytes[i + 1] == 'X')) {
    hexadecimal = true;
    i += 2;
  }
  if (i == length) return defaultValue;
  // Leading zeros never count against the limits.
  while (i < length && bytes[i] == '0') ++i;
  uint64_t value = 0;
  int significant = 0;
  for (; i < length; ++i) {
    int digit = hexadecimal ? HexDigitValue(bytes[i]) : (IsDecimalDigit(bytes[i]) ? bytes[i] - '0' : -1);
    if (digit < 0) return defaultValue;
    value = value * (hexadecimal ? 16 : 10) + static_cast<uint64_t>(digit);
    if (++significant > (hexadecimal ? 8 : 10)) return defaultValue;
  }
  if (hexadecimal) return static_cast<int32_t>(static_cast<uint32_t>(value));
  if (negative) {
    if (value > 2147483648ull) return defaultValue;
    return static_cast<int32_t>(-static_cast<int64_t>(value));
  }
  if (value > 2147483647ull) return defaultValue;
  return static_cast<int32_t>(value);
}
