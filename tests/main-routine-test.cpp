// The main routine against the recording fake: the box request, captions, exit codes, the bytes written.
#include <gtest/gtest.h>

#include "fake-platform.h"
#include "run/main-routine.h"

namespace {

const HWND CONSOLE = reinterpret_cast<HWND>(0xC0);

class MainRoutineTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }
  const RecordedBox& OnlyBox() {
    EXPECT_EQ(Record.Boxes.size(), 1u);
    static RecordedBox None{};
    return Record.Boxes.empty() ? None : Record.Boxes[0];
  }
};

TEST_F(MainRoutineTest, TypicalRunFillsTheWholeRequest) {
  Script.BoxResult = IDRETRY;
  EXPECT_EQ(RunProgram("prog text=\"Disk is full\" caption=Backup icon=16 button=5"), 4u);
  const RecordedBox& Box = OnlyBox();
  // The size the platform checks: 40 bytes with 32-bit pointers, 80 with 64-bit ones.
  EXPECT_EQ(Box.Params.cbSize, sizeof(void*) == 4 ? 40u : 80u);
  EXPECT_EQ(Box.Params.hwndOwner, CONSOLE);
  EXPECT_EQ(Box.Params.hInstance, nullptr);
  EXPECT_EQ(Box.Text, "Disk is full");
  EXPECT_EQ(Box.Caption, "Backup");
  EXPECT_EQ(Box.Params.dwStyle, 21u);
  EXPECT_TRUE(Box.IconIsInteger);
  EXPECT_EQ(Box.IconNumber, 0u);
  EXPECT_EQ(Box.Params.dwContextHelpId, 0u);
  EXPECT_EQ(Box.Params.lpfnMsgBoxCallback, nullptr);
  EXPECT_EQ(Box.Params.dwLanguageId, 0u);
  EXPECT_EQ(Record.Written, "");
  EXPECT_TRUE(EventHappened("GetConsoleTitleA(1025)"));
  EXPECT_FALSE(EventHappened("GetStdHandle(-11)"));  // a run that prints nothing never opens it
}

struct ModeCase {
  const char* Arguments;
  DWORD MajorVersion;
  bool Owned;
  DWORD Style;
  bool HasModule;
  bool IconIsInteger;
  uintptr_t IconNumber;
  const char* IconName;
  const char* Library;
};

TEST_F(MainRoutineTest, ModesShapeTheRequest) {
  const ModeCase Cases[] = {
      {"mode=2", 6, false, 0, false, true, 0, "", nullptr},
      {"mode=4", 6, false, 0x00200000, false, true, 0, "", nullptr},
      {"mode=4", 4, false, 0x00200000, false, true, 0, "", nullptr},
      {"mode=4", 3, false, 0x00040000, false, true, 0, "", nullptr},
      {"mode=4 button=1", 0, false, 0x00040001, false, true, 0, "", nullptr},
      {"mode=16", 6, true, 0, false, true, 0, "", nullptr},
      {"mode=xyz icon=48", 6, true, 48, false, true, 0, "", nullptr},
      {"mode=8 icon=lib.dll,APPICON", 6, true, 0x80, true, false, 0, "APPICON", "lib.dll"},
      {"mode=24 icon=lib.dll,3", 6, true, 0x80, true, true, 3, "", "lib.dll"},
      {"mode=24 icon=lib.dll,abc", 6, true, 0x80, true, true, 1, "", "lib.dll"},
      {"mode=24 icon=\"C:\\Program Files\\lib.dll,3\"", 6, true, 0x80, true, true, 1, "", "C:\\Program"},
      {"mode=24 icon=lib.dll,0", 6, true, 0x80, true, true, 0, "", "lib.dll"},
      {"mode=24 icon=lib.dll,65535", 6, true, 0x80, true, true, 65535, "", "lib.dll"},
      {"mode=24 icon=lib.dll,65536", 6, true, 0x80, true, true, 1, "", "lib.dll"},
      {"mode=24 icon=lib.dll,-5", 6, true, 0x80, true, true, 1, "", "lib.dll"},
      {"mode=8 icon=,,", 6, true, 0x80, true, false, 0, "", ""},
      {"mode=$1C icon=a,b button=4", 6, false, 0x00200084, true, true, 1, "", "a"},
      {"mode=-1 icon=a,b", 6, false, 0x00200080, true, true, 1, "", "a"},
  };
  for (const ModeCase& C : Cases) {
    ResetFake();
    Script.MajorVersion = C.MajorVersion;
    Script.BoxResult = IDOK;
    EXPECT_EQ(RunProgram(std::string("prog text=Hi ") + C.Arguments), 1u) << C.Arguments;
    const RecordedBox& Box = OnlyBox();
    EXPECT_EQ(Box.Params.hwndOwner, C.Owned ? CONSOLE : nullptr) << C.Arguments;
    EXPECT_EQ(Box.Params.dwStyle, C.Style) << C.Arguments;
    EXPECT_EQ(Box.Params.hInstance, C.HasModule ? Script.LibraryHandle : nullptr) << C.Arguments;
    EXPECT_EQ(Box.IconIsInteger, C.IconIsInteger) << C.Arguments;
    EXPECT_EQ(Box.IconNumber, C.IconNumber) << C.Arguments;
    EXPECT_EQ(Box.IconName, C.IconName) << C.Arguments;
    if (C.Library != nullptr)
      EXPECT_TRUE(EventHappened(std::string("LoadLibraryA(") + C.Library + ")")) << C.Arguments;
    else
      EXPECT_EQ(Box.Params.lpszIcon, nullptr) << C.Arguments;
    EXPECT_EQ(EventHappened("GetVersionExA(148)"), std::string(C.Arguments).find("mode=4") == 0 ||
                                                       std::string(C.Arguments).find("$1C") != std::string::npos ||
                                                       std::string(C.Arguments).find("-1") != std::string::npos)
        << C.Arguments;
  }
}

