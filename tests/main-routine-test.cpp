// The main routine against the recording fake: the box request, captions, exit codes, the bytes written.
#include <gtest/gtest.h>

#include "fake-platform.h"
#include "run/main-routine.h"

namespace {

const HWND CONSOLE = reinterpret_cast<HWND>(0xC0);

class MainRoutineTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }
  const RecordedBox& Box() {
    EXPECT_EQ(Record.boxes.size(), 1u);
    static RecordedBox none{};
    return Record.boxes.empty() ? none : Record.boxes[0];
  }
};

TEST_F(MainRoutineTest, TypicalRunFillsTheWholeRequest) {
  Script.boxResult = IDRETRY;
  EXPECT_EQ(RunProgram("prog text=\"Disk is full\" caption=Backup icon=16 button=5"), 4u);
  const RecordedBox& box = Box();
  // The size the platform checks: 40 bytes with 32-bit pointers, 80 with 64-bit ones.
  EXPECT_EQ(box.params.cbSize, sizeof(void*) == 4 ? 40u : 80u);
  EXPECT_EQ(box.params.hwndOwner, CONSOLE);
  EXPECT_EQ(box.params.hInstance, nullptr);
  EXPECT_EQ(box.text, "Disk is full");
  EXPECT_EQ(box.caption, "Backup");
  EXPECT_EQ(box.params.dwStyle, 21u);
  EXPECT_TRUE(box.iconIsInteger);
  EXPECT_EQ(box.iconNumber, 0u);
  EXPECT_EQ(box.params.dwContextHelpId, 0u);
  EXPECT_EQ(box.params.lpfnMsgBoxCallback, nullptr);
  EXPECT_EQ(box.params.dwLanguageId, 0u);
  EXPECT_EQ(Record.written, "");
  EXPECT_TRUE(EventHappened("GetConsoleTitleA(1025)"));
  EXPECT_FALSE(EventHappened("GetStdHandle(-11)"));  // a run that prints nothing never opens it
}

struct ModeCase {
  const char* arguments;
  DWORD majorVersion;
  bool owned;
  DWORD style;
  bool hasModule;
  bool iconIsInteger;
  uintptr_t iconNumber;
  const char* iconName;
  const char* library;
};

