#pragma once
// What a process holds of the window system and the kernel. Where
// GetGuiResources answers 0 (Wine does), the live handles are counted by
// probing every handle value with no generation bits, which Wine's handle
// tables accept for any generation.

#include <string>

namespace pelzorvick::test {

struct ResourceCounts {
  long gdi = 0;       // GDI objects
  long user = 0;      // windows, menus, icons and cursors
  long kernel = 0;    // kernel handles
  bool probed = false;  // counted by probing, not by GetGuiResources
};

ResourceCounts CountResources();
std::string Describe(const ResourceCounts& c);

}  // namespace pelzorvick::test
