// Argument splitting, file-name extraction and the lead-byte classification, against the fake.
#include <gtest/gtest.h>

#include "cmdline/arguments.h"
#include "fake-platform.h"

namespace {

std::string Str(const Text& text) { return std::string(text.Bytes(), text.Length()); }

class ArgumentsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }
  void StartWithLeadBytes(std::initializer_list<BYTE> ranges) {
    UseDoubleByteCodePage(ranges.begin(), ranges.size());
    StartFakeProcess();
  }
  std::vector<std::string> Split(const std::string& line) {
    Script.commandLine = line;
    std::vector<std::string> arguments;
    int count = ArgumentCount();
    for (int i = 1; i <= count; ++i) arguments.push_back(Str(ArgumentAt(i)));
    return arguments;
  }
};

struct SplitCase {
  std::string line;
  std::vector<std::string> arguments;
};

TEST_F(ArgumentsTest, SplitsByTheProgramsOwnRules) {
  const SplitCase cases[] = {
      {"prog a\"b c\"d", {"ab cd"}},
      {"prog a \"\" b", {"a", "b"}},
      {"prog \"\"x y", {"x", "y"}},
      {"prog a\"\"b", {"ab"}},
      {"prog \"a\"\"b\"", {"ab"}},
      {"prog \"abc", {"abc"}},
      {"prog \\\"x\\\" y", {"\\x\\", "y"}},
      {"\"C:\\Program Files\\p.exe\" text=hi caption=\"a b\"", {"text=hi", "caption=a b"}},
      {"prog \"", {}},
      {"prog \"\"\"", {}},
      {"prog \"\" \"\"", {}},
      {"prog \" \"", {" "}},
      {"prog\"x y\"", {}},
      {"prog  \t x", {"x"}},
      {"prog \x7F" "a\x80" "b\x01" "c", {"\x7F" "a\x80" "b", "c"}},
      {"prog text=\"line\none\"\x1F", {"text=line\none"}},
      {"", {}},
      {"   ", {}},
      {"prog \"\"\"\" a", {"a"}},
  };
  for (const SplitCase& c : cases) {
    StartFakeProcess();
    EXPECT_EQ(Split(c.line), c.arguments) << c.line;
  }
}

TEST_F(ArgumentsTest, ReadArgumentStopsOnTheEndingByte) {
  StartFakeProcess();
  const char line[] = "  ab\"c d\"e\tfg";
  const char* position = line;
  EXPECT_EQ(Str(ReadArgument(position)), "abc de");
  EXPECT_EQ(*position, '\t');
  EXPECT_EQ(Str(ReadArgument(position)), "fg");
  EXPECT_EQ(*position, '\0');
  EXPECT_EQ(Str(ReadArgument(position)), "");
  EXPECT_EQ(*position, '\0');
  const char unclosed[] = "\"abc";
  position = unclosed;
  EXPECT_EQ(Str(ReadArgument(position)), "abc");
  EXPECT_EQ(position, unclosed + 4);
}

TEST_F(ArgumentsTest, IndexesOutsideTheArgumentsGiveTheEmptyText) {
  StartFakeProcess();
  Script.commandLine = "prog a b";
  EXPECT_EQ(Str(ArgumentAt(3)), "");
  EXPECT_EQ(Str(ArgumentAt(-1)), "");
  EXPECT_EQ(Str(ArgumentAt(1000000)), "");
  EXPECT_EQ(Str(ArgumentAt(0)), Script.programPath);
}

TEST_F(ArgumentsTest, ArgumentZeroIsThePlatformsPathNotTheTypedName) {
  StartFakeProcess();
  Script.commandLine = "ask text=x";
  Script.programPath = "C:\\bin\\askbox.exe";
  EXPECT_EQ(Str(ArgumentAt(0)), "C:\\bin\\askbox.exe");
  EXPECT_TRUE(EventHappened("GetModuleFileNameA(0,261)"));
  Script.programPath = "";
  EXPECT_EQ(Str(ArgumentAt(0)), "");
  Script.programPath = std::string(300, 'p');
  EXPECT_EQ(ArgumentAt(0).Length(), 260u);
}

// In-order requests resume where the last one ended; every order must give the same texts.
TEST_F(ArgumentsTest, AnyRequestOrderGivesTheSameArguments) {
  StartFakeProcess();
  Script.commandLine = "prog one \"t w o\" \"\" three four";
  const std::vector<std::string> expected = {"one", "t w o", "three", "four"};
  const int orders[][6] = {{1, 2, 3, 4, 5, -1}, {4, 3, 2, 1, 0, 5}, {2, 2, 1, 4, 4, 3},
                           {1, 3, 5, 2, 4, 1}};
  for (const auto& order : orders) {
    for (int index : order) {
      std::string want = index >= 1 && index <= 4 ? expected[index - 1] : "";
      if (index == 0) want = Script.programPath;
      EXPECT_EQ(Str(ArgumentAt(index)), want) << index;
    }
  }
  EXPECT_EQ(ArgumentCount(), 4);
  // A new command line is read as such, not resumed from the old one.
  Script.commandLine = "other x";
  EXPECT_EQ(Str(ArgumentAt(1)), "x");
  EXPECT_EQ(Str(ArgumentAt(2)), "");
}

