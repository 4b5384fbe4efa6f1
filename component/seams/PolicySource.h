#pragma once
// The administrator's policy as the registry holds it: one key of one hive
// at a time, every value as stored. Judging the values is the core's.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelzorvick {

enum class PolicyHive { kMachine, kUser };

struct StoredValue {
  enum class Type { kDword, kString, kOther };
  std::u16string name;
  Type type = Type::kOther;
  uint32_t number = 0;     // kDword
  std::u16string text;     // kString, up to its first NUL
  uint32_t raw_type = 0;   // the registry's type number, for the log
};

struct StoredKey {
  enum class State { kAbsent, kRead, kUnreadable };
  State state = State::kAbsent;
  std::vector<StoredValue> values;
};

class PolicySource {
 public:
  virtual ~PolicySource() = default;
  // The policy key of `hive` (subkey "") or one of its subkeys, read afresh
  // through the 64-bit view. Never throws: a failure is kUnreadable.
  virtual StoredKey Read(PolicyHive hive, std::u16string_view subkey) = 0;
};

}  // namespace pelzorvick
