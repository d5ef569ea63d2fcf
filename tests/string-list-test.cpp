// The option list: look-up by name, stored values, comma lists, the index test, IntOrDefault.
#include <gtest/gtest.h>

#include "cmdline/string-list.h"
#include "fake-platform.h"

namespace {

std::string Str(const Text& text) { return std::string(text.Bytes(), text.Length()); }

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  for (int32_t i = 0; i < list.LineCount(); ++i) lines.push_back(Str(list.LineAt(i)));
  return lines;
}

void Fill(TStringList& list, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) list.AppendLine(Text(line.data(), line.size()));
}

class StringListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    StartFakeProcess();
  }
};

struct LookupCase {
  std::vector<std::string> lines;
  const char* name;
  int32_t index;
  std::string value;
};

TEST_F(StringListTest, FindsTheFirstLineOfAName) {
  const LookupCase cases[] = {
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
  for (const LookupCase& c : cases) {
    TStringList list;
    Fill(list, c.lines);
    EXPECT_EQ(list.FindName(c.name), c.index) << c.name;
    EXPECT_EQ(Str(list.ValueOf(c.name)), c.value) << c.name;
  }
}

// Where the comparison calls names of different byte length equal, the value still starts after
// the line's own "=".
TEST_F(StringListTest, ValueFollowsTheLinesOwnSeparator) {
  Script.ignoreSoftHyphen = true;
  TStringList list;
  Fill(list, {"te\xADxt=Hello", "mode=8"});
  EXPECT_EQ(list.FindName("text"), 0);
  EXPECT_EQ(Str(list.ValueOf("text")), "Hello");
  TStringList other;
  Fill(other, {"text=Hi"});
  EXPECT_EQ(Str(other.ValueOf("t\xAD\xAD" "ext")), "Hi");
}

TEST_F(StringListTest, SeparatorPassesOverTrailBytes) {
  UseDoubleByteCodePage();
  StartFakeProcess();
  TStringList list;
  Fill(list, {"\x81=x=1", "\x81\x81=y"});
  EXPECT_EQ(SeparatorOf(list.LineAt(0)), 3);
  EXPECT_EQ(Str(list.ValueOf("\x81=x")), "1");
  EXPECT_EQ(SeparatorOf(list.LineAt(1)), 2);
  EXPECT_EQ(SeparatorOf(Text("\x81=")), -1);
}

struct StoreCase {
  std::vector<std::string> before;
  const char* value;
  std::vector<std::string> after;
};

TEST_F(StringListTest, StoreValueReplacesAppendsOrRemoves) {
  const StoreCase cases[] = {
      {{"mode=8"}, "T", {"mode=8", "caption=T"}},
      {{"Caption=", "mode=8"}, "T", {"caption=T", "mode=8"}},
      {{"caption=", "caption=X"}, "", {"caption=X"}},
      {{"mode=8"}, "", {"mode=8"}},
      {{"CAPTION=a", "caption=b"}, "c", {"caption=c", "caption=b"}},
  };
  for (const StoreCase& c : cases) {
    TStringList list;
    Fill(list, c.before);
    list.StoreValue("caption", Text(c.value));
    EXPECT_EQ(Lines(list), c.after) << c.value;
  }
}

TEST_F(StringListTest, CommaListSplitsAtCommasAndBlanks) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
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
  for (const auto& c : cases) {
    TStringList list;
    Fill(list, {"old"});
    list.LoadCommaList(Text(c.first.data(), c.first.size()));
    EXPECT_EQ(Lines(list), c.second) << c.first;
  }
}

TEST_F(StringListTest, CommaListStepsOverDoubleByteCharactersWhole) {
  UseDoubleByteCodePage();
  StartFakeProcess();
  TStringList list;
  list.LoadCommaList(Text("\x81, \x82,b"));  // a lead byte and the comma after it are one character
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"\x81,", "\x82,b"}));
  list.LoadCommaList(Text("\"\x81\"\",x\""));  // the quote after a lead byte is its trail byte
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"\x81\"", "x\""}));
}