TEST_F(ArgumentsTest, FileNamePartWithoutDoubleBytes) {
  StartFakeProcess();
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\dir\\prog.exe", "prog.exe"}, {"C:prog.exe", "prog.exe"},
      {"dir/prog.exe", "dir/prog.exe"},  {"C:\\dir\\", ""},
      {"prog.exe", "prog.exe"},          {"", ""},
      {"C:\\a\\\x95\\", ""},             {"\\", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Str(FileNamePart(Text(c.first.c_str()))), c.second) << c.first;
}

TEST_F(ArgumentsTest, FileNamePartWhereTheSlashSeparatesDirectories) {
  Script.slashSeparatesDirectories = true;
  StartFakeProcess();
  const std::pair<std::string, std::string> cases[] = {
      {"/usr/local/bin/askbox", "askbox"}, {"bin/askbox", "askbox"}, {"/home/me/", ""},
      {"a\\b/c", "c"},                      {"a/b\\c", "c"},        {"C:a/b", "b"},
  };
  for (const auto& c : cases) EXPECT_EQ(Str(FileNamePart(Text(c.first.c_str()))), c.second) << c.first;
}

TEST_F(ArgumentsTest, FileNamePartPassesOverTrailBytes) {
  StartWithLeadBytes({0x81, 0x9F, 0xE0, 0xFC});
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\a\\\x95\\", "\x95\\"},
      {"C:\\\x81\\\x81\\x.exe", "\x81\\\x81\\x.exe"},
      {"\x95\\", "\x95\\"},
      {"C:\\a\\\x81\x81\\", ""},  // two lead bytes make one character; the backslash stands alone
      {"C:\\d\\\xE0:", "\xE0:"},
  };
  for (const auto& c : cases) EXPECT_EQ(Str(FileNamePart(Text(c.first.c_str()))), c.second) << c.first;
}

TEST_F(ArgumentsTest, ByteKindCountsTheLeadBytesBefore) {
  StartWithLeadBytes({0x81, 0x81});
  struct Case {
    const char* text;
    size_t index;
    ByteKind kind;
  } cases[] = {
      {"\x81\x81\\", 2, BYTE_SINGLE}, {"A\x81\\", 2, BYTE_TRAIL}, {"\x81", 0, BYTE_LEAD},
      {"A", 0, BYTE_SINGLE},          {"\x81\x81", 1, BYTE_TRAIL}, {"\x81\x81\x81", 2, BYTE_LEAD},
      {"A\x81", 2, BYTE_SINGLE},  // the terminating NUL
  };
  for (const Case& c : cases) EXPECT_EQ(ByteKindAt(c.text, c.index), c.kind) << c.text << " " << c.index;
  EXPECT_EQ(ByteKindAt(nullptr, 0), BYTE_SINGLE);
}

TEST_F(ArgumentsTest, NoDoubleByteSupportMeansEveryByteIsSingle) {
  Script.dbcsEnabled = 0;
  Script.leadBytes[0] = 0x81;
  Script.leadBytes[1] = 0xFE;
  StartFakeProcess();
  EXPECT_EQ(ByteKindAt("A\x81\\", 2), BYTE_SINGLE);
  EXPECT_FALSE(IsLeadByte(0x81));
  EXPECT_FALSE(EventHappened("GetCPInfo(0)"));
}

TEST_F(ArgumentsTest, LeadByteRangesStopAtTheFirstEmptyPair) {
  StartWithLeadBytes({0x90, 0x80, 0xA0, 0xA1, 0x00, 0x00, 0xB0, 0xB0});
  EXPECT_FALSE(IsLeadByte(0x85));  // a reversed pair adds nothing, and the walk goes on
  EXPECT_TRUE(IsLeadByte(0xA0));
  EXPECT_TRUE(IsLeadByte(0xA1));
  EXPECT_FALSE(IsLeadByte(0xA2));
  EXPECT_FALSE(IsLeadByte(0xB0));  // after the empty pair
  StartWithLeadBytes({0x81, 0x81, 0x82, 0x82, 0x83, 0x83, 0x84, 0x84, 0x85, 0x85, 0x86, 0x86});
  for (int b = 0x81; b <= 0x86; ++b) EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(b)));
  EXPECT_FALSE(IsLeadByte(0x87));
}

TEST_F(ArgumentsTest, LongArgumentsAreTakenWhole) {
  StartFakeProcess();
  std::string text(5000, 'x');
  EXPECT_EQ(Split("prog \"text=" + text + "\" b"), (std::vector<std::string>{"text=" + text, "b"}));
}

}  // namespace
