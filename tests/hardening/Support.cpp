#include "tests/hardening/Support.h"

#include <oleauto.h>

#include "tests/component-object/Fakes.h"

namespace pelzorvick::test {

std::wstring FromHostPath(const char* host) {
  std::wstring out = L"Z:";
  for (const char* p = host; *p; ++p) out += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  return out;
}

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

MemoryCanvas::MemoryCanvas(int w, int h, COLORREF fill) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  old_ = SelectObject(dc_, bitmap_);
  RECT all{0, 0, w, h};
  HBRUSH brush = CreateSolidBrush(fill);
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

MemoryCanvas::~MemoryCanvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

int MemoryCanvas::CountOtherThan(COLORREF c, const RECT& area) const {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += At(x, y) != c;
  return n;
}

}  // namespace pelzorvick::test
