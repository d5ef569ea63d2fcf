// Text storage: every copy gets its own NUL-terminated block.
#include "base/text.h"

#include <string.h>

#include "base/memory.h"

Text::Text(const char* bytes, size_t length) : length_(length) {
  if (length == 0) return;
  bytes_ = static_cast<char*>(RequestMemory(length + 1));
  memcpy(bytes_, bytes, length);
  bytes_[length] = '\0';
}

Text::Text(const char* nulTerminated) : Text(nulTerminated, strlen(nulTerminated)) {}

Text::Text(const Text& other) : Text(other.Bytes(), other.length_) {}

Text::Text(Text&& other) noexcept : bytes_(other.bytes_), length_(other.length_) {
  other.bytes_ = nullptr;
  other.length_ = 0;
}

Text& Text::operator=(const Text& other) {
  if (this != &other) *this = Text(other);
  return *this;
}

Text& Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    ReleaseMemory(bytes_);
    bytes_ = other.bytes_;
    length_ = other.length_;
    other.bytes_ = nullptr;
    other.length_ = 0;
  }
  return *this;
}

Text::~Text() { ReleaseMemory(bytes_); }

Text Text::OfLength(size_t length) {
  Text text;
  if (length == 0) return text;
  text.bytes_ = static_cast<char*>(RequestMemory(length + 1));
  text.bytes_[length] = '\0';
  text.length_ = length;
  return text;
}

bool Text::Contains(char byte) const {
  return length_ != 0 && memchr(bytes_, byte, length_) != nullptr;
}

bool Text::Equals(const char* bytes, size_t length) const {
  return length == length_ && (length == 0 || memcmp(bytes_, bytes, length) == 0);
}

Text Concatenate(const Text& first, const char* middle, size_t middleLength, const Text& last) {
  Text joined = Text::OfLength(first.Length() + middleLength + last.Length());
  char* out = joined.MutableBytes();
  if (out == nullptr) return joined;
  memcpy(out, first.Bytes(), first.Length());
  memcpy(out + first.Length(), middle, middleLength);
  memcpy(out + first.Length() + middleLength, last.Bytes(), last.Length());
  return joined;
}
