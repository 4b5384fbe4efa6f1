#include "common/ComError.h"

namespace pelzorvick {

namespace {
std::string Narrow(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}
}  // namespace

ComError::ComError(int32_t code, std::u16string text)
    : code_(code), text_(std::move(text)), narrow_(Narrow(text_)) {}

void ThrowOverflow() { throw ComError(errc::kOverflow, u"Overflow"); }
void ThrowTypeMismatch() { throw ComError(errc::kTypeMismatch, u"Type mismatch"); }

}  // namespace pelzorvick
