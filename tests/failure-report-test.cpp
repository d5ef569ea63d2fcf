// Failures against the fake: the report's bytes, every channel trouble, memory running out.
#include <gtest/gtest.h>

#include <string.h>

#include "fake-platform.h"
#include "run/failures.h"

namespace {

std::string ReportFor(const char* kind, const std::string& message) {
  return std::string("Exception ") + kind + " in module askbox.exe at 00002345.\n" + message + "\r\n";
}

class FailureReportTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }
};

TEST_F(FailureReportTest, ShortIconListInModeEight) {
  const std::pair<const char*, const char*> cases[] = {
      {"prog text=Hi mode=8 icon=", "List index out of bounds (0)."},
      {"prog text=Hi mode=8", "List index out of bounds (0)."},
      {"prog text=Hi mode=8 icon=x.dll", "List index out of bounds (1)."},
      {"prog text=Hi mode=24 icon=\"  x.dll  \"", "List index out of bounds (1)."},
  };
  for (const auto& c : cases) {
    ResetFake();
    EXPECT_EQ(RunProgram(c.first), 1u) << c.first;
    EXPECT_EQ(Record.written, ReportFor("EStringListError", c.second)) << c.first;
    EXPECT_TRUE(Record.boxes.empty());
  }
  EXPECT_TRUE(EventHappened("LoadLibraryA(x.dll)"));
}

TEST_F(FailureReportTest, ModuleAndOffsetComeFromTheRegionOfTheLocation) {
  Script.offsetInModule = 0xC91A;
  Script.programPath = "C:\\dir\\demo.exe";
  RunProgram("prog text=Hi mode=8 icon=x.dll");
  EXPECT_EQ(Record.written,
            "Exception EStringListError in module demo.exe at 0000C91A.\nList index out of bounds (1).\r\n");
  uintptr_t base = reinterpret_cast<uintptr_t>(Record.queriedLocation) - 0xC91A;
  char event[64];
  snprintf(event, sizeof event, "GetModuleFileNameA(%lx,261)", static_cast<unsigned long>(base));
  EXPECT_TRUE(EventHappened(event));
}

TEST_F(FailureReportTest, UncommittedRegionFallsBackToTheProgramFile) {
  Script.regionCommitted = false;
  RunProgram("prog text=Hi mode=8 icon=");
  char offset[16];
  snprintf(offset, sizeof offset, "%08lX",
           static_cast<unsigned long>(reinterpret_cast<uintptr_t>(Record.queriedLocation) - 0x1000) &
               0xFFFFFFFFul);
  EXPECT_EQ(Record.written, std::string("Exception EStringListError in module askbox.exe at ") + offset +
                                ".\nList index out of bounds (0).\r\n");
}

TEST_F(FailureReportTest, ReportTextRules) {
  char out[1025];
  struct Case {
    const char* module;
    uint32_t offset;
    const char* message;
    std::string expected;
  } cases[] = {
      {"a.exe", 0, "Done.", "Exception K in module a.exe at 00000000.\nDone."},
      {"a.exe", 0xFFFFFFFF, "x", "Exception K in module a.exe at FFFFFFFF.\nx."},
      {"a.exe", 0xABC, "", "Exception K in module a.exe at 00000ABC.\n"},
  };
  for (const Case& c : cases) {
    int length = FormatFailureReport(out, 1024, "K", c.module, c.offset, c.message);
    EXPECT_EQ(std::string(out, length), c.expected);
  }
  std::string longModule(2000, 'm');
  EXPECT_EQ(FormatFailureReport(out, 1024, "K", longModule.c_str(), 1, "x"), 1024);
}

TEST_F(FailureReportTest, ModuleNameIsCutAtTheLastRealBackslash) {
  UseDoubleByteCodePage();
  Script.programPath = "C:\\dir\\\x95\\x.exe";
  RunProgram("prog text=Hi mode=8 icon=");
  EXPECT_EQ(Record.written.substr(0, 40), "Exception EStringListError in module \x95\\x");
  ResetFake();
  Script.programPath = "C:\\" + std::string(300, 'n');
  RunProgram("prog text=Hi mode=8 icon=");
  EXPECT_NE(Record.written.find(" in module " + std::string(257, 'n') + " at "), std::string::npos);
}

