#pragma once
// Letter case as the file system compares names: paths and addresses of the
// administrator's patterns match whatever case the command was written in.

#include <string>
#include <string_view>

namespace pelzorvick {

// The upper-case letter of c in the Latin, Greek, Cyrillic and Armenian
// alphabets and the full-width Latin forms; every other character is itself.
char16_t FoldCase(char16_t c);

std::u16string FoldCase(std::u16string_view text);

}  // namespace pelzorvick
