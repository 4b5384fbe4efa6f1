#pragma once
// The one error type of the core. It carries a COM-style code and text up to
// the component boundary, which turns it into an HRESULT with error info.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace pelzorvick {

namespace errc {
// The control error codes of olectl.h, so that scripts see the usual numbers.
inline constexpr int32_t kOverflow = static_cast<int32_t>(0x800A0006);
inline constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x800A000D);
inline constexpr int32_t kFileNotFound = static_cast<int32_t>(0x800A0035);
inline constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
}  // namespace errc

class ComError : public std::exception {
 public:
  ComError(int32_t code, std::u16string text);

  int32_t code() const noexcept { return code_; }
  const std::u16string& text() const noexcept { return text_; }
  // ASCII rendering of the text, for test output and logs.
  const char* what() const noexcept override { return narrow_.c_str(); }

 private:
  int32_t code_;
  std::u16string text_;
  std::string narrow_;
};

[[noreturn]] void ThrowOverflow();
[[noreturn]] void ThrowTypeMismatch();

// Positions and counters of the text modules are 16-bit: a position beyond
// this fails with the overflow error.
inline constexpr std::size_t kMaxPosition = 32767;

}  // namespace pelzorvick
