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
  const char* name;
  int (*entry)(const uint8_t*, size_t);
};

const Target TARGETS[] = {
    {"argument-splitting", FuzzArgumentSplitting},
    {"comma-list", FuzzCommaList},
    {"int-or-default", FuzzIntOrDefault},
    {"option-list", FuzzOptionList},
    {"whole-run", FuzzWholeRun},
};

class CorpusReplay : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EveryFileKeepsItsProperties) {
  namespace fs = std::filesystem;
  fs::path directory = fs::path(ASKBOX_FUZZ_CORPUS) / GetParam().name;
  ASSERT_TRUE(fs::is_directory(directory)) << directory;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(directory))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << directory;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
      GetParam().entry(bytes.data(), bytes.size());
    } catch (const PropertyBroken& broken) {
      ADD_FAILURE() << file.filename().string() << ": " << broken.what();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(TARGETS),
                         [](const ::testing::TestParamInfo<Target>& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace

void FuzzFailed(const std::string& what, const char* file, int line) {
  throw PropertyBroken(std::string(file) + ":" + std::to_string(line) + ": " + what);
}
