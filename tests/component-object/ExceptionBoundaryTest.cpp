// No C++ exception leaves a COM method: with every allocation failing, the
// calls that allocate answer with an HRESULT instead.

#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "tests/component-object/Fakes.h"

namespace {
bool g_fail_allocations = false;
}  // namespace

void* operator new(std::size_t size) {
  if (g_fail_allocations) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace pelzorvick::test {
namespace {

template <class F>
HRESULT WithoutMemory(F&& call) {
  g_fail_allocations = true;
  HRESULT hr = S_OK;
  try {
    hr = call();
  } catch (...) {
    g_fail_allocations = false;
    ADD_FAILURE() << "an exception left the call";
    return E_UNEXPECTED;
  }
  g_fail_allocations = false;
  return hr;
}

TEST(ExceptionBoundary, CallsThatAllocateAnswerOutOfMemory) {
  ComPtr<IConnectionPointContainer> points = NewControl<IConnectionPointContainer>();
  ASSERT_TRUE(points);
  IEnumConnectionPoints* enumerator = reinterpret_cast<IEnumConnectionPoints*>(1);
  EXPECT_EQ(E_OUTOFMEMORY, WithoutMemory([&] { return points->EnumConnectionPoints(&enumerator); }));
  EXPECT_EQ(nullptr, enumerator);

  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(S_OK, points.As(&dispatch));
  VARIANT text;
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = SysAllocString(L"needs memory");
  EXPECT_TRUE(FAILED(WithoutMemory([&] { return PutByName(dispatch.Get(), L"Text", text); })));
  VariantClear(&text);
  ComPtr<ITypeInfo> info;
  WithoutMemory([&] { return dispatch->GetTypeInfo(0, 0, &info); });

  // Whole afterwards.
  ComPtr<IEnumConnectionPoints> whole;
  ASSERT_EQ(S_OK, points->EnumConnectionPoints(&whole));
}

}  // namespace
}  // namespace pelzorvick::test
