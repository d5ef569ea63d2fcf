// The fuzz entry functions, shared by the libFuzzer programs and the corpus replay test.
#ifndef ASKBOX_TESTS_FUZZ_TARGETS_H
#define ASKBOX_TESTS_FUZZ_TARGETS_H

#include <stddef.h>
#include <stdint.h>

#include <string>

int FuzzArgumentSplitting(const uint8_t* data, size_t size);
int FuzzCommaList(const uint8_t* data, size_t size);
int FuzzIntOrDefault(const uint8_t* data, size_t size);
int FuzzOptionList(const uint8_t* data, size_t size);
int FuzzWholeRun(const uint8_t* data, size_t size);

// A broken property: under libFuzzer a crash with the message, in the replay test a test failure.
[[noreturn]] void FuzzFailed(const std::string& what, const char* file, int line);

#define FUZZ_CHECK(condition, what)                                   \
  do {                                                                \
    if (!(condition)) FuzzFailed(std::string(what), __FILE__, __LINE__); \
  } while (0)

// Bytes of the input read from the front; zero once it runs out.
struct FuzzInput {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(data), size);
    data += size;
    size = 0;
    return rest;
  }
};

// Shows bytes readably in a failure message.
std::string Printable(const std::string& bytes);

#endif
