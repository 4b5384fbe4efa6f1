// GetProgram and GetScheme over arbitrary text: either a result or the
// overflow error, and the program text is always a piece of the line.
#include <cstdlib>

#include "command/CommandUtil.h"
#include "common/ComError.h"
#include "fuzz/FuzzInput.h"

using namespace pelzorvick;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string line = fuzz::ToText(data, size);
  try {
    const std::u16string program = GetProgram(line);
    if (program.size() > line.size()) std::abort();
    if (!program.empty() && line.find(program) == std::u16string::npos) std::abort();
    const std::u16string scheme = GetScheme(program);
    if (scheme.size() >= program.size() && !scheme.empty()) std::abort();
  } catch (const ComError& e) {
    if (e.code() != errc::kOverflow) std::abort();
  }
  return 0;
}
