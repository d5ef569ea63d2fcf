// Text storage: every copy gets its own NUL-terminated block.
#include "base/text.h"

#include <string.h>

#include "base/memory.h"

Text::Text(const char* Bytes, size_t Length) : Size(Length) {
  if (Length == 0) return;
  Buffer = static_cast<char*>(RequestMemory(Length + 1));
  memcpy(Buffer, Bytes, Length);
  Buffer[Length] = '\0';
}

Text::Text(const char* NulTerminated) : Text(NulTerminated, strlen(NulTerminated)) {}

Text::Text(const Text& Other) : Text(Other.Bytes(), Other.Size) {}

Text::Text(Text&& Other) noexcept : Buffer(Other.Buffer), Size(Other.Size) {
  Other.Buffer = nullptr;
  Other.Size = 0;
}

Text& Text::operator=(const Text& Other) {
  if (this != &Other) *this = Text(Other);
  return *this;
}

Text& Text::operator=(Text&& Other) noexcept {
  if (this != &Other) {
    ReleaseMemory(Buffer);
    Buffer = Other.Buffer;
    Size = Other.Size;
    Other.Buffer = nullptr;
    Other.Size = 0;
  }
  return *this;
}

Text::~Text() { ReleaseMemory(Buffer); }

Text Text::OfLength(size_t Length) {
  Text Made;
  if (Length == 0) return Made;
  Made.Buffer = static_cast<char*>(RequestMemory(Length + 1));
  Made.Buffer[Length] = '\0';
  Made.Size = Length;
  return Made;
}

bool Text::Contains(char Byte) const {
  return Size != 0 && memchr(Buffer, Byte, Size) != nullptr;
}

bool Text::Equals(const char* Bytes, size_t Length) const {
  return Length == Size && (Length == 0 || memcmp(Buffer, Bytes, Length) == 0);
}

Text Concatenate(const Text& First, const char* Middle, size_t MiddleLength, const Text& Last) {
  Text Joined = Text::OfLength(First.Length() + MiddleLength + Last.Length());
  char* Out = Joined.MutableBytes();
  if (Out == nullptr) return Joined;
  memcpy(Out, First.Bytes(), First.Length());
  memcpy(Out + First.Length(), Middle, MiddleLength);
  memcpy(Out + First.Length() + MiddleLength, Last.Bytes(), Last.Length());
  return Joined;
}
