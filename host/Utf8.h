#pragma once
// UTF-8 <-> UTF-16 for the host's files and its console output.

#include <optional>
#include <string>
#include <string_view>

namespace pelzorvick {

// Empty optional for bytes that are not well-formed UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes);
// Empty optional for a lone surrogate, which UTF-8 cannot carry.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);
// For logs: a lone surrogate becomes U+FFFD instead of failing.
std::string Utf16ToUtf8Lossy(std::u16string_view text);

}  // namespace pelzorvick
