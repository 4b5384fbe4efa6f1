#include "component/library/ClassFactory.h"

#include <unknwn.h>

#include "component/com/ComObject.h"
#include "component/com/Module.h"
#include "component/com/ErrorInfo.h"
#include "component/object/ZorvickObject.h"

namespace pelzorvick {
namespace {

class ClassFactory : public ComObject<ClassFactory, Implements<IClassFactory>> {
 public:
  HRESULT CreateInstance(Guarded, IUnknown* outer, REFIID riid,
                         void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    // The control keeps no separate inner unknown, so it cannot be aggregated.
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return CreateZorvickObject(riid, ppv);
  }

  HRESULT LockServer(Guarded, BOOL lock) {
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
