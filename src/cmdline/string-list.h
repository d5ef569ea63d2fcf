// TStrings and TStringList: the ordered name=value lines through which options are read, and IntOrDefault.
#ifndef ASKBOX_CMDLINE_STRING_LIST_H
#define ASKBOX_CMDLINE_STRING_LIST_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "base/failure.h"
#include "base/text.h"

// The failure of an index outside the list, raised by the index tests of the primitives.
class EStringListError : public Exception {
 public:
  explicit EStringListError(int32_t index);
  const char* ClassName() const override { return "EStringListError"; }
};

class TStrings {
 public:
  // The six primitives, in this slot order; everything else reaches the lines through them.
  virtual Text LineAt(int32_t index) const = 0;
  virtual int32_t LineCount() const = 0;
  virtual void ReplaceLine(int32_t index, const Text& line) = 0;
  virtual int32_t AppendLine(const Text& line) = 0;
  virtual void ClearLines() = 0;
  virtual void RemoveLine(int32_t index) = 0;

  // Index of the first line whose name part equals the name, or -1.
  int32_t FindName(const char* name, size_t length) const;
  int32_t FindName(const char* name) const { return FindName(name, strlen(name)); }
  // The value part of the first line of that name; empty when there is none.
  Text ValueOf(const char* name, size_t length) const;
  Text ValueOf(const char* name) const { return ValueOf(name, strlen(name)); }
  void StoreValue(const char* name, const Text& value);
  void LoadCommaList(const Text& text);

  // Lists come from the program's own memory requests, so that running out is reported.
  static void* operator new(size_t size);
  static void operator delete(void* block);

 protected:
  TStrings() = default;
  ~TStrings() = default;

 private:
  int32_t FindName(const char* name, size_t length, size_t* separator) const;
};

class TStringList final : public TStrings {
 public:
  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;
  ~TStringList();

  Text LineAt(int32_t index) const override;
  int32_t LineCount() const override;
  void ReplaceLine(int32_t index, const Text& line) override;
  int32_t AppendLine(const Text& line) override;
  void ClearLines() override;
  void RemoveLine(int32_t index) override;

  int32_t Capacity() const { return capacity_; }

 private:
  Text* slots_ = nullptr;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
};

// The number the whole text spells (decimal, or hexadecimal after $, x, X, 0x, 0X), else the default.
int32_t IntOrDefault(const Text& text, int32_t defaultValue);
int32_t IntOrDefault(const char* bytes, size_t length, int32_t defaultValue);

// Position of the line's separator: its first "=" that is not the second byte of a double-byte
// character; -1 when it has none.
long SeparatorOf(const Text& line);

#endif
