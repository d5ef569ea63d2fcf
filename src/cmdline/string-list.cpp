// The option list: name look-up through the platform's comparison, stored values, comma lists.
#include "cmdline/string-list.h"

#include <new>

#include "base/memory.h"
#include "cmdline/arguments.h"
#include "platform/platform.h"

namespace {

bool IsBlank(unsigned char Byte) { return Byte >= 1 && Byte <= 32; }

bool NamesEqual(const char* First, size_t FirstLength, const char* Second, size_t SecondLength) {
  const size_t Limit = 0x7FFFFFFF;
  if (FirstLength > Limit || SecondLength > Limit) return false;
  return platform::CompareStringA(platform::LOCALE_USER_DEFAULT, platform::NORM_IGNORECASE, First,
                                  static_cast<int>(FirstLength), Second,
                                  static_cast<int>(SecondLength)) == platform::CSTR_EQUAL;
}

const char* SkipBlanks(const char* Position) {
  while (IsBlank(static_cast<unsigned char>(*Position))) Position = platform::CharNextA(Position);
  return Position;
}

// The next double quote at or after from that is not a trail byte, counted from start; null
// when the text ends first.
const char* NextQuote(const char* Start, const char* From) {
  for (const char* P = From; *P != '\0'; ++P) {
    if (*P == '"' && ByteKindAt(Start, static_cast<size_t>(P - Start)) != BYTE_TRAIL) return P;
  }
  return nullptr;
}

// Walks a quoted item from the byte after its opening quote. Copies the item's bytes to out
// (doubled quotes made single) when out is not null; returns where the scan goes on.
const char* ScanQuotedItem(const char* First, char* Out, size_t& Length) {
  Length = 0;
  const char* SearchStart = First;
  for (;;) {
    const char* Quote = NextQuote(SearchStart, SearchStart);
    if (Quote != nullptr && Quote[1] == '"') {
      // Two quotes stand for one, and the search starts again after them.
      for (const char* P = SearchStart; P <= Quote; ++P) {
        if (Out != nullptr) Out[Length] = *P;
        ++Length;
      }
      SearchStart = Quote + 2;
      continue;
    }
    const char* End = Quote;
    const char* Next = Quote != nullptr ? Quote + 1 : nullptr;
    if (Quote == nullptr) {
      // No closing quote: the item is reckoned as if the last byte were one, so that byte stays
      // out of it.
      Next = SearchStart + strlen(SearchStart);
      End = Next > SearchStart ? Next - 1 : Next;
    }
    for (const char* P = SearchStart; P < End; ++P) {
      if (Out != nullptr) Out[Length] = *P;
      ++Length;
    }
    return Next;
  }
}

}  // namespace

EStringListError::EStringListError(int32_t Index) : Exception("") {
  SetMessageWithNumber("List index out of bounds (", Index, ")");
}

void* TStrings::operator new(size_t Size) { return RequestMemory(Size); }
void TStrings::operator delete(void* Block) { ReleaseMemory(Block); }

long SeparatorOf(const Text& Line) {
  const char* Bytes = Line.CString();
  for (size_t I = 0; I < Line.Length(); ++I) {
    if (Bytes[I] == '=' && ByteKindAt(Bytes, I) != BYTE_TRAIL) return static_cast<long>(I);
  }
  return -1;
}

int32_t TStrings::FindName(const char* Name, size_t Length, size_t* Separator) const {
  int32_t Count = LineCount();
  for (int32_t I = 0; I < Count; ++I) {
    Text Line = LineAt(I);
    long Position = SeparatorOf(Line);
    if (Position < 0) continue;
    if (NamesEqual(Line.Bytes(), static_cast<size_t>(Position), Name, Length)) {
      if (Separator != nullptr) *Separator = static_cast<size_t>(Position);
      return I;
    }
  }
  return -1;
}

int32_t TStrings::FindName(const char* Name, size_t Length) const {
  return FindName(Name, Length, nullptr);
}

Text TStrings::ValueOf(const char* Name, size_t Length) const {
  size_t Separator = 0;
  int32_t Index = FindName(Name, Length, &Separator);
  if (Index < 0) return Text();
  // The value follows the line's own separator: a name the comparison calls equal may differ in
  // byte length from the one asked for.
  Text Line = LineAt(Index);
  return Text(Line.Bytes() + Separator + 1, Line.Length() - Separator - 1);
}

void TStrings::StoreValue(const char* Name, const Text& Value) {
  int32_t Index = FindName(Name);
  if (Value.IsEmpty()) {
    if (Index >= 0) RemoveLine(Index);
    return;
  }
  if (Index < 0) Index = AppendLine(Text());
  ReplaceLine(Index, Concatenate(Text(Name), "=", 1, Value));
}

