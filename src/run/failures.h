// The run's failure kinds, the I/O check and the last-resort report that ends a failed run with exit code 1.
#ifndef ASKBOX_RUN_FAILURES_H
#define ASKBOX_RUN_FAILURES_H

#include <stdint.h>

#include "base/failure.h"
#include "platform/platform.h"

class EInOutError : public Exception {
 public:
  explicit EInOutError(int32_t Code);
  const char* ClassName() const override { return "EInOutError"; }
  int32_t Code() const { return IoCode; }

 private:
  int32_t IoCode;
};

class EHeapException : public Exception {
 public:
  const char* ClassName() const override { return "EHeapException"; }

 protected:
  explicit EHeapException(const char* Message) : Exception(Message) {}
};

class EOutOfMemory : public EHeapException {
 public:
  EOutOfMemory() : EHeapException("Out of memory") {}
  const char* ClassName() const override { return "EOutOfMemory"; }
};

// Makes the one out-of-memory failure, clears what an earlier run may have left, and installs the
// report as the handler of every failure and of memory running out.
void SetUpFailureReporting();

// Writes the two-line report and ends the process with exit code 1.
[[noreturn]] void ReportFailure(const Exception& Failure, const void* Location);

// A console window hidden while the box is up is shown again by the report, so that a failure
// never takes the user's console away.
void NoteConsoleHidden(platform::HWND Window);
void NoteConsoleShown();

// Exactly as the report writes it; exposed so that tests can check the text apart from a run.
int FormatFailureReport(char* Out, int Size, const char* KindName, const char* ModuleName,
                        uint32_t Offset, const char* Message);

#endif
