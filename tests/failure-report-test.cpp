// Failures against the fake: the report's bytes, every channel trouble, memory running out.
#include <gtest/gtest.h>

#include "fake-platform.h"
#include "run/failures.h"

namespace {

std::string ReportFor(const char* Kind, const std::string& Message) {
  return std::string("Exception ") + Kind + " in module askbox.exe at 00002345.\n" + Message + "\r\n";
}

class FailureReportTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }
};

TEST_F(FailureReportTest, ShortIconListInModeEight) {
  const std::pair<const char*, const char*> Cases[] = {
      {"prog text=Hi mode=8 icon=", "List index out of bounds (0)."},
      {"prog text=Hi mode=8", "List index out of bounds (0)."},
      {"prog text=Hi mode=8 icon=x.dll", "List index out of bounds (1)."},
      {"prog text=Hi mode=24 icon=\"  x.dll  \"", "List index out of bounds (1)."},
  };
  for (const auto& C : Cases) {
    ResetFake();
    EXPECT_EQ(RunProgram(C.first), 1u) << C.first;
    EXPECT_EQ(Record.Written, ReportFor("EStringListError", C.second)) << C.first;
    EXPECT_TRUE(Record.Boxes.empty());
  }
  EXPECT_TRUE(EventHappened("LoadLibraryA(x.dll)"));
}

TEST_F(FailureReportTest, ModuleAndOffsetComeFromTheRegionOfTheLocation) {
  Script.OffsetInModule = 0xC91A;
  Script.ProgramPath = "C:\\dir\\demo.exe";
  RunProgram("prog text=Hi mode=8 icon=x.dll");
  EXPECT_EQ(Record.Written,
            "Exception EStringListError in module demo.exe at 0000C91A.\nList index out of bounds (1).\r\n");
  uintptr_t Base = reinterpret_cast<uintptr_t>(Record.QueriedLocation) - 0xC91A;
  char Event[64];
  snprintf(Event, sizeof Event, "GetModuleFileNameA(%lx,261)", static_cast<unsigned long>(Base));
  EXPECT_TRUE(EventHappened(Event));
}

TEST_F(FailureReportTest, UncommittedRegionFallsBackToTheProgramFile) {
  Script.RegionCommitted = false;
  RunProgram("prog text=Hi mode=8 icon=");
  char Offset[16];
  snprintf(Offset, sizeof Offset, "%08lX",
           static_cast<unsigned long>(reinterpret_cast<uintptr_t>(Record.QueriedLocation) - 0x1000) &
               0xFFFFFFFFul);
  EXPECT_EQ(Record.Written, std::string("Exception EStringListError in module askbox.exe at ") + Offset +
                                ".\nList index out of bounds (0).\r\n");
}

TEST_F(FailureReportTest, ReportTextRules) {
  char Out[1025];
  struct Case {
    const char* Module;
    uint32_t Offset;
    const char* Message;
    std::string Expected;
  } Cases[] = {
      {"a.exe", 0, "Done.", "Exception K in module a.exe at 00000000.\nDone."},
      {"a.exe", 0xFFFFFFFF, "x", "Exception K in module a.exe at FFFFFFFF.\nx."},
      {"a.exe", 0xABC, "", "Exception K in module a.exe at 00000ABC.\n"},
  };
  for (const Case& C : Cases) {
    int Length = FormatFailureReport(Out, 1024, "K", C.Module, C.Offset, C.Message);
    EXPECT_EQ(std::string(Out, Length), C.Expected);
  }
  std::string LongModule(2000, 'm');
  EXPECT_EQ(FormatFailureReport(Out, 1024, "K", LongModule.c_str(), 1, "x"), 1024);
}

TEST_F(FailureReportTest, ModuleNameIsCutAtTheLastRealBackslash) {
  UseDoubleByteCodePage();
  Script.ProgramPath = "C:\\dir\\\x95\\x.exe";
  RunProgram("prog text=Hi mode=8 icon=");
  EXPECT_EQ(Record.Written.substr(0, 40), "Exception EStringListError in module \x95\\x");
  ResetFake();
  Script.ProgramPath = "C:\\" + std::string(300, 'n');
  RunProgram("prog text=Hi mode=8 icon=");
  EXPECT_NE(Record.Written.find(" in module " + std::string(257, 'n') + " at "), std::string::npos);
}

TEST_F(FailureReportTest, WriteFailureOnAConsoleIsTheFailingLine) {
  Script.StdoutType = FILE_TYPE_CHAR;
  Script.FailWriteNumber = 3;
  Script.WriteErrorCode = 112;
  EXPECT_EQ(RunProgram("prog caption=x"), 1u);
  std::string Usage = ExpectedUsage("askbox.exe");
  size_t SecondLineEnd = Usage.find("\r\n", Usage.find("\r\n") + 2) + 2;
  EXPECT_EQ(Record.Written.substr(0, SecondLineEnd), Usage.substr(0, SecondLineEnd));
  EXPECT_EQ(Record.Written.substr(SecondLineEnd), ReportFor("EInOutError", "I/O error 112."));
}

TEST_F(FailureReportTest, WriteFailureOnAFileIsTheLineDuringWhichABlockFilled) {
  Script.StdoutType = FILE_TYPE_DISK;
  Script.FailWriteNumber = 1;
  Script.WriteErrorCode = ERROR_ACCESS_DENIED;
  EXPECT_EQ(RunProgram("prog caption=x"), 1u);
  // The first block fills during the third line; its 128 bytes and the rest of that piece are
  // lost, the report follows what the third line still held.
  std::string Usage = ExpectedUsage("askbox.exe");
  size_t Third = 0;
  for (int I = 0; I < 3; ++I) Third = Usage.find("\r\n", Third) + 2;
  ASSERT_GT(Third, 128u);
  EXPECT_EQ(Record.Written, "\r\n" + ReportFor("EInOutError", "File access denied."));
}

