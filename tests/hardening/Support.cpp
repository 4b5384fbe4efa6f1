#include "tests/hardening/Support.h"

#include <oleauto.h>

#include "tests/component-object/Fakes.h"

namespace pelzorvick::test {

std::wstring MarkerPath() { return FromHostPath(PZ_MARKER_PATH); }

VARIANT BstrVariant(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

std::wstring GetText(IDispatch* object, const wchar_t* name) {
  VARIANT v;
  if (FAILED(GetByName(object, name, &v))) return L"<failed>";
  if (V_VT(&v) != VT_BSTR && FAILED(VariantChangeType(&v, &v, 0, VT_BSTR))) {
    VariantClear(&v);
    return L"<not text>";
  }
  std::wstring s(V_BSTR(&v) ? V_BSTR(&v) : L"", SysStringLen(V_BSTR(&v)));
  VariantClear(&v);
  return s;
}

HRESULT PutText(IDispatch* object, const wchar_t* name, const std::wstring& text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  const HRESULT hr = PutByName(object, name, v);
  VariantClear(&v);
  return hr;
}

bool WaitForFile(const std::wstring& path, DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace pelzorvick::test
