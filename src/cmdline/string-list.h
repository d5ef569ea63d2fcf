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
  explicit EStringListError(int32_t Index);
  const char* ClassName() const override { return "EStringListError"; }
};

class TStrings {
 public:
  // The six primitives, in this slot order; everything else reaches the lines through them.
  virtual Text LineAt(int32_t Index) const = 0;
  virtual int32_t LineCount() const = 0;
  virtual void ReplaceLine(int32_t Index, const Text& Line) = 0;
  virtual int32_t AppendLine(const Text& Line) = 0;
  virtual void ClearLines() = 0;
  virtual void RemoveLine(int32_t Index) = 0;

  // Index of the first line whose name part equals the name, or -1.
  int32_t FindName(const char* Name, size_t Length) const;
  int32_t FindName(const char* Name) const { return FindName(Name, strlen(Name)); }
  // The value part of the first line of that name; empty when there is none.
  Text ValueOf(const char* Name, size_t Length) const;
  Text ValueOf(const char* Name) const { return ValueOf(Name, strlen(Name)); }
  void StoreValue(const char* Name, const Text& Value);
  void LoadCommaList(const Text& List);

  // Lists come from the program's own memory requests, so that running out is reported.
  static void* operator new(size_t Size);
  static void operator delete(void* Block);

 protected:
  TStrings() = default;
  ~TStrings() = default;

 private:
  int32_t FindName(const char* Name, size_t Length, size_t* Separator) const;
};

class TStringList final : public TStrings {
 public:
  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;
  ~TStringList();

  Text LineAt(int32_t Index) const override;
  int32_t LineCount() const override;
  void ReplaceLine(int32_t Index, const Text& Line) override;
  int32_t AppendLine(const Text& Line) override;
  void ClearLines() override;
  void RemoveLine(int32_t Index) override;

  int32_t Capacity() const { return SlotCapacity; }

 private:
  Text* Slots = nullptr;
  int32_t Count = 0;
  int32_t SlotCapacity = 0;
};

// The number the whole text spells (decimal, or hexadecimal after $, x, X, 0x, 0X), else the default.
int32_t IntOrDefault(const Text& Number, int32_t DefaultValue);
int32_t IntOrDefault(const char* Bytes, size_t Length, int32_t DefaultValue);

// Position of the line's separator: its first "=" that is not the second byte of a double-byte
// character; -1 when it has none.
long SeparatorOf(const Text& Line);

#endif
