// Failures: the Exception that every failure kind derives from, and the one place a raised one goes.
#ifndef ASKBOX_BASE_FAILURE_H
#define ASKBOX_BASE_FAILURE_H

#include <stdint.h>

// A failure's location is the return address of the function that raises it, which is the
// point just after the call that failed; the raising function must therefore not be inlined.
#define NOINLINE __attribute__((noinline))
#define CALLER_LOCATION() __builtin_return_address(0)

class Exception {
 public:
  virtual const char* ClassName() const { return "Exception"; }
  const char* Message() const { return MessageText; }

 protected:
  explicit Exception(const char* Message);
  ~Exception() = default;
  void SetMessageWithNumber(const char* Prefix, int32_t Number, const char* Suffix);

 private:
  void AppendToMessage(const char* Piece);

  // Fixed storage, so that raising and reporting never need memory.
  char MessageText[64];
};

// Nothing catches a failure: raising it hands it to the handler that start-up installs, which
// reports it and ends the process. The layers below the run know nothing of the report.
typedef void (*FailureHandler)(const Exception& Failure, const void* Location);
void InstallFailureHandler(FailureHandler Handler);
[[noreturn]] void Raise(const Exception& Failure, const void* Location);

#endif
