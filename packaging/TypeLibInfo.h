#pragma once
// Build-time reader of the few facts of an MSFT type library that
// registering it puts into the registry: the library's identity, help string
// and flags, and each type info's kind, flags, name and identifier.

#include <cstdint>
#include <string>
#include <vector>

namespace pelzorvick::packaging {

enum class TypeKind : uint32_t {
  kEnum = 0, kRecord, kModule, kInterface, kDispatch, kCoclass, kAlias, kUnion
};

inline constexpr uint32_t kTypeFlagDual = 0x40;
inline constexpr uint32_t kTypeFlagOleAutomation = 0x100;

struct TypeInfoFacts {
  TypeKind kind;
  uint32_t flags;
  std::string name;
  std::string guid;  // "{XXXXXXXX-...}", upper case
};

struct TypeLibFacts {
  std::string libid;
  std::string help_string;
  uint32_t lcid = 0;
  uint32_t syskind = 0;  // 1 win32, 3 win64
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t flags = 0;
  std::vector<TypeInfoFacts> types;
};

// Throws std::runtime_error for anything that is not a readable MSFT file.
TypeLibFacts ReadTypeLib(const std::vector<unsigned char>& bytes);

}  // namespace pelzorvick::packaging