TEST_F(FailureReportTest, UnopenableOutputEndsAfterTheFirstLine) {
  Script.StdoutInvalid = true;
  EXPECT_EQ(RunProgram("prog"), 1u);
  EXPECT_EQ(Record.Written, "");
  EXPECT_TRUE(Record.WriteSizes.empty());
  EXPECT_FALSE(EventHappened("ReadFile(128)"));
  EXPECT_EQ(EventIndex("ExitProcess(1)") >= 0, true);
}

struct PauseFailureCase {
  bool StdinInvalid;
  DWORD EndCode;
  uint32_t ExitCode;
  const char* Message;
};

TEST_F(FailureReportTest, PauseReadTroubles) {
  const PauseFailureCase Cases[] = {
      {true, 0, 1, "I/O error 104."},
      {false, 6, 1, "I/O error 6."},
      {false, 5, 1, "File access denied."},
      {false, ERROR_BROKEN_PIPE, 8, nullptr},
  };
  const std::string Shown = ExpectedUsage("askbox.exe") + "Press enter to return...\r\n";
  for (const PauseFailureCase& C : Cases) {
    ResetFake();
    Script.StdinInvalid = C.StdinInvalid;
    Script.ReadEndCode = C.EndCode;
    EXPECT_EQ(RunProgram("prog"), C.ExitCode);
    EXPECT_EQ(Record.Written, C.Message == nullptr ? Shown : Shown + ReportFor("EInOutError", C.Message));
  }
}

// A failure replaces the path's own exit code, and an unwritable report is not reported again.
TEST_F(FailureReportTest, UnwritableLinesEndWithOne) {
  const char* Lines[] = {"prog caption=x", "prog text=Hi oops", "prog text=Hi"};
  for (const char* Line : Lines) {
    for (DWORD Type : {FILE_TYPE_CHAR, FILE_TYPE_DISK}) {
      // On a file, only the usage text fills a block before the end.
      if (Type == FILE_TYPE_DISK && std::string(Line) != "prog caption=x") continue;
      ResetFake();
      Script.BoxResult = 0;
      Script.StdoutType = Type;
      Script.FailWriteNumber = 1;
      Script.FailWritesAfter = true;
      EXPECT_EQ(RunProgram(Line), 1u) << Line;
      EXPECT_EQ(Record.Written, "");
      long Reports = 0;
      for (const std::string& Event : Record.Events) Reports += Event == "VirtualQuery";
      EXPECT_EQ(Reports, 1) << Line;
    }
  }
  // On a file a short line only fails at the final write, which reports nothing.
  ResetFake();
  Script.FailWriteNumber = 1;
  EXPECT_EQ(RunProgram("prog text=Hi oops"), 9u);
  ResetFake();
  Script.FailWriteNumber = 1;
  Script.BoxResult = 0;
  EXPECT_EQ(RunProgram("prog text=Hi"), 0u);
}

// A console hidden for the box comes back before the report, or the user would lose it.
TEST_F(FailureReportTest, HiddenConsoleIsShownAgainBeforeTheReport) {
  Script.BoxResult = 0;
  Script.StdoutType = FILE_TYPE_CHAR;
  Script.FailWriteNumber = 1;
  EXPECT_EQ(RunProgram("prog text=Hi mode=1"), 1u);
  long Shown = EventIndex("ShowWindow(c0,5)");
  EXPECT_GE(Shown, 0);
  long Count = 0;
  for (const std::string& Event : Record.Events) Count += Event == "ShowWindow(c0,5)";
  EXPECT_EQ(Count, 1);

  // Memory running out between hiding and showing.
  for (long N = 1; N < 200; ++N) {
    ResetFake();
    Script.FailAllocationNumber = N;
    uint32_t Code = RunProgram("prog text=Hi mode=1");
    long Hide = EventIndex("ShowWindow(c0,0)");
    if (Code != 1 || Hide < 0) continue;
    long Box = EventIndex("MessageBoxIndirectA");
    long Show = EventIndex("ShowWindow(c0,5)");
    EXPECT_GT(Show, Hide) << N;
    EXPECT_TRUE(Box < 0 || Show > Box) << N;
  }
}

// Refusing each allocation of a typical run in turn: every one ends in the report, none crashes.
TEST_F(FailureReportTest, OutOfMemoryAtEveryAllocation) {
  const char* Line = "prog text=\"Disk is full\" caption=Backup icon=16 button=5 mode=24 icon2=x";
  const char* Lines[] = {Line, "prog text=Hi mode=8 icon=lib.dll,NAME", "prog", "prog text=Hi bad"};
  for (const char* CommandLine : Lines) {
    long Total = 0;
    for (long N = 1;; ++N) {
      ResetFake();
      Script.BoxResult = IDRETRY;
      Script.Input = "\r\n";
      Script.FailAllocationNumber = N;
      uint32_t Code = RunProgram(CommandLine);
      if (Record.Allocations < N) {
        Total = N - 1;
        break;
      }
      ASSERT_EQ(Code, 1u) << CommandLine << " allocation " << N;
      const std::string Tail = " at 00002345.\nOut of memory.\r\n";
      ASSERT_GE(Record.Written.size(), Tail.size());
      EXPECT_EQ(Record.Written.substr(Record.Written.size() - Tail.size()), Tail)
          << CommandLine << " allocation " << N;
      EXPECT_NE(Record.Written.find("Exception EOutOfMemory in module askbox.exe at 00002345.\n"),
                std::string::npos);
    }
    EXPECT_GT(Total, 2) << CommandLine;
  }
}

}  // namespace
