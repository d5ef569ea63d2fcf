// Argument splitting, file-name extraction and the lead-byte classification, against the fake.
#include <gtest/gtest.h>

#include "cmdline/arguments.h"
#include "fake-platform.h"

namespace {

std::string Str(const Text& Text) { return std::string(Text.Bytes(), Text.Length()); }

class ArgumentsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetFake(); }
  void StartWithLeadBytes(std::initializer_list<BYTE> Ranges) {
    UseDoubleByteCodePage(Ranges.begin(), Ranges.size());
    StartFakeProcess();
  }
  std::vector<std::string> Split(const std::string& Line) {
    Script.CommandLine = Line;
    std::vector<std::string> Arguments;
    int Count = ArgumentCount();
    for (int I = 1; I <= Count; ++I) Arguments.push_back(Str(ArgumentAt(I)));
    return Arguments;
  }
};

struct SplitCase {
  std::string Line;
  std::vector<std::string> Arguments;
};

TEST_F(ArgumentsTest, SplitsByTheProgramsOwnRules) {
  const SplitCase Cases[] = {
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
  for (const SplitCase& C : Cases) {
    StartFakeProcess();
    EXPECT_EQ(Split(C.Line), C.Arguments) << C.Line;
  }
}

TEST_F(ArgumentsTest, ReadArgumentStopsOnTheEndingByte) {
  StartFakeProcess();
  const char Line[] = "  ab\"c d\"e\tfg";
  const char* Position = Line;
  EXPECT_EQ(Str(ReadArgument(Position)), "abc de");
  EXPECT_EQ(*Position, '\t');
  EXPECT_EQ(Str(ReadArgument(Position)), "fg");
  EXPECT_EQ(*Position, '\0');
  EXPECT_EQ(Str(ReadArgument(Position)), "");
  EXPECT_EQ(*Position, '\0');
  const char Unclosed[] = "\"abc";
  Position = Unclosed;
  EXPECT_EQ(Str(ReadArgument(Position)), "abc");
  EXPECT_EQ(Position, Unclosed + 4);
}

TEST_F(ArgumentsTest, IndexesOutsideTheArgumentsGiveTheEmptyText) {
  StartFakeProcess();
  Script.CommandLine = "prog a b";
  EXPECT_EQ(Str(ArgumentAt(3)), "");
  EXPECT_EQ(Str(ArgumentAt(-1)), "");
  EXPECT_EQ(Str(ArgumentAt(1000000)), "");
  EXPECT_EQ(Str(ArgumentAt(0)), Script.ProgramPath);
}

TEST_F(ArgumentsTest, ArgumentZeroIsThePlatformsPathNotTheTypedName) {
  StartFakeProcess();
  Script.CommandLine = "ask text=x";
  Script.ProgramPath = "C:\\bin\\askbox.exe";
  EXPECT_EQ(Str(ArgumentAt(0)), "C:\\bin\\askbox.exe");
  EXPECT_TRUE(EventHappened("GetModuleFileNameA(0,261)"));
  Script.ProgramPath = "";
  EXPECT_EQ(Str(ArgumentAt(0)), "");
  Script.ProgramPath = std::string(300, 'p');
  EXPECT_EQ(ArgumentAt(0).Length(), 260u);
}

// In-order requests resume where the last one ended; every order must give the same texts.
TEST_F(ArgumentsTest, AnyRequestOrderGivesTheSameArguments) {
  StartFakeProcess();
  Script.CommandLine = "prog one \"t w o\" \"\" three four";
  const std::vector<std::string> Expected = {"one", "t w o", "three", "four"};
  const int Orders[][6] = {{1, 2, 3, 4, 5, -1}, {4, 3, 2, 1, 0, 5}, {2, 2, 1, 4, 4, 3},
                           {1, 3, 5, 2, 4, 1}};
  for (const auto& Order : Orders) {
    for (int Index : Order) {
      std::string Want = Index >= 1 && Index <= 4 ? Expected[Index - 1] : "";
      if (Index == 0) Want = Script.ProgramPath;
      EXPECT_EQ(Str(ArgumentAt(Index)), Want) << Index;
    }
  }
  EXPECT_EQ(ArgumentCount(), 4);
  // A new command line is read as such, not resumed from the old one.
  Script.CommandLine = "other x";
  EXPECT_EQ(Str(ArgumentAt(1)), "x");
  EXPECT_EQ(Str(ArgumentAt(2)), "");
}

TEST_F(ArgumentsTest, FileNamePartWithoutDoubleBytes) {
  StartFakeProcess();
  const std::pair<std::string, std::string> Cases[] = {
      {"C:\\dir\\prog.exe", "prog.exe"}, {"C:prog.exe", "prog.exe"},
      {"dir/prog.exe", "dir/prog.exe"},  {"C:\\dir\\", ""},
      {"prog.exe", "prog.exe"},          {"", ""},
      {"C:\\a\\\x95\\", ""},             {"\\", ""},
  };
  for (const auto& C : Cases) EXPECT_EQ(Str(FileNamePart(Text(C.first.c_str()))), C.second) << C.first;
}

TEST_F(ArgumentsTest, FileNamePartWhereTheSlashSeparatesDirectories) {
  Script.SlashSeparatesDirectories = true;
  StartFakeProcess();
  const std::pair<std::string, std::string> Cases[] = {
      {"/usr/local/bin/askbox", "askbox"}, {"bin/askbox", "askbox"}, {"/home/me/", ""},
      {"a\\b/c", "c"},                      {"a/b\\c", "c"},        {"C:a/b", "b"},
  };
  for (const auto& C : Cases) EXPECT_EQ(Str(FileNamePart(Text(C.first.c_str()))), C.second) << C.first;
}

TEST_F(ArgumentsTest, FileNamePartPassesOverTrailBytes) {
  StartWithLeadBytes({0x81, 0x9F, 0xE0, 0xFC});
  const std::pair<std::string, std::string> Cases[] = {
      {"C:\\a\\\x95\\", "\x95\\"},
      {"C:\\\x81\\\x81\\x.exe", "\x81\\\x81\\x.exe"},
      {"\x95\\", "\x95\\"},
      {"C:\\a\\\x81\x81\\", ""},  // two lead bytes make one character; the backslash stands alone
      {"C:\\d\\\xE0:", "\xE0:"},
  };
  for (const auto& C : Cases) EXPECT_EQ(Str(FileNamePart(Text(C.first.c_str()))), C.second) << C.first;
}

TEST_F(ArgumentsTest, ByteKindCountsTheLeadBytesBefore) {
  StartWithLeadBytes({0x81, 0x81});
  struct Case {
    const char* Text;
    size_t Index;
    ByteKind Kind;
  } Cases[] = {
      {"\x81\x81\\", 2, BYTE_SINGLE}, {"A\x81\\", 2, BYTE_TRAIL}, {"\x81", 0, BYTE_LEAD},
      {"A", 0, BYTE_SINGLE},          {"\x81\x81", 1, BYTE_TRAIL}, {"\x81\x81\x81", 2, BYTE_LEAD},
      {"A\x81", 2, BYTE_SINGLE},  // the terminating NUL
  };
  for (const Case& C : Cases) EXPECT_EQ(ByteKindAt(C.Text, C.Index), C.Kind) << C.Text << " " << C.Index;
  EXPECT_EQ(ByteKindAt(nullptr, 0), BYTE_SINGLE);
}

TEST_F(ArgumentsTest, NoDoubleByteSupportMeansEveryByteIsSingle) {
  Script.DbcsEnabled = 0;
  Script.LeadBytes[0] = 0x81;
  Script.LeadBytes[1] = 0xFE;
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
  for (int B = 0x81; B <= 0x86; ++B) EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(B)));
  EXPECT_FALSE(IsLeadByte(0x87));
}

TEST_F(ArgumentsTest, LongArgumentsAreTakenWhole) {
  StartFakeProcess();
  std::string Text(5000, 'x');
  EXPECT_EQ(Split("prog \"text=" + Text + "\" b"), (std::vector<std::string>{"text=" + Text, "b"}));
}

}  // namespace
