#include "component/library/RegistryEntries.h"

#include <objbase.h>

#include "PelZorvick_h.h"

namespace pelzorvick {
namespace {

constexpr wchar_t kTitle[] = L"ZorvickCtrl Control";
// Set client site first, activate when visible, inside-out, can't link
// inside, recompose on resize.
constexpr wchar_t kMiscStatus[] = L"131473";
constexpr wchar_t kToolboxBitmapId[] = L"30000";

std::wstring ClassKey() { return L"CLSID\\" + GuidText(CLSID_ZorvickCtrl); }

}  // namespace

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  const int n = StringFromGUID2(guid, text, 40);
  return n > 0 ? std::wstring(text, n - 1) : std::wstring();
}

std::vector<RegistryValue> ClassRegistryValues(const std::wstring& module_path) {
  const std::wstring cls = ClassKey();
  const std::wstring clsid = GuidText(CLSID_ZorvickCtrl);
  return {
      {cls, L"", kTitle},
      {cls + L"\\InprocServer32", L"", module_path},
      {cls + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {cls + L"\\ProgID", L"", kProgId},
      {cls + L"\\VersionIndependentProgID", L"", kVersionIndependentProgId},
      {cls + L"\\Control", L"", L""},
      {cls + L"\\ToolboxBitmap32", L"", module_path + L", " + kToolboxBitmapId},
      {cls + L"\\MiscStatus", L"", L"0"},
      {cls + L"\\MiscStatus\\1", L"", kMiscStatus},
      {cls + L"\\TypeLib", L"", GuidText(LIBID_PelZorvick)},
      {cls + L"\\Version", L"", L"1.0"},
      {kProgId, L"", kTitle},
      {std::wstring(kProgId) + L"\\CLSID", L"", clsid},
      {kVersionIndependentProgId, L"", kTitle},
      {std::wstring(kVersionIndependentProgId) + L"\\CLSID", L"", clsid},
      {std::wstring(kVersionIndependentProgId) + L"\\CurVer", L"", kProgId},
  };
}

std::vector<std::wstring> ClassRegistryKeys() {
  return {ClassKey(), kProgId, kVersionIndependentProgId};
}

}  // namespace pelzorvick
