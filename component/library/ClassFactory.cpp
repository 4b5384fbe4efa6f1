#include "component/library/ClassFactory.h"

#include <unknwn.h>

#include "component/com/ComObject.h"
#include "component/com/Module.h"
#include "component/com/ErrorInfo.h"
#include "component/object/ZorvickObject.h"
#include "component/pages/PageClasses.h"
#include "component/pages/PropertyPage.h"

namespace pelzorvick {
namespace {

using Create = HRESULT (*)(REFIID riid, void** ppv);

struct Class {
  const CLSID* clsid;
  Create create;
};
const Class kClasses[] = {{&CLSID_ZorvickCtrl, CreateZorvickObject},
                          {&PageOf(PropertyGroup::kAppearance), CreateGeneralPage},
                          {&PageOf(PropertyGroup::kCommands), CreateCommandsPage}};

class ClassFactory : public ComObject<ClassFactory, Implements<IClassFactory>> {
 public:
  explicit ClassFactory(Create create) : create_(create) {}

  HRESULT CreateInstance(Guarded, IUnknown* outer, REFIID riid,
                         void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    // No object of ours keeps a separate inner unknown, so none can be
    // aggregated.
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(riid, ppv);
  }

  HRESULT LockServer(Guarded, BOOL lock) {
    if (lock) {
      Module::Lock();
    } else {
      Module::Unlock();
    }
    return S_OK;
  }

 private:
  Create create_;
};

}  // namespace

HRESULT CreateClassFactory(REFCLSID clsid, REFIID riid, void** ppv) {
  for (const Class& c : kClasses) {
    if (clsid == *c.clsid) return CreateComObject<ClassFactory>(riid, ppv, c.create);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace pelzorvick
