#include "component/library/ClassFactory.h"

#include <unknwn.h>

#include "component/ComBase.h"
#include "component/Module.h"
#include "component/win/ErrorInfo.h"
#include "component/win/ZorvickObject.h"

namespace pelzorvick {
namespace {

class ClassFactory : public ComBase<Implements<IClassFactory>> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid,
                                           void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    // The control keeps no separate inner unknown, so it cannot be aggregated.
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return GuardedCall(IID_IClassFactory, [&] { return CreateZorvickObject(riid, ppv); });
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      Module::Lock();
    } else {
      Module::Unlock();
    }
    return S_OK;
  }
};

}  // namespace

HRESULT CreateClassFactory(REFIID riid, void** ppv) {
  return CreateComObject<ClassFactory>(riid, ppv);
}

}  // namespace pelzorvick
