// The real platform layer under the program's logic: name comparison, character steps, lead bytes.
#include <gtest/gtest.h>

#include <string.h>

#include "cmdline/arguments.h"
#include "cmdline/string-list.h"
#include "platform/platform.h"
#include "run/main-routine.h"

namespace {

using namespace platform;

std::string Str(const Text& Text) { return std::string(Text.Bytes(), Text.Length()); }

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { StartUp(); }
  bool DoubleByte() { return IsLeadByte(0x81) && IsLeadByte(0x9F) && IsLeadByte(0xE0); }
};

TEST_F(PlatformTest, NamesCompareWithoutAsciiCase) {
  const struct {
    const char* A;
    const char* B;
    bool Equal;
  } Cases[] = {
      {"text", "TEXT", true}, {"Caption", "cAPTION", true}, {"text", "tex", false},
      {"text", "text ", false}, {"mode", "node", false}, {"", "", true}, {"a=", "A=", true},
  };
  for (const auto& C : Cases) {
    int Result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, C.A, static_cast<int>(strlen(C.A)),
                                C.B, static_cast<int>(strlen(C.B)));
    EXPECT_EQ(Result == CSTR_EQUAL, C.Equal) << C.A << " / " << C.B;
  }
  TStringList List;
  List.AppendLine(Text("TeXt=value"));
  EXPECT_EQ(Str(List.ValueOf("text")), "value");
}

TEST_F(PlatformTest, CharNextStepsAndStopsAtTheEnd) {
  const char Text[] = "ab";
  EXPECT_EQ(CharNextA(Text), Text + 1);
  EXPECT_EQ(CharNextA(Text + 2), Text + 2);
  if (DoubleByte()) {
    const char Pair[] = "\x81\x40z";
    EXPECT_EQ(CharNextA(Pair), Pair + 2);
  }
}

TEST_F(PlatformTest, LeadBytesMatchTheCodePage) {
  CPINFO Info;
  memset(&Info, 0, sizeof Info);
  bool Enabled = GetSystemMetrics(SM_DBCSENABLED) != 0;
  ASSERT_NE(GetCPInfo(CP_ACP, &Info), 0);
  if (!Enabled) {
    for (int B = 0; B < 256; ++B) EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(B))) << B;
    EXPECT_EQ(Str(FileNamePart(Text("C:\\a\\\x95\\"))), "");
    return;
  }
  for (int Pair = 0; Pair < 12 && (Info.LeadByte[Pair] | Info.LeadByte[Pair + 1]); Pair += 2)
    for (int B = Info.LeadByte[Pair]; B <= Info.LeadByte[Pair + 1]; ++B)
      EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(B))) << B;
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
  TStringList List;
  List.LoadCommaList(Text("\x81,x,y"));
  ASSERT_EQ(List.LineCount(), 2);
  EXPECT_EQ(Str(List.LineAt(0)), "\x81,x");
}

TEST_F(PlatformTest, ProgramPathIsTheRunningFile) {
  Text Path = ArgumentAt(0);
  ASSERT_FALSE(Path.IsEmpty());
  std::string Name = Str(Path);
  EXPECT_NE(Name.find("platform_tests"), std::string::npos) << Name;
}

}  // namespace