void TStrings::LoadCommaList(const Text& List) {
  ClearLines();
  const char* Position = SkipBlanks(List.CString());
  while (*Position != '\0') {
    Text Item;
    if (*Position == '"') {
      size_t Length = 0;
      ScanQuotedItem(Position + 1, nullptr, Length);
      Item = Text::OfLength(Length);
      Position = ScanQuotedItem(Position + 1, Item.MutableBytes(), Length);
    } else {
      const char* Start = Position;
      while (*Position != '\0' && *Position != ',' &&
             !IsBlank(static_cast<unsigned char>(*Position)))
        Position = platform::CharNextA(Position);
      Item = Text(Start, static_cast<size_t>(Position - Start));
    }
    AppendLine(Item);
    Position = SkipBlanks(Position);
    if (*Position == ',') Position = SkipBlanks(platform::CharNextA(Position));
  }
}

TStringList::~TStringList() {
  ClearLines();
}

// The index tests report the caller's call of the list operation as the failure's place.
NOINLINE Text TStringList::LineAt(int32_t Index) const {
  if (Index < 0 || Index >= Count) Raise(EStringListError(Index), CALLER_LOCATION());
  return Slots[Index];
}

int32_t TStringList::LineCount() const { return Count; }

NOINLINE void TStringList::ReplaceLine(int32_t Index, const Text& Line) {
  if (Index < 0 || Index >= Count) Raise(EStringListError(Index), CALLER_LOCATION());
  Slots[Index] = Line;
}

int32_t TStringList::AppendLine(const Text& Line) {
  Text Copy(Line);
  if (Count == SlotCapacity) {
    int32_t Growth = SlotCapacity > 64 ? SlotCapacity / 4 : SlotCapacity > 8 ? 16 : 4;
    int32_t NewCapacity = SlotCapacity + Growth;
    Text* NewSlots = static_cast<Text*>(RequestMemory(sizeof(Text) * static_cast<size_t>(NewCapacity)));
    // A text is only a pointer and a length, so the slots move as plain bytes.
    if (Count > 0) memcpy(static_cast<void*>(NewSlots), Slots, sizeof(Text) * Count);
    ReleaseMemory(Slots);
    Slots = NewSlots;
    SlotCapacity = NewCapacity;
  }
  new (&Slots[Count]) Text(static_cast<Text&&>(Copy));
  return Count++;
}

void TStringList::ClearLines() {
  for (int32_t I = 0; I < Count; ++I) Slots[I].~Text();
  ReleaseMemory(Slots);
  Slots = nullptr;
  Count = 0;
  SlotCapacity = 0;
}

NOINLINE void TStringList::RemoveLine(int32_t Index) {
  if (Index < 0 || Index >= Count) Raise(EStringListError(Index), CALLER_LOCATION());
  Slots[Index].~Text();
  memmove(static_cast<void*>(Slots + Index), Slots + Index + 1,
          sizeof(Text) * static_cast<size_t>(Count - Index - 1));
  --Count;
}

int32_t IntOrDefault(const Text& Number, int32_t DefaultValue) {
  return IntOrDefault(Number.Bytes(), Number.Length(), DefaultValue);
}

namespace {

int HexDigitValue(char Byte) {
  if (Byte >= '0' && Byte <= '9') return Byte - '0';
  if (Byte >= 'a' && Byte <= 'f') return Byte - 'a' + 10;
  if (Byte >= 'A' && Byte <= 'F') return Byte - 'A' + 10;
  return -1;
}

bool IsDecimalDigit(char Byte) { return Byte >= '0' && Byte <= '9'; }

}  // namespace

int32_t IntOrDefault(const char* Bytes, size_t Length, int32_t DefaultValue) {
  size_t I = 0;
  while (I < Length && Bytes[I] == ' ') ++I;
  if (I == Length) return DefaultValue;
  bool Hexadecimal = false;
  bool Negative = false;
  if (Bytes[I] == '-' || Bytes[I] == '+') {
    Negative = Bytes[I] == '-';
    ++I;
  } else if (Bytes[I] == '$' || Bytes[I] == 'x' || Bytes[I] == 'X') {
    Hexadecimal = true;
    ++I;
  } else if (Bytes[I] == '0' && I + 1 < Length && (Bytes[I + 1] == 'x' || Bytes[I + 1] == 'X')) {
    Hexadecimal = true;
    I += 2;
  }
  if (I == Length) return DefaultValue;
  // Leading zeros never count against the limits.
  while (I < Length && Bytes[I] == '0') ++I;
  uint64_t Value = 0;
  int Significant = 0;
  for (; I < Length; ++I) {
    int Digit = Hexadecimal ? HexDigitValue(Bytes[I]) : (IsDecimalDigit(Bytes[I]) ? Bytes[I] - '0' : -1);
    if (Digit < 0) return DefaultValue;
    Value = Value * (Hexadecimal ? 16 : 10) + static_cast<uint64_t>(Digit);
    if (++Significant > (Hexadecimal ? 8 : 10)) return DefaultValue;
  }
  if (Hexadecimal) return static_cast<int32_t>(static_cast<uint32_t>(Value));
  if (Negative) {
    if (Value > 2147483648ull) return DefaultValue;
    return static_cast<int32_t>(-static_cast<int64_t>(Value));
  }
  if (Value > 2147483647ull) return DefaultValue;
  return static_cast<int32_t>(Value);
}
