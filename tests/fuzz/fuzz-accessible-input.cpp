// Fuzz target: what reaches the accessibility code from outside, a bus address on the root window and a screen reader's text offsets.
#include <stdlib.h>
#include <string.h>

#include <string>

#include "fuzz-targets.h"
#include "platform/posix/x11/accessible-input.h"

using namespace platform;

namespace {

int Leads(const unsigned char* Text, size_t Begin, size_t End) {
  int Count = 0;
  for (size_t I = Begin; I < End; ++I) Count += (Text[I] & 0xC0) != 0x80;
  return Count;
}

// Where a part lies in the text: within it, on character boundaries, and counted as it is long.
void CheckPart(const TextPart& Part, const unsigned char* Text, size_t Length, const std::string& Where) {
  FUZZ_CHECK(Part.BeginByte <= Part.EndByte && Part.EndByte <= Length, "bytes out of the text" + Where);
  FUZZ_CHECK(Part.BeginByte == Length || (Text[Part.BeginByte] & 0xC0) != 0x80, "begins inside a character" + Where);
  FUZZ_CHECK(Part.EndByte == Length || (Text[Part.EndByte] & 0xC0) != 0x80, "ends inside a character" + Where);
  FUZZ_CHECK(Part.BeginChar == Leads(Text, 0, Part.BeginByte), "begin offset miscounted" + Where);
  FUZZ_CHECK(Part.EndChar == Leads(Text, 0, Part.EndByte), "end offset miscounted" + Where);
}

// The box hands on clean UTF-8 only: each byte of the input becomes a character of one to four
// bytes, line feeds among them.
std::string AsCleanText(const std::string& Choices) {
  std::string Text;
  for (unsigned char Choice : Choices) {
    unsigned Code = Choice < 0x80   ? Choice
                    : Choice < 0xC0 ? 0x80 + Choice * 13
                    : Choice < 0xF0 ? 0x800 + Choice * 211
                                    : 0x10000 + Choice * 977;
    if (Code < 0x80) {
      Text += static_cast<char>(Code);
    } else if (Code < 0x800) {
      Text += static_cast<char>(0xC0 | Code >> 6);
      Text += static_cast<char>(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
      Text += static_cast<char>(0xE0 | Code >> 12);
      Text += static_cast<char>(0x80 | (Code >> 6 & 0x3F));
      Text += static_cast<char>(0x80 | (Code & 0x3F));
    } else {
      Text += static_cast<char>(0xF0 | Code >> 18);
      Text += static_cast<char>(0x80 | (Code >> 12 & 0x3F));
      Text += static_cast<char>(0x80 | (Code >> 6 & 0x3F));
      Text += static_cast<char>(0x80 | (Code & 0x3F));
    }
  }
  return Text;
}

int OffsetOf(FuzzInput* Input) {
  return static_cast<int>(static_cast<uint32_t>(Input->Byte()) << 24 | Input->Byte() << 16 | Input->Byte() << 8 |
                          Input->Byte());
}

}  // namespace

// Input: the length of the address, the address, two offsets for a part and one for a line, then
// the text's characters.
int FuzzAccessibleInput(const uint8_t* Data, size_t Size) {
  FuzzInput Input = {Data, Size};
  size_t AddressLength = Input.Byte();
  std::string Address;
  for (size_t I = 0; I < AddressLength && Input.Size > 0; ++I) Address += static_cast<char>(Input.Byte());
  bool Taken = TakesBusAddress(Address.data(), Address.size());
  // Taken only where each entry of the list is a local socket's.
  bool Local = !Address.empty() && Address.find('\0') == std::string::npos;
  int Entries = 0;
  for (size_t At = 0; Local && At < Address.size();) {
    size_t End = Address.find(';', At);
    if (End == std::string::npos) End = Address.size();
    Local = End == At || Address.compare(At, 5, "unix:") == 0;
    Entries += End > At;
    At = End + 1;
  }
  Local = Local && Entries > 0;
  FUZZ_CHECK(!Taken || Local, "took the address " + Printable(Address));

  int Begin = OffsetOf(&Input), End = OffsetOf(&Input), Around = OffsetOf(&Input);
  std::string Bytes = AsCleanText(Input.Rest());
  // Exactly the text's bytes, so that a read past them is caught.
  unsigned char* Text = static_cast<unsigned char*>(malloc(Bytes.size() + 1));
  memcpy(Text, Bytes.data(), Bytes.size());
  std::string Where = " for " + std::to_string(Begin) + ".." + std::to_string(End) + " in " + Printable(Bytes);
  TextPart Part = TextChars(Text, Bytes.size(), Begin, End);
  CheckPart(Part, Text, Bytes.size(), Where);
  if (Begin >= 0 && End >= Begin) FUZZ_CHECK(Part.EndChar - Part.BeginChar <= End - Begin, "part too long" + Where);
  for (bool Lines : {false, true}) {
    TextPart Line = TextAround(Text, Bytes.size(), Around, Lines);
    CheckPart(Line, Text, Bytes.size(), " around " + std::to_string(Around) + Where);
    // A line holds no line feed but its last byte.
    const void* Feed = memchr(Text + Line.BeginByte, '\n', Line.EndByte - Line.BeginByte);
    FUZZ_CHECK(Feed == nullptr || Feed == Text + Line.EndByte - 1, "line runs on" + Where);
  }
  free(Text);
  return 0;
}
