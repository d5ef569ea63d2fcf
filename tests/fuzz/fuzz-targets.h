// The fuzz entry functions, shared by the libFuzzer programs and the corpus replay test.
#ifndef ASKBOX_TESTS_FUZZ_TARGETS_H
#define ASKBOX_TESTS_FUZZ_TARGETS_H

#include <stddef.h>
#include <stdint.h>

#include <string>

int FuzzArgumentSplitting(const uint8_t* Data, size_t Size);
int FuzzCommaList(const uint8_t* Data, size_t Size);
int FuzzIntOrDefault(const uint8_t* Data, size_t Size);
int FuzzOptionList(const uint8_t* Data, size_t Size);
int FuzzWholeRun(const uint8_t* Data, size_t Size);
// The Linux box's own code, without the fake: glyphs, keys, both layouts, drawing, conversions, the
// desktop's settings.
int FuzzGlyphWrap(const uint8_t* Data, size_t Size);
int FuzzTerminalKeys(const uint8_t* Data, size_t Size);
int FuzzTerminalDraw(const uint8_t* Data, size_t Size);
int FuzzWindowLayout(const uint8_t* Data, size_t Size);
int FuzzLocaleToUtf8(const uint8_t* Data, size_t Size);
int FuzzWindowProperties(const uint8_t* Data, size_t Size);
int FuzzButtonLabels(const uint8_t* Data, size_t Size);
int FuzzXSettings(const uint8_t* Data, size_t Size);
int FuzzAccessibleInput(const uint8_t* Data, size_t Size);

// A broken property: under libFuzzer a crash with the message, in the replay test a test failure.
[[noreturn]] void FuzzFailed(const std::string& What, const char* File, int Line);

#define FUZZ_CHECK(condition, what)                                   \
  do {                                                                \
    if (!(condition)) FuzzFailed(std::string(what), __FILE__, __LINE__); \
  } while (0)

// Bytes of the input read from the front; zero once it runs out.
struct FuzzInput {
  const uint8_t* Data;
  size_t Size;
  uint8_t Byte() {
    if (Size == 0) return 0;
    --Size;
    return *Data++;
  }
  std::string Rest() {
    std::string Rest(reinterpret_cast<const char*>(Data), Size);
    Data += Size;
    Size = 0;
    return Rest;
  }
};

// Shows bytes readably in a failure message.
std::string Printable(const std::string& Bytes);

#endif
