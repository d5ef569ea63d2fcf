// Failure kinds, the I/O check and the last-resort report that ends a failed run with exit code 1.
#ifndef ASKBOX_RUN_FAILURES_H
#define ASKBOX_RUN_FAILURES_H

#include <stdint.h>

#include "platform/platform.h"

// A failure's location is the return address of the function that raises it, which is the
// point just after the call that failed; the raising function must therefore not be inlined.
#define NOINLINE __attribute__((noinline))
#define CALLER_LOCATION() __builtin_return_address(0)

class Exception {
 public:
  virtual const char* ClassName() const { return "Exception"; }
  const char* Message() const { return message_; }

 protected:
  explicit Exception(const char* message);
  ~Exception() = default;
  void SetMessageWithNumber(const char* prefix, int32_t number, const char* suffix);

 private:
  // Fixed storage, so that raising and reporting never need memory.
  char message_[64];
};

class EStringListError : public Exception {
 public:
  explicit EStringListError(int32_t index);
  const char* ClassName() const override { return "EStringListError"; }
};

class EInOutError : public Exception {
 public:
  explicit EInOutError(int32_t code);
  const char* ClassName() const override { return "EInOutError"; }
  int32_t Code() const { return code_; }

 private:
  int32_t code_;
};

class EHeapException : public Exception {
 public:
  const char* ClassName() const override { return "EHeapException"; }

 protected:
  explicit EHeapException(const char* message) : Exception(message) {}
};

class EOutOfMemory : public EHeapException {
 public:
  EOutOfMemory() : EHeapException("Out of memory") {}
  const char* ClassName() const override { return "EOutOfMemory"; }
};

// The code of the last failed channel operation, 0 when none is pending; read only by CheckIo.
extern int32_t PendingIoError;

// Makes the one out-of-memory failure and clears what an earlier run may have left.
void SetUpFailureReporting();

// Nothing catches a failure: raising it reports it at once and ends the process.
[[noreturn]] void Raise(const Exception& failure, const void* location);
[[noreturn]] void RaiseOutOfMemory(const void* location);
[[noreturn]] void ReportFailure(const Exception& failure, const void* location);

// Raises EInOutError for a pending channel code, located just after this call.
void CheckIo();

// A console window hidden while the box is up is shown again by the report, so that a failure
// never takes the user's console away.
void NoteConsoleHidden(platform::HWND window);
void NoteConsoleShown();

// Exactly as the report writes it; exposed so that tests can check the text apart from a run.
int FormatFailureReport(char* out, int size, const char* kindName, const char* moduleName,
                        uint32_t offset, const char* message);

#endif
