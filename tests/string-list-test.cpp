// The option list: look-up by name, stored values, comma lists, the index test, IntOrDefault.
#include <gtest/gtest.h>

#include "cmdline/string-list.h"
#include "fake-platform.h"

namespace {

std::string Str(const Text& Text) { return std::string(Text.Bytes(), Text.Length()); }

std::vector<std::string> Lines(const TStrings& List) {
  std::vector<std::string> Lines;
  for (int32_t I = 0; I < List.LineCount(); ++I) Lines.push_back(Str(List.LineAt(I)));
  return Lines;
}

void Fill(TStringList& List, const std::vector<std::string>& Lines) {
  for (const std::string& Line : Lines) List.AppendLine(Text(Line.data(), Line.size()));
}

class StringListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    StartFakeProcess();
  }
};

struct LookupCase {
  std::vector<std::string> Lines;
  const char* Name;
  int32_t Index;
  std::string Value;
};

TEST_F(StringListTest, FindsTheFirstLineOfAName) {
  const LookupCase Cases[] = {
      {{"text=A", "TEXT=B"}, "text", 0, "A"},
      {{"Caption=x", "text=A"}, "TEXT", 1, "A"},
      {{"text=a=b"}, "text", 0, "a=b"},
      {{"text="}, "text", 0, ""},
      {{"=text", "text", "text =A"}, "text", -1, ""},
      {{}, "text", -1, ""},
      {{"tex=1", "texts=2"}, "text", -1, ""},
      {{"=x"}, "", 0, "x"},
      {{"a", "b=", "b=2"}, "b", 1, ""},
  };
  for (const LookupCase& C : Cases) {
    TStringList List;
    Fill(List, C.Lines);
    EXPECT_EQ(List.FindName(C.Name), C.Index) << C.Name;
    EXPECT_EQ(Str(List.ValueOf(C.Name)), C.Value) << C.Name;
  }
}

// Where the comparison calls names of different byte length equal, the value still starts after
// the line's own "=".
TEST_F(StringListTest, ValueFollowsTheLinesOwnSeparator) {
  Script.IgnoreSoftHyphen = true;
  TStringList List;
  Fill(List, {"te\xADxt=Hello", "mode=8"});
  EXPECT_EQ(List.FindName("text"), 0);
  EXPECT_EQ(Str(List.ValueOf("text")), "Hello");
  TStringList Other;
  Fill(Other, {"text=Hi"});
  EXPECT_EQ(Str(Other.ValueOf("t\xAD\xAD" "ext")), "Hi");
}

TEST_F(StringListTest, SeparatorPassesOverTrailBytes) {
  UseDoubleByteCodePage();
  StartFakeProcess();
  TStringList List;
  Fill(List, {"\x81=x=1", "\x81\x81=y"});
  EXPECT_EQ(SeparatorOf(List.LineAt(0)), 3);
  EXPECT_EQ(Str(List.ValueOf("\x81=x")), "1");
  EXPECT_EQ(SeparatorOf(List.LineAt(1)), 2);
  EXPECT_EQ(SeparatorOf(Text("\x81=")), -1);
}

struct StoreCase {
  std::vector<std::string> Before;
  const char* Value;
  std::vector<std::string> After;
};

TEST_F(StringListTest, StoreValueReplacesAppendsOrRemoves) {
  const StoreCase Cases[] = {
      {{"mode=8"}, "T", {"mode=8", "caption=T"}},
      {{"Caption=", "mode=8"}, "T", {"caption=T", "mode=8"}},
      {{"caption=", "caption=X"}, "", {"caption=X"}},
      {{"mode=8"}, "", {"mode=8"}},
      {{"CAPTION=a", "caption=b"}, "c", {"caption=c", "caption=b"}},
  };
  for (const StoreCase& C : Cases) {
    TStringList List;
    Fill(List, C.Before);
    List.StoreValue("caption", Text(C.Value));
    EXPECT_EQ(Lines(List), C.After) << C.Value;
  }
}

TEST_F(StringListTest, CommaListSplitsAtCommasAndBlanks) {
  const std::pair<std::string, std::vector<std::string>> Cases[] = {
      {"lib.dll,3", {"lib.dll", "3"}},
      {"a, b", {"a", "b"}},
      {"a ,b", {"a", "b"}},
      {"a b", {"a", "b"}},
      {"my lib.dll,3", {"my", "lib.dll", "3"}},
      {"a,,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a"}},
      {",", {""}},
      {"", {}},
      {" \t ", {}},
      {"\"a, b\",c", {"a, b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"\"", {""}},
      {"\"ab\"cd", {"ab", "cd"}},
      {"C:\\Program Files\\lib.dll,3", {"C:\\Program", "Files\\lib.dll", "3"}},
      {"\"abc", {"ab"}},
      {"\"a", {""}},
      {"\"", {""}},
  };
  for (const auto& C : Cases) {
    TStringList List;
    Fill(List, {"old"});
    List.LoadCommaList(Text(C.first.data(), C.first.size()));
    EXPECT_EQ(Lines(List), C.second) << C.first;
  }
}

