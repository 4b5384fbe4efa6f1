#include "tests/support/HostPath.h"

namespace pelzorvick::test {

std::wstring FromHostPath(const char* host) {
  std::wstring out = L"Z:";
  for (const char* p = host; *p; ++p) out += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  return out;
}

}  // namespace pelzorvick::test
