#include "component/pages/PropertyPage.h"

#include <commctrl.h>
#include <prsht.h>


#include "PelZorvick_h.h"

#include "component/com/ErrorInfo.h"
#include "component/com/Module.h"
#include "component/com/WideString.h"

namespace pelzorvick {
namespace {

constexpr UINT_PTR kSheetSubclass = 1;

// Owner-drawn list items are measured while the dialog is being made, before
// the page is known: one line of the dialog's font with a little room.
void MeasureItem(HWND dialog, MEASUREITEMSTRUCT& item) {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  const WindowDc dc(dialog);
  TEXTMETRICW metrics{};
  const Selection selected(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
  GetTextMetricsW(dc.get(), &metrics);
  item.itemHeight = static_cast<UINT>(metrics.tmHeight + 2);
}

// Whether `window` is a page of a property sheet: its parent answers for its
// tabs. Wine's frame is such a sheet, whose OK reaches each page as
// PSN_APPLY only. (Asking the sheet for its pages would not do: a page
// is made before the sheet lists it.)
bool IsSheetPage(HWND window) {
  HWND sheet = GetParent(window);
  if (!sheet) return false;
  HWND tabs = PropSheet_GetTabControl(sheet);
  wchar_t kind[32] = {};
  return tabs && GetParent(tabs) == sheet && GetClassNameW(tabs, kind, 32) &&
         lstrcmpiW(kind, WC_TABCONTROLW) == 0;
}

INT_PTR CALLBACK MeasuringProcedure(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
  if (message == WM_MEASUREITEM) {
    MeasureItem(dialog, *reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
    return TRUE;
  }
  return FALSE;
}

// The dialog's size in pixels, as it comes out on this screen.
SIZE DialogSize(int id) {
  UniqueWindow probe(CreateDialogParamW(Module::Handle(), MAKEINTRESOURCEW(id), GetDesktopWindow(),
                                        MeasuringProcedure, 0));
  if (!probe) throw ComError(HRESULT_FROM_WIN32(GetLastError()), u"The page's dialog cannot be made");
  RECT rc{};
  GetWindowRect(probe.get(), &rc);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace

PropertyPage::PropertyPage(std::unique_ptr<PageContent> content)
    : content_(std::move(content)), fields_(content_->Group()) {}

PropertyPage::~PropertyPage() { Detach(); }

HRESULT CreateGeneralPage(REFIID riid, void** ppv) {
  return CreateComObject<PropertyPage>(riid, ppv, MakeGeneralContent());
}

HRESULT CreateCommandsPage(REFIID riid, void** ppv) {
  return CreateComObject<PropertyPage>(riid, ppv, MakeCommandsContent());
}

HRESULT PropertyPage::InterfaceSupportsErrorInfo(Guarded, REFIID riid) {
  return riid == IID_IPropertyPage || riid == IID_IPropertyPage2 ? S_OK : S_FALSE;
}

HRESULT PropertyPage::SetPageSite(Guarded, IPropertyPageSite* site) {
  site_ = site;
  return S_OK;
}

HRESULT PropertyPage::SetObjects(Guarded, ULONG count, IUnknown** objects) {
  if (count > 0 && objects == nullptr) return E_POINTER;
  std::vector<ComPtr<IDispatch>> controls;
  for (ULONG i = 0; i < count; ++i) {
    ComPtr<IDispatch> control;
    if (!objects[i] ||
        FAILED(objects[i]->QueryInterface(IID__ZorvickCtrl, reinterpret_cast<void**>(control.GetAddressOf())))) {
      return E_NOINTERFACE;
    }
    controls.push_back(std::move(control));
  }
  controls_ = std::move(controls);
  fields_.Load(controls_);
  if (dialog_) ShowFields();
  return S_OK;
}

// The fields as the controls hold them; what showing them sends the dialog
// is no edit.
void PropertyPage::ShowFields() {
  showing_ = true;
  fields_.Show(dialog_.get());
  showing_ = false;
  content_->Update(dialog_.get(), fields_);
}

HRESULT PropertyPage::Activate(Guarded, HWND parent, LPCRECT rect, BOOL) {
  if (rect == nullptr) return E_POINTER;
  if (dialog_) return E_UNEXPECTED;
  dialog_.reset(CreateDialogParamW(Module::Handle(), MAKEINTRESOURCEW(content_->DialogId()), parent,
                                   DialogProcedure, reinterpret_cast<LPARAM>(this)));
  if (!dialog_) throw ComError(HRESULT_FROM_WIN32(GetLastError()), u"The page's dialog cannot be made");
  MoveWindow(dialog_.get(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
             FALSE);
  fields_.FillLists(dialog_.get());
  content_->Prepare(dialog_.get());
  ShowFields();
  sheet_page_ = IsSheetPage(parent) ? parent : nullptr;
  if (sheet_page_) {
    SetWindowSubclass(sheet_page_, SheetPageProcedure, kSheetSubclass, reinterpret_cast<DWORD_PTR>(this));
    if (fields_.Edited()) PropSheet_Changed(GetParent(sheet_page_), sheet_page_);
  }
  return S_OK;
}

HRESULT PropertyPage::Deactivate(Guarded) {
  Detach();
  return S_OK;
}

void PropertyPage::Detach() {
  if (sheet_page_) {
    RemoveWindowSubclass(sheet_page_, SheetPageProcedure, kSheetSubclass);
    sheet_page_ = nullptr;
  }
  // The dialog forgets the page before it goes, so its last messages reach
  // no half-gone page.
  if (dialog_) SetWindowLongPtrW(dialog_.get(), DWLP_USER, 0);
  dialog_.reset();
}

HRESULT PropertyPage::GetPageInfo(Guarded, PROPPAGEINFO* info) {
  if (info == nullptr) return E_POINTER;
  const std::u16string_view title = content_->Title();
  const SIZE size = DialogSize(content_->DialogId());
  LPOLESTR text = MakeTaskString(title);
  info->cb = sizeof *info;
  info->pszTitle = text;
  info->size = size;
  info->pszDocString = nullptr;
  info->pszHelpFile = nullptr;
  info->dwHelpContext = 0;
  return S_OK;
}

HRESULT PropertyPage::Show(Guarded, UINT show) {
  if (!dialog_) return E_UNEXPECTED;
  ShowWindow(dialog_.get(), static_cast<int>(show));
  return S_OK;
}

HRESULT PropertyPage::Move(Guarded, LPCRECT rect) {
  if (rect == nullptr) return E_POINTER;
  if (!dialog_) return E_UNEXPECTED;
  MoveWindow(dialog_.get(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
             TRUE);
  return S_OK;
}

HRESULT PropertyPage::IsPageDirty(Guarded) { return fields_.Edited() ? S_OK : S_FALSE; }

HRESULT PropertyPage::Apply(Guarded) {
  ApplyEdits();
  return S_OK;
}

void PropertyPage::ApplyEdits() {
  if (!fields_.Edited()) return;
  // A control that hears of its change may let go of the page.
  ComPtr<IUnknown> keep(Identity());
  fields_.Apply(controls_);
}

HRESULT PropertyPage::Help(Guarded, LPCOLESTR) { return E_NOTIMPL; }

HRESULT PropertyPage::TranslateAccelerator(Guarded, MSG* msg) {
  if (msg == nullptr) return E_POINTER;
  return dialog_ && IsDialogMessageW(dialog_.get(), msg) ? S_OK : S_FALSE;
}

HRESULT PropertyPage::EditProperty(Guarded, DISPID dispid) {
  const std::optional<std::size_t> index = fields_.IndexOf(dispid);
  if (!index) return E_INVALIDARG;
  if (dialog_) SetFocus(GetDlgItem(dialog_.get(), PageFields::IdOf(*index)));
  return S_OK;
}

void PropertyPage::Edited() {
  content_->Update(dialog_.get(), fields_);
  if (site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY);
  if (sheet_page_) PropSheet_Changed(GetParent(sheet_page_), sheet_page_);
}

INT_PTR CALLBACK PropertyPage::DialogProcedure(HWND dialog, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lparam);
  if (message == WM_MEASUREITEM) return MeasuringProcedure(dialog, message, wparam, lparam);
  auto* page = reinterpret_cast<PropertyPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!page) return FALSE;
  INT_PTR result = FALSE;
  GuardedEvent(u"Property page", [&] { result = page->HandleDialogMessage(dialog, message, wparam, lparam); });
  return result;
}

INT_PTR PropertyPage::HandleDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (!showing_ && fields_.TakeEdit(dialog, id, code)) {
        Edited();
        return TRUE;
      }
      return content_->Command(dialog, id, code) ? TRUE : FALSE;
    }
    case WM_DRAWITEM:
      return content_->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam), fields_) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

// The sheet's OK and Apply reach the sheet's page, not ours: the page takes
// them there, and leaves the sheet's own answer as it was. The sheet also
// sizes its pages to the largest after making them, which ours follows.
LRESULT CALLBACK PropertyPage::SheetPageProcedure(HWND hwnd, UINT message, WPARAM wparam,
                                                  LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  auto* page = reinterpret_cast<PropertyPage*>(self);
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lparam)->code == PSN_APPLY) {
    GuardedEvent(u"Property page", [&] { page->ApplyEdits(); });
  } else if (message == WM_SIZE && page->dialog_) {
    MoveWindow(page->dialog_.get(), 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace pelzorvick
