// ParseColor never yields -1 of its own making and never fails; the number
// readers agree with ParseColor on the branches that call them.
#include <cstdlib>

#include "fuzz/FuzzInput.h"
#include "text/ColorUtil.h"
#include "text/StringUtil.h"

using namespace pelzorvick;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string text = fuzz::ToText(data, size);
  const int32_t kDefault = 0x12345678;
  const int32_t color = ParseColor(text, kDefault);
  if (color == -1) std::abort();
  const int32_t hex = HexToLong(text);
  const int32_t number = TextToLong(text);
  const int32_t comma = TextToLong(text, u',');
  (void)comma;
  if (!text.empty() && text[0] != u'#' && !IsLetter(text.substr(0, 1))) {
    if (color != (number == -1 ? kDefault : number)) std::abort();
  }
  if (text.size() <= 8 && !text.empty() && hex != -1) {
    if (ParseHexColor(text) == -1) std::abort();
  }
  LookupNamedColor(text);
  return 0;
}
