// Fuzz target: sequences of list operations on a TStringList, mirrored on a plain model of the lines.
#include <string.h>

#include <vector>

#include "cmdline/string-list.h"
#include "fake-platform.h"
#include "fuzz-targets.h"
#include "run/console-channels.h"

namespace {

std::string Str(const Text& text) { return std::string(text.Bytes(), text.Length()); }

struct ListModel {
  std::vector<std::string> lines;
  int32_t capacity = 0;
  bool lead[256] = {};
  bool ignoreSoftHyphen = false;

  // The first "=" that is not the second byte of a double-byte character.
  long Separator(const std::string& line) const {
    for (size_t i = 0; i < line.size(); ++i) {
      if (lead[static_cast<unsigned char>(line[i])] && i + 1 < line.size()) {
        ++i;
        continue;
      }
      if (line[i] == '=') return static_cast<long>(i);
    }
    return -1;
  }
  std::string Folded(const std::string& name) const {
    std::string out;
    for (char c : name) {
      if (ignoreSoftHyphen && static_cast<unsigned char>(c) == 0xAD) continue;
      out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
  }
  int32_t Find(const std::string& name) const {
    for (size_t i = 0; i < lines.size(); ++i) {
      long separator = Separator(lines[i]);
      if (separator >= 0 && Folded(lines[i].substr(0, separator)) == Folded(name))
        return static_cast<int32_t>(i);
    }
    return -1;
  }
  std::string Value(const std::string& name) const {
    int32_t i = Find(name);
    return i < 0 ? "" : lines[i].substr(Separator(lines[i]) + 1);
  }
  void Append(const std::string& line) {
    if (static_cast<int32_t>(lines.size()) == capacity)
      capacity += capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    lines.push_back(line);
  }
  bool Valid(int32_t index) const { return index >= 0 && index < static_cast<int32_t>(lines.size()); }
};

// A short text from the input, NUL bytes left out: a text never holds one.
std::string TextFrom(FuzzInput& input) {
  size_t length = input.Byte() % 24;
  std::string text;
  for (size_t i = 0; i < length && input.size > 0; ++i) {
    char c = static_cast<char>(input.Byte());
    if (c != '\0') text += c;
  }
  return text;
}

// Names worth hitting more often than random bytes would.
std::string NameFrom(FuzzInput& input) {
  static const char* const NAMES[] = {"text", "TEXT", "caption", "mode", "", "te\xADxt", "a=b"};
  uint8_t pick = input.Byte();
  if (pick < 7 * 24) return NAMES[pick % 7];
  return TextFrom(input);
}

int32_t IndexFrom(FuzzInput& input, const ListModel& model) {
  uint8_t pick = input.Byte();
  int32_t count = static_cast<int32_t>(model.lines.size());
  switch (pick % 4) {
    case 0: return count;
    case 1: return -1 - (pick >> 2);
    case 2: return static_cast<int32_t>(0x80000000u | pick);
    default: return count == 0 ? 0 : (pick >> 2) % count;
  }
}

// Runs an operation that must refuse the index: the run ends with the report that names it. The
// model is left as it was, so the checks after the step show that the list stayed unchanged.
struct BadIndex {
  template <typename Operation>
  void Expect(int32_t index, Operation operation) {
    Record.written.clear();
    uint32_t code = RunToExit(operation);
    FUZZ_CHECK(code == 1, "bad index " + std::to_string(index) + " was not refused");
    std::string message = "\nList index out of bounds (" + std::to_string(index) + ").\r\n";
    FUZZ_CHECK(Record.written.size() >= message.size() &&
                   Record.written.compare(Record.written.size() - message.size(), message.size(), message) == 0 &&
                   Record.written.rfind("Exception EStringListError in module ", 0) == 0,
               "report for bad index " + std::to_string(index) + ": " + Printable(Record.written));
    // The next operation starts from channels as a new process has them.
    ResetConsoleChannels();
  }
};

}  // namespace

// Input: a flags byte (lead bytes, soft hyphens), then operations of one selector byte each.
int FuzzOptionList(const uint8_t* data, size_t size) {
  FuzzInput input = {data, size};
  uint8_t flags = input.Byte();
  ResetFake();
  ListModel model;
  if (flags & 1) {
    UseDoubleByteCodePage();
    for (int b = 0; b < 256; ++b) model.lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  }
  Script.ignoreSoftHyphen = model.ignoreSoftHyphen = (flags & 2) != 0;
  StartFakeProcess();

  TStringList list;
  BadIndex bad;
  for (int step = 0; input.size > 0 && step < 2000; ++step) {
    uint8_t op = input.Byte() % 9;
    switch (op) {
      case 0: {
        std::string line = TextFrom(input);
        int32_t index = list.AppendLine(Text(line.data(), line.size()));
        FUZZ_CHECK(index == static_cast<int32_t>(model.lines.size()), "AppendLine index");
        model.Append(line);
        break;
      }
      case 1: {
        int32_t index = IndexFrom(input, model);
        std::string line = TextFrom(input);
        if (model.Valid(index)) {
          list.ReplaceLine(index, Text(line.data(), line.size()));
          model.lines[index] = line;
        } else {
          bad.Expect(index, [&] { list.ReplaceLine(index, Text(line.data(), line.size())); });
        }
        break;
      }
      case 2: {
        int32_t index = IndexFrom(input, model);
        if (model.Valid(index)) {
          list.RemoveLine(index);
          model.lines.erase(model.lines.begin() + index);
        } else {
          bad.Expect(index, [&] { list.RemoveLine(index); });
        }
        break;
      }
      case 3:
        list.ClearLines();
        model.lines.clear();
        model.capacity = 0;
        break;
      case 4: {
        int32_t index = IndexFrom(input, model);
        if (model.Valid(index))
          FUZZ_CHECK(Str(list.LineAt(index)) == model.lines[index], "LineAt " + std::to_string(index));
        else
          bad.Expect(index, [&] { list.LineAt(index); });
        break;
      }
      case 5: {
        std::string name = NameFrom(input);
        FUZZ_CHECK(list.FindName(name.data(), name.size()) == model.Find(name), "FindName " + Printable(name));
        break;
      }
      case 6: {
        std::string name = NameFrom(input);
        std::string got = Str(list.ValueOf(name.data(), name.size()));
        FUZZ_CHECK(got == model.Value(name), "ValueOf " + Printable(name) + " gave " + Printable(got));
        break;
      }
      case 7: {
        // StoreValue takes a NUL-terminated name, so its name has no NUL either way.
        std::string name = NameFrom(input);
        std::string value = input.Byte() & 1 ? "" : TextFrom(input);
        list.StoreValue(name.c_str(), Text(value.data(), value.size()));
        int32_t index = model.Find(name);
        if (value.empty()) {
          if (index >= 0) model.lines.erase(model.lines.begin() + index);
        } else {
          if (index < 0) {
            model.Append("");
            index = static_cast<int32_t>(model.lines.size()) - 1;
          }
          model.lines[index] = name + "=" + value;
        }
        break;
      }
      default: {
        // Copies handed out are the caller's own: changing one leaves the list alone.
        if (model.lines.empty()) break;
        Text copy = list.LineAt(0);
        if (copy.Length() > 0) copy.MutableBytes()[0] ^= 1;
        FUZZ_CHECK(Str(list.LineAt(0)) == model.lines[0], "a handed-out line reached back into the list");
        break;
      }
    }
    FUZZ_CHECK(list.LineCount() == static_cast<int32_t>(model.lines.size()), "LineCount");
    FUZZ_CHECK(list.Capacity() == model.capacity,
               "capacity " + std::to_string(list.Capacity()) + ", not " + std::to_string(model.capacity));
  }
  for (size_t i = 0; i < model.lines.size(); ++i)
    FUZZ_CHECK(Str(list.LineAt(static_cast<int32_t>(i))) == model.lines[i], "line " + std::to_string(i));
  return 0;
}