TEST_F(StringListTest, CommaListStepsOverDoubleByteCharactersWhole) {
  UseDoubleByteCodePage();
  StartFakeProcess();
  TStringList List;
  List.LoadCommaList(Text("\x81, \x82,b"));  // a lead byte and the comma after it are one character
  EXPECT_EQ(Lines(List), (std::vector<std::string>{"\x81,", "\x82,b"}));
  List.LoadCommaList(Text("\"\x81\"\",x\""));  // the quote after a lead byte is its trail byte
  EXPECT_EQ(Lines(List), (std::vector<std::string>{"\x81\"", "x\""}));
}

TEST_F(StringListTest, ListPrimitivesKeepOrderAndGrowByTheRule) {
  TStringList List;
  std::vector<int32_t> Capacities;
  for (int I = 0; I < 100; ++I) {
    EXPECT_EQ(List.AppendLine(Text(std::to_string(I).c_str())), I);
    Capacities.push_back(List.Capacity());
  }
  EXPECT_EQ(Capacities[0], 4);
  EXPECT_EQ(Capacities[4], 8);
  EXPECT_EQ(Capacities[8], 12);
  EXPECT_EQ(Capacities[12], 28);
  EXPECT_EQ(Capacities[28], 44);
  EXPECT_EQ(Capacities[44], 60);
  EXPECT_EQ(Capacities[60], 76);
  EXPECT_EQ(Capacities[76], 95);
  EXPECT_EQ(Capacities[95], 118);
  List.RemoveLine(0);
  List.RemoveLine(98);
  EXPECT_EQ(List.LineCount(), 98);
  EXPECT_EQ(Str(List.LineAt(0)), "1");
  EXPECT_EQ(Str(List.LineAt(97)), "98");
  EXPECT_EQ(List.Capacity(), 118);
  List.ReplaceLine(5, Text("five"));
  EXPECT_EQ(Str(List.LineAt(5)), "five");
  List.ClearLines();
  EXPECT_EQ(List.LineCount(), 0);
  EXPECT_EQ(List.Capacity(), 0);
}

TEST_F(StringListTest, LinesAreCopiesOnBothSides) {
  TStringList List;
  Text Line("abc");
  List.AppendLine(Line);
  Line = Text("changed");
  Text Read = List.LineAt(0);
  Read.MutableBytes()[0] = 'X';
  EXPECT_EQ(Str(List.LineAt(0)), "abc");
}

// A bad index ends the run with the report; the list stays as it was.
TEST_F(StringListTest, BadIndexRaisesTheListError) {
  struct Case {
    std::vector<std::string> Lines;
    int Op;  // 0 LineAt, 1 ReplaceLine, 2 RemoveLine
    int32_t Index;
    const char* Message;
  } Cases[] = {
      {{"a"}, 0, 1, "List index out of bounds (1)."},
      {{}, 0, 0, "List index out of bounds (0)."},
      {{"a"}, 0, -1, "List index out of bounds (-1)."},
      {{"a"}, 1, 1, "List index out of bounds (1)."},
      {{"a", "b"}, 2, 2, "List index out of bounds (2)."},
      {{"a"}, 2, -2147483647 - 1, "List index out of bounds (-2147483648)."},
  };
  for (const Case& C : Cases) {
    ResetFake();
    StartFakeProcess();
    TStringList List;
    Fill(List, C.Lines);
    uint32_t Code = RunToExit([&] {
      if (C.Op == 0) List.LineAt(C.Index);
      if (C.Op == 1) List.ReplaceLine(C.Index, Text("x"));
      if (C.Op == 2) List.RemoveLine(C.Index);
    });
    EXPECT_EQ(Code, 1u) << "index " << C.Index;
    EXPECT_NE(Record.Written.find("Exception EStringListError in module askbox.exe at "),
              std::string::npos);
    EXPECT_NE(Record.Written.find(std::string(".\n") + C.Message + "\r\n"), std::string::npos)
        << Record.Written;
    EXPECT_EQ(Lines(List), C.Lines);
  }
}

struct NumberCase {
  std::string Text;
  int32_t Result;
};

TEST_F(StringListTest, IntOrDefaultAcceptsOnlyWholeNumbers) {
  const int32_t D = 77;
  const NumberCase Cases[] = {
      {"12", 12}, {"   12", 12}, {"12 ", D}, {"\t12", D}, {"+5", 5}, {"-0", 0}, {"0", 0},
      {"000", 0}, {"007", 7}, {"2147483647", 2147483647}, {"2147483648", D},
      {"-2147483648", -2147483647 - 1}, {"-2147483649", D}, {"$FFFFFFFF", -1},
      {"$80000000", -2147483647 - 1}, {"$100000000", D}, {"$000000010", 16}, {"0x10", 16},
      {"0X10", 16}, {"x10", 16}, {"X10", 16}, {"$10", 16}, {"$1f", 31}, {"-$10", D},
      {"-0x10", D}, {"+0x10", D}, {"$", D}, {"0x", D}, {"x", D}, {"-", D}, {"+", D},
      {"$1G", D}, {"1e3", D}, {"1.0", D}, {"12abc", D}, {"", D}, {"   ", D},
      {"00000000000000000012", 12}, {"$0000000000FFFFFFFF", -1}, {"99999999999", D},
      {"18446744073709551617", D}, {"--1", D}, {"0x0x1", D}, {"00x10", D}, {"1 2", D},
  };
  for (const NumberCase& C : Cases)
    EXPECT_EQ(IntOrDefault(Text(C.Text.data(), C.Text.size()), D), C.Result) << "'" << C.Text << "'";
}

}  // namespace
