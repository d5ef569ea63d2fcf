// Text: a byte string with a known length, owned by value, never holding a NUL byte.
#ifndef ASKBOX_BASE_TEXT_H
#define ASKBOX_BASE_TEXT_H

#include <stddef.h>

class Text {
 public:
  Text() = default;
  Text(const char* Bytes, size_t Length);
  explicit Text(const char* NulTerminated);
  Text(const Text& Other);
  Text(Text&& Other) noexcept;
  Text& operator=(const Text& Other);
  Text& operator=(Text&& Other) noexcept;
  ~Text();

  // A text of the given length whose bytes the caller fills in through Bytes().
  static Text OfLength(size_t Length);

  size_t Length() const { return Size; }
  bool IsEmpty() const { return Size == 0; }
  const char* Bytes() const { return Buffer != nullptr ? Buffer : ""; }
  char* MutableBytes() { return Buffer; }
  // Always NUL-terminated, so it can be handed to the platform as it stands.
  const char* CString() const { return Bytes(); }
  unsigned char At(size_t Index) const { return static_cast<unsigned char>(Buffer[Index]); }
  bool Contains(char Byte) const;
  bool Equals(const char* Bytes, size_t Length) const;

 private:
  char* Buffer = nullptr;
  size_t Size = 0;
};

Text Concatenate(const Text& First, const char* Middle, size_t MiddleLength, const Text& Last);

#endif
