// Fuzz target: key decoding over any bytes a terminal may send, whole or still arriving.
#include <vector>

#include "fuzz-targets.h"
#include "platform/posix/terminal/keys.h"

using namespace platform;

namespace {

// As much as the box reads at once: past that a sequence is decoded as complete.
const size_t INPUT_ROOM = 64;

std::string Shown(const unsigned char* In, size_t Count) {
  return Printable(std::string(reinterpret_cast<const char*>(In), Count));
}

void CheckKey(const Key& K, const unsigned char* In, size_t Count, bool Complete) {
  // Built only for a message: the text may be long, and this runs for every key.
  auto Where = [&] { return (Complete ? " complete " : " arriving ") + Shown(In, Count); };
  if (K.Action == KEY_NEED_MORE) {
    FUZZ_CHECK(!Complete, "asks for more though complete:" + Where());
    return;
  }
  FUZZ_CHECK(K.Used >= 1 && K.Used <= Count, "used " + std::to_string(K.Used) + Where());
  if (K.Action == KEY_LETTER) FUZZ_CHECK(K.Letter == In[0] && K.Letter > 0x20 && K.Letter < 0x7F, "letter" + Where());
}

}  // namespace

// Input: the bytes the terminal sent.
int FuzzTerminalKeys(const uint8_t* Data, size_t Size) {
  std::vector<unsigned char> In(Data, Data + Size);
  // Decoding the whole input key by key ends, and a key found in what has arrived so far is the
  // same key once more bytes arrive: the box must not act on a key and then see another.
  for (size_t Pos = 0; Pos < In.size();) {
    size_t Left = In.size() - Pos;
    Key Whole = DecodeKey(&In[Pos], Left, NO_MORE_COMING);
    CheckKey(Whole, &In[Pos], Left, true);
    Key Arriving = DecodeKey(&In[Pos], Left, MORE_MAY_COME);
    CheckKey(Arriving, &In[Pos], Left, false);
    // Bytes past the key and the one after it would change nothing.
    for (size_t Count = 1; Count <= Left && Count <= INPUT_ROOM && Count <= Whole.Used + 1; ++Count) {
      // A copy exactly as long, so that a read past the bytes given is caught.
      std::vector<unsigned char> Part(In.begin() + static_cast<long>(Pos), In.begin() + static_cast<long>(Pos + Count));
      CheckKey(DecodeKey(Part.data(), Count, NO_MORE_COMING), Part.data(), Count, true);
      Key K = DecodeKey(Part.data(), Count, MORE_MAY_COME);
      CheckKey(K, Part.data(), Count, false);
      if (K.Action != KEY_NEED_MORE)
        FUZZ_CHECK(K.Action == Arriving.Action && K.Used == Arriving.Used && K.Letter == Arriving.Letter,
                   "the key changes as more arrives: " + Shown(Part.data(), Count) + " then " +
                       Shown(&In[Pos], Left));
    }
    Pos += Whole.Used;
  }
  return 0;
}