TEST_F(MainRoutineTest, ModesShapeTheRequest) {
  const ModeCase cases[] = {
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
  for (const ModeCase& c : cases) {
    ResetFake();
    Script.majorVersion = c.majorVersion;
    Script.boxResult = IDOK;
    EXPECT_EQ(RunProgram(std::string("prog text=Hi ") + c.arguments), 1u) << c.arguments;
    const RecordedBox& box = Box();
    EXPECT_EQ(box.params.hwndOwner, c.owned ? CONSOLE : nullptr) << c.arguments;
    EXPECT_EQ(box.params.dwStyle, c.style) << c.arguments;
    EXPECT_EQ(box.params.hInstance, c.hasModule ? Script.libraryHandle : nullptr) << c.arguments;
    EXPECT_EQ(box.iconIsInteger, c.iconIsInteger) << c.arguments;
    EXPECT_EQ(box.iconNumber, c.iconNumber) << c.arguments;
    EXPECT_EQ(box.iconName, c.iconName) << c.arguments;
    if (c.library != nullptr)
      EXPECT_TRUE(EventHappened(std::string("LoadLibraryA(") + c.library + ")")) << c.arguments;
    else
      EXPECT_EQ(box.params.lpszIcon, nullptr) << c.arguments;
    EXPECT_EQ(EventHappened("GetVersionExA(148)"), std::string(c.arguments).find("mode=4") == 0 ||
                                                       std::string(c.arguments).find("$1C") != std::string::npos ||
                                                       std::string(c.arguments).find("-1") != std::string::npos)
        << c.arguments;
  }
}

TEST_F(MainRoutineTest, FailedVersionQueryCountsAsAnOldSystem) {
  Script.versionFails = true;
  RunProgram("prog text=Hi mode=4");
  EXPECT_EQ(Box().params.dwStyle, 0x00040000u);
}

TEST_F(MainRoutineTest, HidingTheConsoleWrapsTheBox) {
  RunProgram("prog text=Hi mode=1");
  long hide = EventIndex("ShowWindow(c0,0)");
  long box = EventIndex("MessageBoxIndirectA");
  long show = EventIndex("ShowWindow(c0,5)");
  ASSERT_GE(hide, 0);
  EXPECT_LT(hide, box);
  EXPECT_LT(box, show);
  EXPECT_EQ(Box().params.hwndOwner, CONSOLE);
}

struct CaptionCase {
  const char* arguments;
  const char* title;
  const char* caption;
};

TEST_F(MainRoutineTest, CaptionFallsBackToTheConsoleTitle) {
  const CaptionCase cases[] = {
      {"text=Hi", "My Batch", "My Batch"},
      {"text=Hi", "", ""},
      {"text=Hi caption=", "", ""},
      {"text=Hi caption=", "T", "T"},
      {"text=Hi caption= caption=X", "", "X"},
      {"text=Hi caption= caption=X", "Title", "Title"},
      {"text=Hi CAPTION=Given", "Title", "Given"},
      {"text=Hi caption=A caption=B", "Title", "A"},
  };
  for (const CaptionCase& c : cases) {
    ResetFake();
    Script.consoleTitle = c.title;
    RunProgram(std::string("prog ") + c.arguments);
    EXPECT_EQ(Box().caption, c.caption) << c.arguments << " / " << c.title;
  }
  ResetFake();
  Script.titleFails = true;
  RunProgram("prog text=Hi");
  EXPECT_EQ(Box().caption, "");
}

struct OptionCase {
  const char* arguments;
  const char* text;
  DWORD style;
};

TEST_F(MainRoutineTest, OptionsAreMatchedWithoutCaseAndTheFirstWins) {
  const OptionCase cases[] = {
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
  for (const OptionCase& c : cases) {
    ResetFake();
    RunProgram(std::string("prog ") + c.arguments);
    EXPECT_EQ(Box().text, c.text) << c.arguments;
    EXPECT_EQ(Box().params.dwStyle, c.style) << c.arguments;
  }
}

TEST_F(MainRoutineTest, ButtonIdentifierBecomesTheExitCode) {
  for (int result : {1, 2, 3, 4, 5, 6, 7, 10, 11, 32000}) {
    ResetFake();
    Script.boxResult = result;
    EXPECT_EQ(RunProgram("prog text=Hi"), static_cast<uint32_t>(result));
    EXPECT_EQ(Record.written, "");
  }
}

TEST_F(MainRoutineTest, FailedBoxPrintsItsLineAndEndsWithZero) {
  Script.boxResult = 0;
  EXPECT_EQ(RunProgram("prog text=Hi"), 0u);
  EXPECT_EQ(Record.written, "MessageBox Failed\r\n");
}

TEST_F(MainRoutineTest, LongTextsAreCutToTheirBuffers) {
  std::string text(2000, 't');
  std::string caption(1500, 'c');
  RunProgram("prog \"text=" + text + "\" \"caption=" + caption + "\"");
  EXPECT_EQ(Box().text, std::string(1028, 't'));
  EXPECT_EQ(Box().caption, std::string(1024, 'c'));
  ResetFake();
  std::string title(1100, 'T');
  Script.consoleTitle = title;
  RunProgram("prog text=Hi");
  EXPECT_EQ(Box().caption, std::string(1024, 'T'));
}

TEST_F(MainRoutineTest, CutNeverSplitsADoubleByteCharacter) {
  UseDoubleByteCodePage();
  std::string text = "x";  // puts every lead byte at an odd position, so 1028 falls inside one
  for (int i = 0; i < 600; ++i) text += "\x81\x40";
  RunProgram("prog \"text=" + text + "\"");
  EXPECT_EQ(Box().text, text.substr(0, 1027));
}

struct BadArgumentCase {
  const char* line;
  const char* written;
};

TEST_F(MainRoutineTest, ArgumentWithoutEqualsEndsWithNine) {
  const BadArgumentCase cases[] = {
      {"prog text=Hi oops", "Bad parameter option or unquoted text:oops\r\n"},
      {"prog oops text=Hi", "Bad parameter option or unquoted text:oops\r\n"},
      {"prog a=1 \"two words\" three", "Bad parameter option or unquoted text:two words\r\n"},
  };
  for (const BadArgumentCase& c : cases) {
    for (DWORD type : {FILE_TYPE_DISK, FILE_TYPE_CHAR}) {
      ResetFake();
      Script.stdoutType = type;
      EXPECT_EQ(RunProgram(c.line), 9u) << c.line;
      EXPECT_EQ(Record.written, c.written) << c.line;
      EXPECT_TRUE(Record.boxes.empty());
      EXPECT_EQ(Record.writeSizes.size(), 1u);
    }
  }
}

TEST_F(MainRoutineTest, UsageWithoutTextHasNoPause) {
  for (const char* line : {"prog caption=Hi", "prog text=", "prog TEXT= caption=x"}) {
    ResetFake();
    Script.input = "\r\n";
    EXPECT_EQ(RunProgram(line), 8u) << line;
    EXPECT_EQ(Record.written, ExpectedUsage("askbox.exe")) << line;
    EXPECT_FALSE(EventHappened("GetStdHandle(-10)"));
    EXPECT_TRUE(Record.boxes.empty());
  }
}

// On a file or pipe only full blocks go out until the end; on a console every line at once.
TEST_F(MainRoutineTest, UsageReachesAFileInBlocksAndAConsoleByLines) {
  const std::string expected = ExpectedUsage("askbox.exe") + "Press enter to return...\r\n";
  for (DWORD type : {FILE_TYPE_DISK, FILE_TYPE_PIPE, FILE_TYPE_CHAR}) {
    ResetFake();
    Script.stdoutType = type;
    Script.input = "\r\n";
    EXPECT_EQ(RunProgram("prog"), 8u);
    EXPECT_EQ(Record.written, expected);
    long read = EventIndex("ReadFile(128)");
    ASSERT_GE(read, 0);
    size_t writesBeforeRead = 0, bytesBeforeRead = 0;
    for (long i = 0; i < read; ++i)
      if (Record.events[i].rfind("WriteFile(", 0) == 0) ++writesBeforeRead;
    for (size_t i = 0; i < writesBeforeRead; ++i) bytesBeforeRead += Record.writeSizes[i];
    if (type == FILE_TYPE_CHAR) {
      EXPECT_EQ(Record.writeSizes.size(), 35u);  // one write per line, the prompt shown before the wait
      EXPECT_EQ(bytesBeforeRead, expected.size());
    } else {
      EXPECT_EQ(bytesBeforeRead, expected.size() / 128 * 128);
      for (size_t i = 0; i < writesBeforeRead; ++i) EXPECT_EQ(Record.writeSizes[i], 128u);
      EXPECT_EQ(Record.writeSizes.back(), expected.size() % 128);
    }
  }
}

struct PauseCase {
  std::string input;
  DWORD endCode;
  size_t readsExpected;
};

TEST_F(MainRoutineTest, PauseEndsAtCarriageReturnOrEndOfInput) {
  const PauseCase cases[] = {
      {"\r\n", 0, 1},
      {"\n", 0, 2},
      {"", 0, 1},
      {"abc\rdef", 0, 1},
      {"abc\x1A" "def\r\n", 0, 1},
      {"", ERROR_BROKEN_PIPE, 1},
      {std::string(300, 'x') + "\r\n", 0, 3},
      {std::string(127, 'x') + "\r\n", 0, 2},
  };
  for (const PauseCase& c : cases) {
    ResetFake();
    Script.input = c.input;
    Script.readEndCode = c.endCode;
    EXPECT_EQ(RunProgram("prog"), 8u);
    size_t reads = 0;
    for (const std::string& event : Record.events) reads += event == "ReadFile(128)";
    EXPECT_EQ(reads, c.readsExpected) << c.input.size();
  }
}

TEST_F(MainRoutineTest, UsageNamesTheProgramFile) {
  const struct {
    bool slashSeparates;
    std::string path;
    std::string shown;
  } cases[] = {
      {false, "C:\\Program Files\\Tools\\ask.exe", "ask.exe"},
      {false, "D:ask.exe", "ask.exe"},
      {false, "", ""},
      {false, "dir/ask.exe", "dir/ask.exe"},
      {true, "/usr/local/bin/askbox", "askbox"},
  };
  for (const auto& c : cases) {
    ResetFake();
    Script.slashSeparatesDirectories = c.slashSeparates;
    Script.programPath = c.path;
    RunProgram("prog caption=x");
    EXPECT_EQ(Record.written, ExpectedUsage(c.shown));
  }
}

}  // namespace
