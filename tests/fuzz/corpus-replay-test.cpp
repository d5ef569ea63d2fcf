// Replays every committed fuzz corpus file through its target, so plain test runs keep the findings.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "fuzz-targets.h"

namespace {

struct PropertyBroken : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Target {
  const char* Name;
  int (*Entry)(const uint8_t*, size_t);
};

const Target TARGETS[] = {
    {"argument-splitting", FuzzArgumentSplitting},
    {"comma-list", FuzzCommaList},
    {"int-or-default", FuzzIntOrDefault},
    {"option-list", FuzzOptionList},
    {"whole-run", FuzzWholeRun},
    {"glyph-wrap", FuzzGlyphWrap},
    {"terminal-keys", FuzzTerminalKeys},
    {"terminal-draw", FuzzTerminalDraw},
    {"window-layout", FuzzWindowLayout},
    {"locale-to-utf8", FuzzLocaleToUtf8},
    {"window-properties", FuzzWindowProperties},
    {"button-labels", FuzzButtonLabels},
    {"xsettings", FuzzXSettings},
    {"accessible-input", FuzzAccessibleInput},
};

class CorpusReplay : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EveryFileKeepsItsProperties) {
  namespace fs = std::filesystem;
  fs::path Directory = fs::path(ASKBOX_FUZZ_CORPUS) / GetParam().Name;
  ASSERT_TRUE(fs::is_directory(Directory)) << Directory;
  std::vector<fs::path> Files;
  for (const auto& Entry : fs::directory_iterator(Directory))
    if (Entry.is_regular_file()) Files.push_back(Entry.path());
  std::sort(Files.begin(), Files.end());
  ASSERT_FALSE(Files.empty()) << Directory;
  for (const fs::path& File : Files) {
    std::ifstream In(File, std::ios::binary);
    std::vector<uint8_t> Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    try {
      GetParam().Entry(Bytes.data(), Bytes.size());
    } catch (const PropertyBroken& Broken) {
      ADD_FAILURE() << File.filename().string() << ": " << Broken.what();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(TARGETS),
                         [](const ::testing::TestParamInfo<Target>& Info) {
                           std::string Name = Info.param.Name;
                           std::replace(Name.begin(), Name.end(), '-', '_');
                           return Name;
                         });

}  // namespace

void FuzzFailed(const std::string& What, const char* File, int Line) {
  throw PropertyBroken(std::string(File) + ":" + std::to_string(Line) + ": " + What);
}