TEST_F(FailureReportTest, ModuleNameFollowsThePlatformsSeparators) {
  const struct {
    bool slashSeparates;
    const char* path;
    const char* shown;
  } cases[] = {
      {false, "Z:/opt/dir/ask.exe", "Z:/opt/dir/ask.exe"},
      {true, "/home/me/bin/askbox", "askbox"},
      {true, "/home/me\\bin/ask\\box", "box"},
  };
  for (const auto& c : cases) {
    ResetFake();
    Script.slashSeparatesDirectories = c.slashSeparates;
    Script.programPath = c.path;
    RunProgram("prog text=Hi mode=8 icon=");
    EXPECT_EQ(Record.written.substr(0, 37 + strlen(c.shown) + 4),
              std::string("Exception EStringListError in module ") + c.shown + " at ")
        << c.path;
  }
}

TEST_F(FailureReportTest, WriteFailureOnAConsoleIsTheFailingLine) {
  Script.stdoutType = FILE_TYPE_CHAR;
  Script.failWriteNumber = 3;
  Script.writeErrorCode = 112;
  EXPECT_EQ(RunProgram("prog caption=x"), 1u);
  std::string usage = ExpectedUsage("askbox.exe");
  size_t secondLineEnd = usage.find("\r\n", usage.find("\r\n") + 2) + 2;
  EXPECT_EQ(Record.written.substr(0, secondLineEnd), usage.substr(0, secondLineEnd));
  EXPECT_EQ(Record.written.substr(secondLineEnd), ReportFor("EInOutError", "I/O error 112."));
}

TEST_F(FailureReportTest, WriteFailureOnAFileIsTheLineDuringWhichABlockFilled) {
  Script.stdoutType = FILE_TYPE_DISK;
  Script.failWriteNumber = 1;
  Script.writeErrorCode = ERROR_ACCESS_DENIED;
  EXPECT_EQ(RunProgram("prog caption=x"), 1u);
  // The first block fills during the third line; its 128 bytes and the rest of that piece are
  // lost, the report follows what the third line still held.
  std::string usage = ExpectedUsage("askbox.exe");
  size_t third = 0;
  for (int i = 0; i < 3; ++i) third = usage.find("\r\n", third) + 2;
  ASSERT_GT(third, 128u);
  EXPECT_EQ(Record.written, "\r\n" + ReportFor("EInOutError", "File access denied."));
}

TEST_F(FailureReportTest, UnopenableOutputEndsAfterTheFirstLine) {
  Script.stdoutInvalid = true;
  EXPECT_EQ(RunProgram("prog"), 1u);
  EXPECT_EQ(Record.written, "");
  EXPECT_TRUE(Record.writeSizes.empty());
  EXPECT_FALSE(EventHappened("ReadFile(128)"));
  EXPECT_EQ(EventIndex("ExitProcess(1)") >= 0, true);
}

struct PauseFailureCase {
  bool stdinInvalid;
  DWORD endCode;
  uint32_t exitCode;
  const char* message;
};

TEST_F(FailureReportTest, PauseReadTroubles) {
  const PauseFailureCase cases[] = {
      {true, 0, 1, "I/O error 104."},
      {false, 6, 1, "I/O error 6."},
      {false, 5, 1, "File access denied."},
      {false, ERROR_BROKEN_PIPE, 8, nullptr},
  };
  const std::string shown = ExpectedUsage("askbox.exe") + "Press enter to return...\r\n";
  for (const PauseFailureCase& c : cases) {
    ResetFake();
    Script.stdinInvalid = c.stdinInvalid;
    Script.readEndCode = c.endCode;
    EXPECT_EQ(RunProgram("prog"), c.exitCode);
    EXPECT_EQ(Record.written, c.message == nullptr ? shown : shown + ReportFor("EInOutError", c.message));
  }
}

