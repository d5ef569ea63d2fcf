// The real platform layer under the program's logic: name comparison, character steps, lead bytes.
#include <gtest/gtest.h>

#include <string.h>

#include "cmdline/arguments.h"
#include "cmdline/string-list.h"
#include "platform/platform.h"
#include "run/main-routine.h"

namespace {

using namespace platform;

std::string Str(const Text& text) { return std::string(text.Bytes(), text.Length()); }

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { StartUp(); }
  bool DoubleByte() { return IsLeadByte(0x81) && IsLeadByte(0x9F) && IsLeadByte(0xE0); }
};

TEST_F(PlatformTest, NamesCompareWithoutAsciiCase) {
  const struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"text", "TEXT", true}, {"Caption", "cAPTION", true}, {"text", "tex", false},
      {"text", "text ", false}, {"mode", "node", false}, {"", "", true}, {"a=", "A=", true},
  };
  for (const auto& c : cases) {
    int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, c.a, static_cast<int>(strlen(c.a)),
                                c.b, static_cast<int>(strlen(c.b)));
    EXPECT_EQ(result == CSTR_EQUAL, c.equal) << c.a << " / " << c.b;
  }
  TStringList list;
  list.AppendLine(Text("TeXt=value"));
  EXPECT_EQ(Str(list.ValueOf("text")), "value");
}

TEST_F(PlatformTest, CharNextStepsAndStopsAtTheEnd) {
  const char text[] = "ab";
  EXPECT_EQ(CharNextA(text), text + 1);
  EXPECT_EQ(CharNextA(text + 2), text + 2);
  if (DoubleByte()) {
    const char pair[] = "\x81\x40z";
    EXPECT_EQ(CharNextA(pair), pair + 2);
  }
}

TEST_F(PlatformTest, LeadBytesMatchTheCodePage) {
  CPINFO info;
  memset(&info, 0, sizeof info);
  bool enabled = GetSystemMetrics(SM_DBCSENABLED) != 0;
  ASSERT_NE(GetCPInfo(CP_ACP, &info), 0);
  if (!enabled) {
    for (int b = 0; b < 256; ++b) EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(b))) << b;
    EXPECT_EQ(Str(FileNamePart(Text("C:\\a\\\x95\\"))), "");
    return;
  }
  for (int pair = 0; pair < 12 && (info.LeadByte[pair] | info.LeadByte[pair + 1]); pair += 2)
    for (int b = info.LeadByte[pair]; b <= info.LeadByte[pair + 1]; ++b)
      EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(b))) << b;
}

// Runs only where the system code page is a double-byte one such as 932.
TEST_F(PlatformTest, DoubleBytePathsUseTheRealLeadBytes) {
  if (!DoubleByte()) GTEST_SKIP() << "single-byte code page";
  EXPECT_EQ(Str(FileNamePart(Text("C:\\a\\\x95\\"))), "\x95\\");
  EXPECT_EQ(ByteKindAt("\x81\x81\\", 2), BYTE_SINGLE);
  EXPECT_EQ(ByteKindAt("A\x81\\", 2), BYTE_TRAIL);
  // Every backslash after a lead byte is a trail byte: only the drive's backslash separates.
  EXPECT_EQ(Str(FileNamePart(Text("C:\\\x83\\\x8A\\\x95\\.exe"))), "\x83\\\x8A\\\x95\\.exe");
  EXPECT_EQ(Str(FileNamePart(Text("C:\\\x83\x40\\\x95\\.exe"))), "\x95\\.exe");
  TStringList list;
  list.LoadCommaList(Text("\x81,x,y"));
  ASSERT_EQ(list.LineCount(), 2);
  EXPECT_EQ(Str(list.LineAt(0)), "\x81,x");
}

TEST_F(PlatformTest, ProgramPathIsTheRunningFile) {
  Text path = ArgumentAt(0);
  ASSERT_FALSE(path.IsEmpty());
  std::string name = Str(path);
  EXPECT_NE(name.find("platform_tests"), std::string::npos) << name;
}

}  // namespace
