#pragma once
// GUIDs that follow from a name (RFC 4122 version 5: SHA-1 in the URL
// namespace), so that every build, of either bitness, gives the same text
// the same GUID without a list of them to keep.

#include <string>

namespace pelzorvick::packaging {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::string NameGuid(const std::string& name);

}  // namespace pelzorvick::packaging
