// Text: a byte string with a known length, owned by value, never holding a NUL byte.
#ifndef ASKBOX_BASE_TEXT_H
#define ASKBOX_BASE_TEXT_H

#include <stddef.h>

class Text {
 public:
  Text() = default;
  Text(const char* bytes, size_t length);
  explicit Text(const char* nulTerminated);
  Text(const Text& other);
  Text(Text&& other) noexcept;
  Text& operator=(const Text& other);
  Text& operator=(Text&& other) noexcept;
  ~Text();

  // A text of the given length whose bytes the caller fills in through Bytes().
  static Text OfLength(size_t length);

  size_t Length() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }
  const char* Bytes() const { return bytes_ != nullptr ? bytes_ : ""; }
  char* MutableBytes() { return bytes_; }
  // Always NUL-terminated, so it can be handed to the platform as it stands.
  const char* CString() const { return Bytes(); }
  unsigned char At(size_t index) const { return static_cast<unsigned char>(bytes_[index]); }
  bool Contains(char byte) const;
  bool Equals(const char* bytes, size_t length) const;

 private:
  char* bytes_ = nullptr;
  size_t length_ = 0;
};

Text Concatenate(const Text& first, const char* middle, size_t middleLength, const Text& last);

#endif
