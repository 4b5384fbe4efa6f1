#include "component/com/ErrorInfo.h"

#include <cstdio>
#include <string>

#include "component/com/ComPtr.h"

namespace pelzorvick {
namespace {

void SetThreadError(int32_t code, std::u16string_view text, REFIID iid) noexcept {
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(&create)) || !create) return;
  create->SetGUID(iid);
  create->SetSource(const_cast<LPOLESTR>(kErrorSource));
  try {
    std::wstring description(reinterpret_cast<const wchar_t*>(text.data()), text.size());
    create->SetDescription(description.data());
  } catch (...) {
    // The code alone still reaches the caller.
  }
  (void)code;
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
}

}  // namespace

HRESULT ReportComError(int32_t code, std::u16string_view text, REFIID iid) {
  const HRESULT hr = FAILED(code) ? static_cast<HRESULT>(code) : E_FAIL;
  SetThreadError(hr, text, iid);
  return hr;
}

void ReportEventError(std::u16string_view where, int32_t code, std::u16string_view text) noexcept {
  SetThreadError(code, text, GUID_NULL);
  try {
    wchar_t number[16];
    std::swprintf(number, 16, L"0x%08lX", static_cast<unsigned long>(code));
    std::wstring line = L"PelZorvick: ";
    line.append(reinterpret_cast<const wchar_t*>(where.data()), where.size());
    line += L" failed (";
    line += number;
    line += L"): ";
    line.append(reinterpret_cast<const wchar_t*>(text.data()), text.size());
    line += L"\n";
    OutputDebugStringW(line.c_str());
  } catch (...) {
    OutputDebugStringW(L"PelZorvick: an event handler failed\n");
  }
}

}  // namespace pelzorvick
