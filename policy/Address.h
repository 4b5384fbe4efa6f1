#pragma once
// Addresses as the policy compares them: one spelling for every way of
// writing the same scheme, host, port and path.

#include <optional>
#include <string>
#include <string_view>

namespace pelzorvick::policy {

// The scheme of an address, without its colon: a letter, then letters,
// digits, "+", "-" or "."; "" when there is none or it has one character,
// which is a drive.
std::u16string_view SchemeOf(std::u16string_view text);

// "scheme://host:port/path?query" for an address with an authority: the
// user information dropped, the host's escapes decoded and a trailing dot
// dropped, the scheme's default port filled in, backslashes read as slashes
// (for http, https, ftp, ws, wss, which also need no slashes after the
// colon), escapes of unreserved characters decoded, "." and ".." segments
// resolved, tabs and line breaks and the fragment dropped. "scheme:rest" for one without. Nothing
// when there is no scheme, a web address has no host, or a port is no number.
std::optional<std::u16string> CanonicalAddress(std::u16string_view address);

}  // namespace pelzorvick::policy
