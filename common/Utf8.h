#pragma once
// UTF-16 <-> UTF-8: paths and environment values at the POSIX edge, the
// host's files and its console output.

#include <optional>
#include <string>
#include <string_view>

namespace pelzorvick {

// UTF-8 form of the text, surrogate pairs joined; nullopt when the text holds
// an unpaired surrogate, which no UTF-8 name can spell.
std::optional<std::string> ToUtf8(std::u16string_view text);
// For logs: an unpaired surrogate becomes U+FFFD instead of failing.
std::string ToUtf8Lossy(std::u16string_view text);

// UTF-16 form of UTF-8 bytes; each ill-formed sequence (stray continuation
// byte, overlong form, encoded surrogate, beyond U+10FFFF, cut short) becomes
// one U+FFFD.
std::u16string FromUtf8(std::string_view bytes);
// nullopt for bytes that are not well-formed UTF-8.
std::optional<std::u16string> FromUtf8Strict(std::string_view bytes);

}  // namespace pelzorvick
