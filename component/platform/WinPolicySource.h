#pragma once
// The policy keys of the registry, through the 64-bit view from both builds,
// so that one policy governs 32- and 64-bit containers alike.

#include "component/seams/PolicySource.h"

namespace pelzorvick {

class WinPolicySource : public PolicySource {
 public:
  // A key that does not exist is kAbsent; any other failure to open it or
  // to read one of its values is kUnreadable.
  StoredKey Read(PolicyHive hive, std::u16string_view subkey) override;
};

}  // namespace pelzorvick
