#pragma once
// The class ids of the property pages, from the registration table, and the
// page that edits each group of properties.

#include <windows.h>

#include <array>

#include "component/com/GuidText.h"
#include "component/library/RegistryTable.h"
#include "control/PropertyBrowsing.h"

namespace pelzorvick {

// In the order of kPropertyGroups: a group's page is its entry here.
inline constexpr std::array<GUID, 2> kPageClassIds = {GuidFromText(kPageClasses[0].clsid),
                                                      GuidFromText(kPageClasses[1].clsid)};
static_assert(std::size(kPageClasses) == kPropertyGroups.size());

inline const GUID& PageOf(PropertyGroup group) { return kPageClassIds[static_cast<std::size_t>(group)]; }

}  // namespace pelzorvick