// A failure replaces the path's own exit code, and an unwritable report is not reported again.
TEST_F(FailureReportTest, UnwritableLinesEndWithOne) {
  const char* lines[] = {"prog caption=x", "prog text=Hi oops", "prog text=Hi"};
  for (const char* line : lines) {
    for (DWORD type : {FILE_TYPE_CHAR, FILE_TYPE_DISK}) {
      // On a file, only the usage text fills a block before the end.
      if (type == FILE_TYPE_DISK && std::string(line) != "prog caption=x") continue;
      ResetFake();
      Script.boxResult = 0;
      Script.stdoutType = type;
      Script.failWriteNumber = 1;
      Script.failWritesAfter = true;
      EXPECT_EQ(RunProgram(line), 1u) << line;
      EXPECT_EQ(Record.written, "");
      long reports = 0;
      for (const std::string& event : Record.events) reports += event == "VirtualQuery";
      EXPECT_EQ(reports, 1) << line;
    }
  }
  // On a file a short line only fails at the final write, which reports nothing.
  ResetFake();
  Script.failWriteNumber = 1;
  EXPECT_EQ(RunProgram("prog text=Hi oops"), 9u);
  ResetFake();
  Script.failWriteNumber = 1;
  Script.boxResult = 0;
  EXPECT_EQ(RunProgram("prog text=Hi"), 0u);
}

// A console hidden for the box comes back before the report, or the user would lose it.
TEST_F(FailureReportTest, HiddenConsoleIsShownAgainBeforeTheReport) {
  Script.boxResult = 0;
  Script.stdoutType = FILE_TYPE_CHAR;
  Script.failWriteNumber = 1;
  EXPECT_EQ(RunProgram("prog text=Hi mode=1"), 1u);
  long shown = EventIndex("ShowWindow(c0,5)");
  EXPECT_GE(shown, 0);
  long count = 0;
  for (const std::string& event : Record.events) count += event == "ShowWindow(c0,5)";
  EXPECT_EQ(count, 1);

  // Memory running out between hiding and showing.
  for (long n = 1; n < 200; ++n) {
    ResetFake();
    Script.failAllocationNumber = n;
    uint32_t code = RunProgram("prog text=Hi mode=1");
    long hide = EventIndex("ShowWindow(c0,0)");
    if (code != 1 || hide < 0) continue;
    long box = EventIndex("MessageBoxIndirectA");
    long show = EventIndex("ShowWindow(c0,5)");
    EXPECT_GT(show, hide) << n;
    EXPECT_TRUE(box < 0 || show > box) << n;
  }
}

// Refusing each allocation of a typical run in turn: every one ends in the report, none crashes.
TEST_F(FailureReportTest, OutOfMemoryAtEveryAllocation) {
  const char* line = "prog text=\"Disk is full\" caption=Backup icon=16 button=5 mode=24 icon2=x";
  const char* lines[] = {line, "prog text=Hi mode=8 icon=lib.dll,NAME", "prog", "prog text=Hi bad"};
  for (const char* commandLine : lines) {
    long total = 0;
    for (long n = 1;; ++n) {
      ResetFake();
      Script.boxResult = IDRETRY;
      Script.input = "\r\n";
      Script.failAllocationNumber = n;
      uint32_t code = RunProgram(commandLine);
      if (Record.allocations < n) {
        total = n - 1;
        break;
      }
      ASSERT_EQ(code, 1u) << commandLine << " allocation " << n;
      const std::string tail = " at 00002345.\nOut of memory.\r\n";
      ASSERT_GE(Record.written.size(), tail.size());
      EXPECT_EQ(Record.written.substr(Record.written.size() - tail.size()), tail)
          << commandLine << " allocation " << n;
      EXPECT_NE(Record.written.find("Exception EOutOfMemory in module askbox.exe at 00002345.\n"),
                std::string::npos);
    }
    EXPECT_GT(total, 2) << commandLine;
  }
}

}  // namespace
