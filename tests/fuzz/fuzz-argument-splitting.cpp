// Fuzz target: a raw command line split against a model of the splitting rules, in any request order.
#include <string.h>

#include <vector>

#include "cmdline/arguments.h"
#include "fake-platform.h"
#include "fuzz-targets.h"

namespace {

std::string Str(const Text& text) { return std::string(text.Bytes(), text.Length()); }

bool IsSeparator(unsigned char byte) { return byte >= 1 && byte <= 32; }

// The whole line as a token list, read in one pass: the program-name token first, then every
// argument up to the first empty one.
std::vector<std::string> ModelTokens(const std::string& line) {
  std::vector<std::string> tokens;
  size_t i = 0;
  auto at = [&](size_t k) -> unsigned char { return k < line.size() ? line[k] : 0; };
  for (;;) {
    for (;;) {
      if (IsSeparator(at(i))) {
        ++i;
      } else if (at(i) == '"' && at(i + 1) == '"') {
        i += 2;
      } else {
        break;
      }
    }
    std::string token;
    bool quoted = false;
    for (unsigned char c = at(i); c != 0; c = at(i)) {
      if (quoted) {
        if (c == '"') quoted = false;
        else token += static_cast<char>(c);
      } else if (IsSeparator(c)) {
        break;
      } else if (c == '"') {
        quoted = true;
      } else {
        token += static_cast<char>(c);
      }
      ++i;
    }
    if (token.empty() && !tokens.empty()) return tokens;
    tokens.push_back(token);
    if (at(i) == 0) {
      // Nothing more can follow; an empty token here still ends the arguments.
      return tokens;
    }
  }
}

struct LeadModel {
  bool enabled = false;
  bool lead[256] = {};
};

// Which bytes of a text are the second byte of a double-byte character, walking from its start.
std::vector<bool> TrailBytes(const std::string& text, const LeadModel& leads) {
  std::vector<bool> trail(text.size(), false);
  if (!leads.enabled) return trail;
  for (size_t i = 0; i < text.size(); ++i) {
    if (leads.lead[static_cast<unsigned char>(text[i])] && i + 1 < text.size()) {
      trail[i + 1] = true;
      ++i;
    }
  }
  return trail;
}

std::string ModelFileNamePart(const std::string& path, const LeadModel& leads) {
  std::vector<bool> trail = TrailBytes(path, leads);
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i)
    if ((path[i] == '\\' || path[i] == ':') && !trail[i]) start = i + 1;
  return path.substr(start);
}

}  // namespace

// Input: a byte choosing the lead bytes, two range pairs, then the raw command line.
int FuzzArgumentSplitting(const uint8_t* data, size_t size) {
  FuzzInput input = {data, size};
  uint8_t choice = input.Byte();
  BYTE ranges[4];
  for (BYTE& b : ranges) b = input.Byte() | 0x80;  // real code pages lead with high bytes only
  std::string raw = input.Rest();
  std::string line = raw.substr(0, strnlen(raw.c_str(), raw.size()));

  ResetFake();
  LeadModel leads;
  if (choice & 1) {
    const BYTE shiftJis[4] = {0x81, 0x9F, 0xE0, 0xFC};
    const BYTE* chosen = (choice & 2) ? shiftJis : ranges;
    UseDoubleByteCodePage(chosen, 4);
    for (int pair = 0; pair < 4; pair += 2)
      for (int b = chosen[pair]; b <= chosen[pair + 1]; ++b) leads.lead[b] = true;
    for (bool set : leads.lead) leads.enabled = leads.enabled || set;
  }
  std::vector<std::string> tokens = ModelTokens(line);
  std::vector<std::string> expected(tokens.begin() + 1, tokens.end());
  Script.commandLine = raw;
  Script.programPath = tokens[0];
  StartFakeProcess();

  int count = ArgumentCount();
  FUZZ_CHECK(count == static_cast<int>(expected.size()),
             "ArgumentCount " + std::to_string(count) + " for " + Printable(line));
  auto expectedAt = [&](long index) -> std::string {
    if (index == 0) return tokens[0].substr(0, 260);
    if (index < 1 || index > count) return "";
    return expected[index - 1];
  };
  auto checkAt = [&](long index) {
    std::string got = Str(ArgumentAt(static_cast<int>(index)));
    FUZZ_CHECK(got == expectedAt(index), "ArgumentAt(" + std::to_string(index) + ") gave " +
                                             Printable(got) + " for " + Printable(line));
  };
  for (int i = 1; i <= count + 1; ++i) checkAt(i);
  // The order the main routine never uses must give the same texts: backwards, then jumps.
  for (int i = count + 1; i >= -1; --i) checkAt(i);
  uint32_t state = static_cast<uint32_t>(size) * 2654435761u + choice;
  for (int n = 0; n < 16 && count > 0; ++n) {
    state = state * 1103515245u + 12345u;
    checkAt(static_cast<long>(state >> 8) % (count + 3) - 1);
  }
  FUZZ_CHECK(ArgumentCount() == count, "a second ArgumentCount differs");

  for (const std::string& path : tokens) {
    std::string got = Str(FileNamePart(Text(path.data(), path.size())));
    FUZZ_CHECK(got == ModelFileNamePart(path, leads),
               "FileNamePart " + Printable(path) + " gave " + Printable(got));
  }
  std::string got = Str(FileNamePart(Text(line.data(), line.size())));
  FUZZ_CHECK(got == ModelFileNamePart(line, leads), "FileNamePart of the line gave " + Printable(got));
  return 0;
}