TEST_F(MainRoutineTest, FailedVersionQueryCountsAsAnOldSystem) {
  Script.VersionFails = true;
  RunProgram("prog text=Hi mode=4");
  EXPECT_EQ(OnlyBox().Params.dwStyle, 0x00040000u);
}

TEST_F(MainRoutineTest, HidingTheConsoleWrapsTheBox) {
  RunProgram("prog text=Hi mode=1");
  long Hide = EventIndex("ShowWindow(c0,0)");
  long Box = EventIndex("MessageBoxIndirectA");
  long Show = EventIndex("ShowWindow(c0,5)");
  ASSERT_GE(Hide, 0);
  EXPECT_LT(Hide, Box);
  EXPECT_LT(Box, Show);
  EXPECT_EQ(OnlyBox().Params.hwndOwner, CONSOLE);
}

struct CaptionCase {
  const char* Arguments;
  const char* Title;
  const char* Caption;
};

TEST_F(MainRoutineTest, CaptionFallsBackToTheConsoleTitle) {
  const CaptionCase Cases[] = {
      {"text=Hi", "My Batch", "My Batch"},
      {"text=Hi", "", ""},
      {"text=Hi caption=", "", ""},
      {"text=Hi caption=", "T", "T"},
      {"text=Hi caption= caption=X", "", "X"},
      {"text=Hi caption= caption=X", "Title", "Title"},
      {"text=Hi CAPTION=Given", "Title", "Given"},
      {"text=Hi caption=A caption=B", "Title", "A"},
  };
  for (const CaptionCase& C : Cases) {
    ResetFake();
    Script.ConsoleTitle = C.Title;
    RunProgram(std::string("prog ") + C.Arguments);
    EXPECT_EQ(OnlyBox().Caption, C.Caption) << C.Arguments << " / " << C.Title;
  }
  ResetFake();
  Script.TitleFails = true;
  RunProgram("prog text=Hi");
  EXPECT_EQ(OnlyBox().Caption, "");
}

struct OptionCase {
  const char* Arguments;
  const char* Text;
  DWORD Style;
};

TEST_F(MainRoutineTest, OptionsAreMatchedWithoutCaseAndTheFirstWins) {
  const OptionCase Cases[] = {
      {"TEXT=Hi", "Hi", 0},
      {"text=A text=B", "A", 0},
      {"text=Hi foo=bar =x", "Hi", 0},
      {"text=a=b", "a=b", 0},
      {"text=Hi icon=48 button=4", "Hi", 0x34},
      {"text=Hi button=4 icon=32", "Hi", 0x24},
      {"text=Hi icon=16 button=16", "Hi", 16},
      {"text=Hi icon=0x1000 button=$100", "Hi", 0x1100},
      {"\"text=Hello world\"", "Hello world", 0},
      {"text=\"Hello world\"", "Hello world", 0},
  };
  for (const OptionCase& C : Cases) {
    ResetFake();
    RunProgram(std::string("prog ") + C.Arguments);
    EXPECT_EQ(OnlyBox().Text, C.Text) << C.Arguments;
    EXPECT_EQ(OnlyBox().Params.dwStyle, C.Style) << C.Arguments;
  }
}

