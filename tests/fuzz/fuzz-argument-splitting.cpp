// Fuzz target: a raw command line split against a model of the splitting rules, in any request order.
#include <string.h>

#include <vector>

#include "cmdline/arguments.h"
#include "fake-platform.h"
#include "fuzz-targets.h"

namespace {

std::string Str(const Text& Text) { return std::string(Text.Bytes(), Text.Length()); }

bool IsSeparator(unsigned char Byte) { return Byte >= 1 && Byte <= 32; }

// The whole line as a token list, read in one pass: the program-name token first, then every
// argument up to the first empty one.
std::vector<std::string> ModelTokens(const std::string& Line) {
  std::vector<std::string> Tokens;
  size_t I = 0;
  auto At = [&](size_t K) -> unsigned char { return K < Line.size() ? Line[K] : 0; };
  for (;;) {
    for (;;) {
      if (IsSeparator(At(I))) {
        ++I;
      } else if (At(I) == '"' && At(I + 1) == '"') {
        I += 2;
      } else {
        break;
      }
    }
    std::string Token;
    bool Quoted = false;
    for (unsigned char C = At(I); C != 0; C = At(I)) {
      if (Quoted) {
        if (C == '"') Quoted = false;
        else Token += static_cast<char>(C);
      } else if (IsSeparator(C)) {
        break;
      } else if (C == '"') {
        Quoted = true;
      } else {
        Token += static_cast<char>(C);
      }
      ++I;
    }
    if (Token.empty() && !Tokens.empty()) return Tokens;
    Tokens.push_back(Token);
    if (At(I) == 0) {
      // Nothing more can follow; an empty token here still ends the arguments.
      return Tokens;
    }
  }
}

struct LeadModel {
  bool Enabled = false;
  bool Lead[256] = {};
};

// Which bytes of a text are the second byte of a double-byte character, walking from its start.
std::vector<bool> TrailBytes(const std::string& Text, const LeadModel& Leads) {
  std::vector<bool> Trail(Text.size(), false);
  if (!Leads.Enabled) return Trail;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Leads.Lead[static_cast<unsigned char>(Text[I])] && I + 1 < Text.size()) {
      Trail[I + 1] = true;
      ++I;
    }
  }
  return Trail;
}

std::string ModelFileNamePart(const std::string& Path, const LeadModel& Leads) {
  std::vector<bool> Trail = TrailBytes(Path, Leads);
  size_t Start = 0;
  for (size_t I = 0; I < Path.size(); ++I)
    if ((Path[I] == '\\' || Path[I] == ':') && !Trail[I]) Start = I + 1;
  return Path.substr(Start);
}

}  // namespace

// Input: a byte choosing the lead bytes, two range pairs, then the raw command line.
int FuzzArgumentSplitting(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  uint8_t Choice = Input.Byte();
  BYTE Ranges[4];
  for (BYTE& B : Ranges) B = Input.Byte() | 0x80;  // real code pages lead with high bytes only
  std::string Raw = Input.Rest();
  std::string Line = Raw.substr(0, strnlen(Raw.c_str(), Raw.size()));

  ResetFake();
  LeadModel Leads;
  if (Choice & 1) {
    const BYTE ShiftJis[4] = {0x81, 0x9F, 0xE0, 0xFC};
    const BYTE* Chosen = (Choice & 2) ? ShiftJis : Ranges;
    UseDoubleByteCodePage(Chosen, 4);
    for (int Pair = 0; Pair < 4; Pair += 2)
      for (int B = Chosen[Pair]; B <= Chosen[Pair + 1]; ++B) Leads.Lead[B] = true;
    for (bool Set : Leads.Lead) Leads.Enabled = Leads.Enabled || Set;
  }
  std::vector<std::string> Tokens = ModelTokens(Line);
  std::vector<std::string> Expected(Tokens.begin() + 1, Tokens.end());
  Script.CommandLine = Raw;
  Script.ProgramPath = Tokens[0];
  StartFakeProcess();

  int Count = ArgumentCount();
  FUZZ_CHECK(Count == static_cast<int>(Expected.size()),
             "ArgumentCount " + std::to_string(Count) + " for " + Printable(Line));
  auto ExpectedAt = [&](long Index) -> std::string {
    if (Index == 0) return Tokens[0].substr(0, 260);
    if (Index < 1 || Index > Count) return "";
    return Expected[Index - 1];
  };
  auto CheckAt = [&](long Index) {
    std::string Got = Str(ArgumentAt(static_cast<int>(Index)));
    FUZZ_CHECK(Got == ExpectedAt(Index), "ArgumentAt(" + std::to_string(Index) + ") gave " +
                                             Printable(Got) + " for " + Printable(Line));
  };
  for (int I = 1; I <= Count + 1; ++I) CheckAt(I);
  // The order the main routine never uses must give the same texts: backwards, then jumps.
  for (int I = Count + 1; I >= -1; --I) CheckAt(I);
  uint32_t State = static_cast<uint32_t>(Size) * 2654435761u + Choice;
  for (int N = 0; N < 16 && Count > 0; ++N) {
    State = State * 1103515245u + 12345u;
    CheckAt(static_cast<long>(State >> 8) % (Count + 3) - 1);
  }
  FUZZ_CHECK(ArgumentCount() == Count, "a second ArgumentCount differs");

  for (const std::string& Path : Tokens) {
    std::string Got = Str(FileNamePart(Text(Path.data(), Path.size())));
    FUZZ_CHECK(Got == ModelFileNamePart(Path, Leads),
               "FileNamePart " + Printable(Path) + " gave " + Printable(Got));
  }
  std::string Got = Str(FileNamePart(Text(Line.data(), Line.size())));
  FUZZ_CHECK(Got == ModelFileNamePart(Line, Leads), "FileNamePart of the line gave " + Printable(Got));
  return 0;
}
