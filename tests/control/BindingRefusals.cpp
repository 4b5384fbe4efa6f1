// Compiled, never linked: with no case named it must build; each case must
// not, which is how a mismatch between the type library and the property
// table stops the build instead of failing at run time.
#include <string_view>

#include "control/ZorvickCtrl.h"

using pelzorvick::ZorvickCtrl;

void Bound(ZorvickCtrl& c) { c.Set<ZorvickCtrl::RowNamed(u"FontSize")>(12.5f); }

#if defined(PZ_CASE_UNKNOWN_NAME)
void Refused(ZorvickCtrl& c) { c.Set<ZorvickCtrl::RowNamed(u"FontSise")>(12.5f); }
#elif defined(PZ_CASE_WRONG_TYPE)
void Refused(ZorvickCtrl& c) { c.Set<ZorvickCtrl::RowNamed(u"FontSize")>(std::u16string_view(u"9")); }
#endif
