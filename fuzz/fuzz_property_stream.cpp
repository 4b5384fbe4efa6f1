// The property stream decoder over arbitrary bytes: a stream is refused or
// loaded, never half-read. A loaded one encodes back to the very same bytes
// (the format has one spelling per content), decodes again to equal values,
// and is refused once its last byte is cut off. Every value of a loaded bag is
// then read under each type, as the control would read it: a value or the
// type mismatch, nothing else.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "common/ComError.h"
#include "component/persist/PropertyStream.h"
#include "fuzz/FuzzInput.h"

using namespace pelzorvick;

namespace {

// Names the broken expectation before aborting, so that a finding says what failed.
#define Check(ok) ((ok) ? (void)0 : fuzz::Fail(#ok, __LINE__))

// Floats compare by their bits, so that a stored NaN still equals itself.
bool SameValue(const PropertyValue& a, const PropertyValue& b) {
  if (a.index() != b.index()) return false;
  if (auto* f = std::get_if<float>(&a)) {
    return std::memcmp(f, &std::get<float>(b), sizeof(float)) == 0;
  }
  return a == b;
}

bool SameBag(const MemoryPropertyBag& a, const MemoryPropertyBag& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a.Entries()[i].key != b.Entries()[i].key) return false;
    if (!SameValue(a.Entries()[i].value, b.Entries()[i].value)) return false;
  }
  return true;
}

template <typename Read>
void ReadOrMismatch(Read read) {
  try {
    read();
  } catch (const ComError& e) {
    Check(e.code() == errc::kTypeMismatch);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const auto total = PropertyStreamTotalLength(bytes);
  auto bag = DecodePropertyStream(bytes);
  if (!bag) return 0;

  Check(total && *total == size);
  Check(bag->size() <= kMaxPropertyCount);
  const std::vector<uint8_t> again = EncodePropertyStream(*bag);
  Check(again.size() == size && std::memcmp(again.data(), data, size) == 0);
  const auto reloaded = DecodePropertyStream(again);
  Check(reloaded && SameBag(*bag, *reloaded));
  Check(!DecodePropertyStream(bytes.first(size - 1)));

  for (const PropertyEntry& entry : bag->Entries()) {
    Check(!entry.key.empty() && entry.key.size() <= kMaxPropertyKeyLength);
    const std::u16string text = bag->ReadString(entry.key, u"");
    ReadOrMismatch([&] { (void)bag->ReadSingle(entry.key, 9); });
    ReadOrMismatch([&] { (void)bag->ReadBool(entry.key, true); });
    // A boolean's or integer's text form reads back as the same value.
    if (!std::holds_alternative<std::u16string>(entry.value) &&
        !std::holds_alternative<float>(entry.value)) {
      MemoryPropertyBag as_text;
      as_text.Set(entry.key, text);
      if (std::holds_alternative<int16_t>(entry.value))
        Check(as_text.ReadSingle(entry.key, 9) == bag->ReadSingle(entry.key, 9));
      Check(as_text.ReadBool(entry.key, false) == bag->ReadBool(entry.key, false));
    }
  }
  return 0;
}