TEST_F(MainRoutineTest, ButtonIdentifierBecomesTheExitCode) {
  for (int Result : {1, 2, 3, 4, 5, 6, 7, 10, 11, 32000}) {
    ResetFake();
    Script.BoxResult = Result;
    EXPECT_EQ(RunProgram("prog text=Hi"), static_cast<uint32_t>(Result));
    EXPECT_EQ(Record.Written, "");
  }
}

// The limit reaches the platform before the box, read as the other numbers are; no limit, no call.
TEST_F(MainRoutineTest, TimeoutIsHandedToThePlatformBeforeTheBox) {
  const struct {
    const char* Arguments;
    UINT Seconds;
  } Cases[] = {
      {"", 0}, {"timeout=0", 0}, {"timeout=-5", 0}, {"timeout=soon", 0},
      {"timeout=9", 9}, {"TIMEOUT=0x10", 16}, {"timeout=$A timeout=3", 10}, {"timeout=2147483647", 2147483647},
  };
  for (const auto& C : Cases) {
    ResetFake();
    Script.BoxResult = IDNO;
    EXPECT_EQ(RunProgram(std::string("prog text=Hi button=4 ") + C.Arguments), 7u) << C.Arguments;
    EXPECT_EQ(Record.Timeout, C.Seconds) << C.Arguments;
    long Set = EventIndex("SetMessageBoxTimeout(" + std::to_string(C.Seconds) + ")");
    EXPECT_EQ(Set >= 0, C.Seconds != 0) << C.Arguments;
    EXPECT_LT(Set, EventIndex("MessageBoxIndirectA")) << C.Arguments;
    EXPECT_EQ(Record.Written, "") << C.Arguments;
  }
}

TEST_F(MainRoutineTest, FailedBoxPrintsItsLineAndEndsWithZero) {
  Script.BoxResult = 0;
  EXPECT_EQ(RunProgram("prog text=Hi"), 0u);
  EXPECT_EQ(Record.Written, "MessageBox Failed\r\n");
}

TEST_F(MainRoutineTest, LongTextsAreCutToTheirBuffers) {
  std::string Text(2000, 't');
  std::string Caption(1500, 'c');
  RunProgram("prog \"text=" + Text + "\" \"caption=" + Caption + "\"");
  EXPECT_EQ(OnlyBox().Text, std::string(1028, 't'));
  EXPECT_EQ(OnlyBox().Caption, std::string(1024, 'c'));
  ResetFake();
  std::string Title(1100, 'T');
  Script.ConsoleTitle = Title;
  RunProgram("prog text=Hi");
  EXPECT_EQ(OnlyBox().Caption, std::string(1024, 'T'));
}

TEST_F(MainRoutineTest, CutNeverSplitsADoubleByteCharacter) {
  UseDoubleByteCodePage();
  std::string Long = "x";  // puts every lead byte at an odd position, so 1028 falls inside one
  for (int I = 0; I < 600; ++I) Long += "\x81\x40";
  RunProgram("prog \"text=" + Long + "\"");
  EXPECT_EQ(OnlyBox().Text, Long.substr(0, 1027));
}

struct BadArgumentCase {
  const char* Line;
  const char* Written;
};

TEST_F(MainRoutineTest, ArgumentWithoutEqualsEndsWithNine) {
  const BadArgumentCase Cases[] = {
      {"prog text=Hi oops", "Bad parameter option or unquoted text:oops\r\n"},
      {"prog oops text=Hi", "Bad parameter option or unquoted text:oops\r\n"},
      {"prog a=1 \"two words\" three", "Bad parameter option or unquoted text:two words\r\n"},
  };
  for (const BadArgumentCase& C : Cases) {
    for (DWORD Type : {FILE_TYPE_DISK, FILE_TYPE_CHAR}) {
      ResetFake();
      Script.StdoutType = Type;
      EXPECT_EQ(RunProgram(C.Line), 9u) << C.Line;
      EXPECT_EQ(Record.Written, C.Written) << C.Line;
      EXPECT_TRUE(Record.Boxes.empty());
      EXPECT_EQ(Record.WriteSizes.size(), 1u);
    }
  }
}

