// Fuzz target: sequences of list operations on a TStringList, mirrored on a plain model of the lines.
#include <string.h>

#include <vector>

#include "cmdline/string-list.h"
#include "fake-platform.h"
#include "fuzz-targets.h"
#include "run/console-channels.h"

namespace {

std::string Str(const Text& Text) { return std::string(Text.Bytes(), Text.Length()); }

struct ListModel {
  std::vector<std::string> Lines;
  int32_t Capacity = 0;
  bool Lead[256] = {};
  bool IgnoreSoftHyphen = false;

  // The first "=" that is not the second byte of a double-byte character.
  long Separator(const std::string& Line) const {
    for (size_t I = 0; I < Line.size(); ++I) {
      if (Lead[static_cast<unsigned char>(Line[I])] && I + 1 < Line.size()) {
        ++I;
        continue;
      }
      if (Line[I] == '=') return static_cast<long>(I);
    }
    return -1;
  }
  std::string Folded(const std::string& Name) const {
    std::string Out;
    for (char C : Name) {
      if (IgnoreSoftHyphen && static_cast<unsigned char>(C) == 0xAD) continue;
      Out += (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C;
    }
    return Out;
  }
  int32_t Find(const std::string& Name) const {
    for (size_t I = 0; I < Lines.size(); ++I) {
      long At = Separator(Lines[I]);
      if (At >= 0 && Folded(Lines[I].substr(0, At)) == Folded(Name))
        return static_cast<int32_t>(I);
    }
    return -1;
  }
  std::string Value(const std::string& Name) const {
    int32_t I = Find(Name);
    return I < 0 ? "" : Lines[I].substr(Separator(Lines[I]) + 1);
  }
  void Append(const std::string& Line) {
    if (static_cast<int32_t>(Lines.size()) == Capacity)
      Capacity += Capacity > 64 ? Capacity / 4 : Capacity > 8 ? 16 : 4;
    Lines.push_back(Line);
  }
  bool Valid(int32_t Index) const { return Index >= 0 && Index < static_cast<int32_t>(Lines.size()); }
};

// A short text from the input, NUL bytes left out: a text never holds one.
std::string TextFrom(FuzzInput& Input) {
  size_t Length = Input.Byte() % 24;
  std::string Text;
  for (size_t I = 0; I < Length && Input.Size > 0; ++I) {
    char C = static_cast<char>(Input.Byte());
    if (C != '\0') Text += C;
  }
  return Text;
}

// Names worth hitting more often than random bytes would.
std::string NameFrom(FuzzInput& Input) {
  static const char* const NAMES[] = {"text", "TEXT", "caption", "mode", "", "te\xADxt", "a=b"};
  uint8_t Pick = Input.Byte();
  if (Pick < 7 * 24) return NAMES[Pick % 7];
  return TextFrom(Input);
}

int32_t IndexFrom(FuzzInput& Input, const ListModel& Model) {
  uint8_t Pick = Input.Byte();
  int32_t Count = static_cast<int32_t>(Model.Lines.size());
  switch (Pick % 4) {
    case 0: return Count;
    case 1: return -1 - (Pick >> 2);
    case 2: return static_cast<int32_t>(0x80000000u | Pick);
    default: return Count == 0 ? 0 : (Pick >> 2) % Count;
  }
}

// Runs an operation that must refuse the index: the run ends with the report that names it. The
// model is left as it was, so the checks after the step show that the list stayed unchanged.
struct BadIndex {
  template <typename Step>
  void Expect(int32_t Index, Step Operation) {
    Record.Written.clear();
    uint32_t Code = RunToExit(Operation);
    FUZZ_CHECK(Code == 1, "bad index " + std::to_string(Index) + " was not refused");
    std::string Message = "\nList index out of bounds (" + std::to_string(Index) + ").\r\n";
    FUZZ_CHECK(Record.Written.size() >= Message.size() &&
                   Record.Written.compare(Record.Written.size() - Message.size(), Message.size(), Message) == 0 &&
                   Record.Written.rfind("Exception EStringListError in module ", 0) == 0,
               "report for bad index " + std::to_string(Index) + ": " + Printable(Record.Written));
    // The next operation starts from channels as a new process has them.
    ResetConsoleChannels();
  }
};

}  // namespace

// Input: a flags byte (lead bytes, soft hyphens), then operations of one selector byte each.
int FuzzOptionList(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  uint8_t Flags = Input.Byte();
  ResetFake();
  ListModel Model;
  if (Flags & 1) {
    UseDoubleByteCodePage();
    for (int B = 0; B < 256; ++B) Model.Lead[B] = (B >= 0x81 && B <= 0x9F) || (B >= 0xE0 && B <= 0xFC);
  }
  Script.IgnoreSoftHyphen = Model.IgnoreSoftHyphen = (Flags & 2) != 0;
  StartFakeProcess();

  TStringList List;
  BadIndex Bad;
  for (int Step = 0; Input.Size > 0 && Step < 2000; ++Step) {
    uint8_t Op = Input.Byte() % 9;
    switch (Op) {
      case 0: {
        std::string Line = TextFrom(Input);
        int32_t Index = List.AppendLine(Text(Line.data(), Line.size()));
        FUZZ_CHECK(Index == static_cast<int32_t>(Model.Lines.size()), "AppendLine index");
        Model.Append(Line);
        break;
      }
      case 1: {
        int32_t At = IndexFrom(Input, Model);
        std::string Replacement = TextFrom(Input);
        if (Model.Valid(At)) {
          List.ReplaceLine(At, Text(Replacement.data(), Replacement.size()));
          Model.Lines[At] = Replacement;
        } else {
          Bad.Expect(At, [&] { List.ReplaceLine(At, Text(Replacement.data(), Replacement.size())); });
        }
        break;
      }
      case 2: {
        int32_t At = IndexFrom(Input, Model);
        if (Model.Valid(At)) {
          List.RemoveLine(At);
          Model.Lines.erase(Model.Lines.begin() + At);
        } else {
          Bad.Expect(At, [&] { List.RemoveLine(At); });
        }
        break;
      }
      case 3:
        List.ClearLines();
        Model.Lines.clear();
        Model.Capacity = 0;
        break;
      case 4: {
        int32_t At = IndexFrom(Input, Model);
        if (Model.Valid(At))
          FUZZ_CHECK(Str(List.LineAt(At)) == Model.Lines[At], "LineAt " + std::to_string(At));
        else
          Bad.Expect(At, [&] { List.LineAt(At); });
        break;
      }
      case 5: {
        std::string Name = NameFrom(Input);
        FUZZ_CHECK(List.FindName(Name.data(), Name.size()) == Model.Find(Name), "FindName " + Printable(Name));
        break;
      }
      case 6: {
        std::string Name = NameFrom(Input);
        std::string Got = Str(List.ValueOf(Name.data(), Name.size()));
        FUZZ_CHECK(Got == Model.Value(Name), "ValueOf " + Printable(Name) + " gave " + Printable(Got));
        break;
      }
      case 7: {
        // StoreValue takes a NUL-terminated name, so its name has no NUL either way.
        std::string Name = NameFrom(Input);
        std::string Value = Input.Byte() & 1 ? "" : TextFrom(Input);
        List.StoreValue(Name.c_str(), Text(Value.data(), Value.size()));
        int32_t Index = Model.Find(Name);
        if (Value.empty()) {
          if (Index >= 0) Model.Lines.erase(Model.Lines.begin() + Index);
        } else {
          if (Index < 0) {
            Model.Append("");
            Index = static_cast<int32_t>(Model.Lines.size()) - 1;
          }
          Model.Lines[Index] = Name + "=" + Value;
        }
        break;
      }
      default: {
        // Copies handed out are the caller's own: changing one leaves the list alone.
        if (Model.Lines.empty()) break;
        Text Copy = List.LineAt(0);
        if (Copy.Length() > 0) Copy.MutableBytes()[0] ^= 1;
        FUZZ_CHECK(Str(List.LineAt(0)) == Model.Lines[0], "a handed-out line reached back into the list");
        break;
      }
    }
    FUZZ_CHECK(List.LineCount() == static_cast<int32_t>(Model.Lines.size()), "LineCount");
    FUZZ_CHECK(List.Capacity() == Model.Capacity,
               "capacity " + std::to_string(List.Capacity()) + ", not " + std::to_string(Model.Capacity));
  }
  for (size_t I = 0; I < Model.Lines.size(); ++I)
    FUZZ_CHECK(Str(List.LineAt(static_cast<int32_t>(I))) == Model.Lines[I], "line " + std::to_string(I));
  return 0;
}
