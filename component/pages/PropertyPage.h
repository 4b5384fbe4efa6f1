#pragma once
// A property page of the control, a COM class of the library: the dialog of
// its content inside the frame's window, the controls it edits (several
// together, when a designer selected several), and Apply through their own
// setters. Nothing is written before Apply, so a frame's Cancel changes
// nothing.

#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <vector>

#include "component/com/ComObject.h"
#include "component/com/ComPtr.h"
#include "component/com/Handles.h"
#include "component/pages/PageContent.h"
#include "component/pages/PageFields.h"

namespace pelzorvick {

class PropertyPage : public ComObject<PropertyPage, Implements<IPropertyPage2, IPropertyPage>,
                                      Implements<ISupportErrorInfo>> {
 public:
  explicit PropertyPage(std::unique_ptr<PageContent> content);
  ~PropertyPage() override;

  // IPropertyPage, IPropertyPage2.
  HRESULT SetPageSite(Guarded, IPropertyPageSite* site);
  HRESULT Activate(Guarded, HWND parent, LPCRECT rect, BOOL modal);
  HRESULT Deactivate(Guarded);
  HRESULT GetPageInfo(Guarded, PROPPAGEINFO* info);
  HRESULT SetObjects(Guarded, ULONG count, IUnknown** objects);
  HRESULT Show(Guarded, UINT show);
  HRESULT Move(Guarded, LPCRECT rect);
  HRESULT IsPageDirty(Guarded);
  HRESULT Apply(Guarded);
  HRESULT Help(Guarded, LPCOLESTR help_dir);
  HRESULT TranslateAccelerator(Guarded, MSG* msg);
  HRESULT EditProperty(Guarded, DISPID dispid);

  // ISupportErrorInfo.
  HRESULT InterfaceSupportsErrorInfo(Guarded, REFIID riid);

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR HandleDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK SheetPageProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                             UINT_PTR id, DWORD_PTR self);
  void ShowFields();
  void ApplyEdits();
  void Edited();
  void Detach();

  std::unique_ptr<PageContent> content_;
  PageFields fields_;
  ComPtr<IPropertyPageSite> site_;
  std::vector<ComPtr<IDispatch>> controls_;
  UniqueWindow dialog_;
  HWND sheet_page_ = nullptr;  // the property sheet's page we sit in, if any
  bool showing_ = false;       // the fields are being filled, not edited
};

// The page classes' instances, for the class factory.
HRESULT CreateGeneralPage(REFIID riid, void** ppv);
HRESULT CreateCommandsPage(REFIID riid, void** ppv);

}  // namespace pelzorvick