TEST_F(MainRoutineTest, UsageWithoutTextHasNoPause) {
  for (const char* Line : {"prog caption=Hi", "prog text=", "prog TEXT= caption=x"}) {
    ResetFake();
    Script.Input = "\r\n";
    EXPECT_EQ(RunProgram(Line), 8u) << Line;
    EXPECT_EQ(Record.Written, ExpectedUsage("askbox.exe")) << Line;
    EXPECT_FALSE(EventHappened("GetStdHandle(-10)"));
    EXPECT_TRUE(Record.Boxes.empty());
  }
}

// On a file or pipe only full blocks go out until the end; on a console every line at once.
TEST_F(MainRoutineTest, UsageReachesAFileInBlocksAndAConsoleByLines) {
  const std::string Expected = ExpectedUsage("askbox.exe") + "Press enter to return...\r\n";
  for (DWORD Type : {FILE_TYPE_DISK, FILE_TYPE_PIPE, FILE_TYPE_CHAR}) {
    ResetFake();
    Script.StdoutType = Type;
    Script.Input = "\r\n";
    EXPECT_EQ(RunProgram("prog"), 8u);
    EXPECT_EQ(Record.Written, Expected);
    long Read = EventIndex("ReadFile(128)");
    ASSERT_GE(Read, 0);
    size_t WritesBeforeRead = 0, BytesBeforeRead = 0;
    for (long I = 0; I < Read; ++I)
      if (Record.Events[I].rfind("WriteFile(", 0) == 0) ++WritesBeforeRead;
    for (size_t I = 0; I < WritesBeforeRead; ++I) BytesBeforeRead += Record.WriteSizes[I];
    if (Type == FILE_TYPE_CHAR) {
      EXPECT_EQ(Record.WriteSizes.size(), 35u);  // one write per line, the prompt shown before the wait
      EXPECT_EQ(BytesBeforeRead, Expected.size());
    } else {
      EXPECT_EQ(BytesBeforeRead, Expected.size() / 128 * 128);
      for (size_t I = 0; I < WritesBeforeRead; ++I) EXPECT_EQ(Record.WriteSizes[I], 128u);
      EXPECT_EQ(Record.WriteSizes.back(), Expected.size() % 128);
    }
  }
}

struct PauseCase {
  std::string Input;
  DWORD EndCode;
  size_t ReadsExpected;
};

TEST_F(MainRoutineTest, PauseEndsAtCarriageReturnOrEndOfInput) {
  const PauseCase Cases[] = {
      {"\r\n", 0, 1},
      {"\n", 0, 2},
      {"", 0, 1},
      {"abc\rdef", 0, 1},
      {"abc\x1A" "def\r\n", 0, 1},
      {"", ERROR_BROKEN_PIPE, 1},
      {std::string(300, 'x') + "\r\n", 0, 3},
      {std::string(127, 'x') + "\r\n", 0, 2},
  };
  for (const PauseCase& C : Cases) {
    ResetFake();
    Script.Input = C.Input;
    Script.ReadEndCode = C.EndCode;
    EXPECT_EQ(RunProgram("prog"), 8u);
    size_t Reads = 0;
    for (const std::string& Event : Record.Events) Reads += Event == "ReadFile(128)";
    EXPECT_EQ(Reads, C.ReadsExpected) << C.Input.size();
  }
}

// The usage line cuts the program path at the last directory separator or colon, the failure
// report's module name at the last directory separator only; the slash is one only on POSIX.
TEST_F(MainRoutineTest, UsageAndReportNameTheProgramFile) {
  const struct {
    bool SlashSeparates;
    std::string Path;
    std::string InUsage;
    std::string InReport;
  } Cases[] = {
      {false, "C:\\Program Files\\Tools\\ask.exe", "ask.exe", "ask.exe"},
      {false, "D:ask.exe", "ask.exe", "D:ask.exe"},
      {false, "", "", ""},
      {false, "dir/ask.exe", "dir/ask.exe", "dir/ask.exe"},
      {true, "/usr/local/bin/askbox", "askbox", "askbox"},
      {true, "/home/me\\bin/ask\\box", "box", "box"},
  };
  for (const auto& C : Cases) {
    ResetFake();
    Script.SlashSeparatesDirectories = C.SlashSeparates;
    Script.ProgramPath = C.Path;
    RunProgram("prog caption=x");
    EXPECT_EQ(Record.Written, ExpectedUsage(C.InUsage)) << C.Path;
    Record.Written.clear();
    RunProgram("prog text=Hi mode=8 icon=");
    EXPECT_EQ(Record.Written.rfind("Exception EStringListError in module " + C.InReport + " at ", 0), 0u)
        << C.Path << ": " << Record.Written;
  }
}

}  // namespace