TEST_F(StringListTest, ListPrimitivesKeepOrderAndGrowByTheRule) {
  TStringList list;
  std::vector<int32_t> capacities;
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(list.AppendLine(Text(std::to_string(i).c_str())), i);
    capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities[0], 4);
  EXPECT_EQ(capacities[4], 8);
  EXPECT_EQ(capacities[8], 12);
  EXPECT_EQ(capacities[12], 28);
  EXPECT_EQ(capacities[28], 44);
  EXPECT_EQ(capacities[44], 60);
  EXPECT_EQ(capacities[60], 76);
  EXPECT_EQ(capacities[76], 95);
  EXPECT_EQ(capacities[95], 118);
  list.RemoveLine(0);
  list.RemoveLine(98);
  EXPECT_EQ(list.LineCount(), 98);
  EXPECT_EQ(Str(list.LineAt(0)), "1");
  EXPECT_EQ(Str(list.LineAt(97)), "98");
  EXPECT_EQ(list.Capacity(), 118);
  list.ReplaceLine(5, Text("five"));
  EXPECT_EQ(Str(list.LineAt(5)), "five");
  list.ClearLines();
  EXPECT_EQ(list.LineCount(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST_F(StringListTest, LinesAreCopiesOnBothSides) {
  TStringList list;
  Text line("abc");
  list.AppendLine(line);
  line = Text("changed");
  Text read = list.LineAt(0);
  read.MutableBytes()[0] = 'X';
  EXPECT_EQ(Str(list.LineAt(0)), "abc");
}

// A bad index ends the run with the report; the list stays as it was.
TEST_F(StringListTest, BadIndexRaisesTheListError) {
  struct Case {
    std::vector<std::string> lines;
    int op;  // 0 LineAt, 1 ReplaceLine, 2 RemoveLine
    int32_t index;
    const char* message;
  } cases[] = {
      {{"a"}, 0, 1, "List index out of bounds (1)."},
      {{}, 0, 0, "List index out of bounds (0)."},
      {{"a"}, 0, -1, "List index out of bounds (-1)."},
      {{"a"}, 1, 1, "List index out of bounds (1)."},
      {{"a", "b"}, 2, 2, "List index out of bounds (2)."},
      {{"a"}, 2, -2147483647 - 1, "List index out of bounds (-2147483648)."},
  };
  for (const Case& c : cases) {
    ResetFake();
    StartFakeProcess();
    TStringList list;
    Fill(list, c.lines);
    uint32_t code = RunToExit([&] {
      if (c.op == 0) list.LineAt(c.index);
      if (c.op == 1) list.ReplaceLine(c.index, Text("x"));
      if (c.op == 2) list.RemoveLine(c.index);
    });
    EXPECT_EQ(code, 1u) << "index " << c.index;
    EXPECT_NE(Record.written.find("Exception EStringListError in module askbox.exe at "),
              std::string::npos);
    EXPECT_NE(Record.written.find(std::string(".\n") + c.message + "\r\n"), std::string::npos)
        << Record.written;
    EXPECT_EQ(Lines(list), c.lines);
  }
}

struct NumberCase {
  std::string text;
  int32_t result;
};

TEST_F(StringListTest, IntOrDefaultAcceptsOnlyWholeNumbers) {
  const int32_t d = 77;
  const NumberCase cases[] = {
      {"12", 12}, {"   12", 12}, {"12 ", d}, {"\t12", d}, {"+5", 5}, {"-0", 0}, {"0", 0},
      {"000", 0}, {"007", 7}, {"2147483647", 2147483647}, {"2147483648", d},
      {"-2147483648", -2147483647 - 1}, {"-2147483649", d}, {"$FFFFFFFF", -1},
      {"$80000000", -2147483647 - 1}, {"$100000000", d}, {"$000000010", 16}, {"0x10", 16},
      {"0X10", 16}, {"x10", 16}, {"X10", 16}, {"$10", 16}, {"$1f", 31}, {"-$10", d},
      {"-0x10", d}, {"+0x10", d}, {"$", d}, {"0x", d}, {"x", d}, {"-", d}, {"+", d},
      {"$1G", d}, {"1e3", d}, {"1.0", d}, {"12abc", d}, {"", d}, {"   ", d},
      {"00000000000000000012", 12}, {"$0000000000FFFFFFFF", -1}, {"99999999999", d},
      {"18446744073709551617", d}, {"--1", d}, {"0x0x1", d}, {"00x10", d}, {"1 2", d},
  };
  for (const NumberCase& c : cases)
    EXPECT_EQ(IntOrDefault(Text(c.text.data(), c.text.size()), d), c.result) << "'" << c.text << "'";
}

}  // namespace
