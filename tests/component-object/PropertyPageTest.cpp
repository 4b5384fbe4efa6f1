// The property pages of the built library, driven through IPropertyPage as a
// frame drives them, in a hidden window: the controls' values shown, fields
// changed by window messages, Apply through the controls' own setters (read
// back through IDispatch), a refused edit, several controls at once, and
// Cancel; then the Properties verb through the system's own frame.

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "component/library/RegistryTable.h"
#include "control/ZorvickCtrl.h"
#include "tests/component-object/OcxClient.h"

namespace pelzorvick::test {
namespace {

constexpr int kFirstField = 1000;
constexpr int kFirstPreview = 1200;
const std::wstring kMark = L"\u25BA ";

CLSID PageClass(int index) {
  CLSID clsid{};
  CLSIDFromString(kPageClasses[index].clsid, &clsid);
  return clsid;
}

consteval DISPID IdOf(std::u16string_view name) { return ZorvickCtrl::PropertyNamed(name).dispid; }

// The General page's caption field, anywhere below a window.
BOOL CALLBACK FindCaption(HWND child, LPARAM found) {
  if (GetDlgCtrlID(child) != kFirstField + 1) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

class FakePageSite : public ComBase<Implements<IPropertyPageSite>>, public Recorded {
 public:
  HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) override {
    return Answer("OnStatusChange(" + std::to_string(flags) + ")", S_OK);
  }
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* lcid) override {
    *lcid = 0x0409;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** container) override {
    *container = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
};

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

class Pages : public OcxTest {
 protected:
  void SetUp() override {
    OcxTest::SetUp();
    ShowWindow(window_.hwnd(), SW_HIDE);
  }
  void TearDown() override {
    if (!page_) return;
    page_->Deactivate();
    page_->SetObjects(0, nullptr);
    page_->SetPageSite(nullptr);
  }

  // A new control of the library with `texts` set through IDispatch, its
  // notifications heard by `sink`.
  ComPtr<IDispatch> Control(std::initializer_list<std::pair<const wchar_t*, std::wstring>> texts) {
    ComPtr<IDispatch> control = ocx.Create<IDispatch>();
    ComPtr<IPersistStreamInit> persist;
    control.As(&persist);
    persist->InitNew();
    for (const auto& [name, text] : texts) EXPECT_EQ(S_OK, PutText(control.Get(), name, text));
    Advise(control.Get(), IID_IPropertyNotifySink, sink_.Get());
    return control;
  }

  // Page `index` (0 General, 1 Commands) over `controls`, active in the
  // hidden window at the size it asks for.
  void Open(int index, const std::vector<IDispatch*>& controls) {
    page_ = ocx.Create<IPropertyPage>(PageClass(index));
    ASSERT_TRUE(page_);
    site_->calls.Expect({"OnStatusChange"});
    ASSERT_EQ(S_OK, page_->SetPageSite(site_.Get()));
    std::vector<IUnknown*> objects(controls.begin(), controls.end());
    ASSERT_EQ(S_OK, page_->SetObjects(static_cast<ULONG>(objects.size()), objects.data()));
    PROPPAGEINFO info{};
    ASSERT_EQ(S_OK, page_->GetPageInfo(&info));
    title_ = info.pszTitle;
    CoTaskMemFree(info.pszTitle);
    EXPECT_GT(info.size.cx, 100);
    EXPECT_GT(info.size.cy, 100);
    const RECT rect{0, 0, info.size.cx, info.size.cy};
    ASSERT_EQ(S_OK, page_->Activate(window_.hwnd(), &rect, TRUE));
    dialog_ = FindWindowExW(window_.hwnd(), nullptr, L"#32770", nullptr);
    ASSERT_NE(dialog_, nullptr);
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::wstring Field(int i) const { return WindowText(Item(kFirstField + i)); }
  std::wstring Preview(int i) const { return WindowText(Item(kFirstPreview + i)); }
  LRESULT Check(int i) const { return SendMessageW(Item(kFirstField + i), BM_GETCHECK, 0, 0); }
  LRESULT Items(int i) const { return SendMessageW(Item(kFirstField + i), CB_GETCOUNT, 0, 0); }

  // As the user does it: typing into an edit (or a list's edit), picking a
  // list's item, clicking a box.
  void Type(int i, const std::wstring& text) const {
    HWND field = Item(kFirstField + i);
    COMBOBOXINFO list{};
    list.cbSize = sizeof list;
    HWND edit = GetComboBoxInfo(field, &list) && list.hwndItem ? list.hwndItem : field;
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
  }
  void Pick(int i, int item) const {
    HWND list = Item(kFirstField + i);
    SendMessageW(list, CB_SETCURSEL, item, 0);
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(kFirstField + i, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  void Click(int i) const { SendMessageW(Item(kFirstField + i), BM_CLICK, 0, 0); }

  std::vector<std::string> Heard() { return sink_->calls.Take(); }

  ParentWindow window_;
  ComPtr<NotifySink> sink_{[] {
    auto* sink = new NotifySink;
    sink->calls.Expect({"OnRequestEdit", "OnChanged"});
    return sink;
  }()};
  ComPtr<FakePageSite> site_{new FakePageSite};
  ComPtr<IPropertyPage> page_;
  std::wstring title_;
  HWND dialog_ = nullptr;
};

TEST_F(Pages, GeneralShowsTheValuesAndAppliesOnlyTheEdits) {
  ComPtr<IDispatch> control =
      Control({{L"Control", L"Button"}, {L"Text", L"Go"}, {L"ForeColor", L"red"}});
  Heard();
  Open(0, {control.Get()});
  EXPECT_EQ(title_, L"General");
  EXPECT_EQ(Field(0), L"Button");
  EXPECT_EQ(Field(1), L"Go");
  EXPECT_EQ(Field(2), L"9");
  EXPECT_EQ(Field(3), L"red");
  EXPECT_EQ(Field(4), L"");
  EXPECT_EQ(Check(5), BST_CHECKED);
  EXPECT_EQ(Check(6), BST_CHECKED);
  EXPECT_EQ(Items(0), 5);
  EXPECT_EQ(Items(3), 141);
  EXPECT_EQ(S_FALSE, page_->IsPageDirty());
  ComPtr<IPropertyPage2> page2;
  ASSERT_EQ(S_OK, page_.As(&page2));
  EXPECT_EQ(S_OK, page2->EditProperty(IdOf(u"Text")));
  EXPECT_EQ(E_INVALIDARG, page2->EditProperty(IdOf(u"Command"))) << "on the other page";

  Type(1, L"Run");
  Type(2, L"12.5");
  Pick(3, 0);  // "(default)"
  Type(4, L"#FF8000");
  Click(6);
  EXPECT_EQ(S_OK, page_->IsPageDirty());
  EXPECT_EQ(site_->calls.Lines().at(0), "OnStatusChange(1)");
  EXPECT_EQ(GetText(control.Get(), L"Text"), L"Go") << "nothing is written before Apply";
  EXPECT_TRUE(Heard().empty());

  ASSERT_EQ(S_OK, page_->Apply());
  EXPECT_EQ(GetText(control.Get(), L"Text"), L"Run");
  EXPECT_EQ(GetText(control.Get(), L"FontSize"), L"12.5");
  EXPECT_EQ(GetText(control.Get(), L"ForeColor"), L"");
  EXPECT_EQ(GetText(control.Get(), L"BackColor"), L"#FF8000");
  EXPECT_EQ(GetText(control.Get(), L"Border", VARIANT_ALPHABOOL), L"False");
  EXPECT_EQ(GetText(control.Get(), L"Control"), L"Button");
  EXPECT_EQ(Heard(), (std::vector<std::string>{
                         "OnRequestEdit(Text)", "OnChanged(Text)", "OnRequestEdit(FontSize)",
                         "OnChanged(FontSize)", "OnRequestEdit(ForeColor)", "OnChanged(ForeColor)",
                         "OnRequestEdit(BackColor)", "OnChanged(BackColor)", "OnRequestEdit(Border)",
                         "OnChanged(Border)"}));
  EXPECT_EQ(S_FALSE, page_->IsPageDirty());
}

TEST_F(Pages, SeveralControlsShareTheFieldsTheyAgreeOn) {
  ComPtr<IDispatch> a = Control({{L"Control", L"Text"}, {L"Text", L"A"}});
  ComPtr<IDispatch> b = Control({{L"Control", L"Text"}, {L"Text", L"B"}, {L"Border", L"False"}});
  Open(0, {a.Get(), b.Get()});
  EXPECT_EQ(Field(0), L"Text");
  EXPECT_EQ(Field(1), L"") << "the captions differ";
  EXPECT_EQ(Check(5), BST_CHECKED);
  EXPECT_EQ(Check(6), BST_INDETERMINATE) << "the frames differ";

  Type(2, L"14");
  ASSERT_EQ(S_OK, page_->Apply());
  for (const auto& [control, caption, frame] : {std::tuple{a.Get(), L"A", L"True"},
                                                std::tuple{b.Get(), L"B", L"False"}}) {
    EXPECT_EQ(GetText(control, L"FontSize"), L"14");
    EXPECT_EQ(GetText(control, L"Text"), caption) << "left alone unless edited";
    EXPECT_EQ(GetText(control, L"Border", VARIANT_ALPHABOOL), frame);
  }
  Type(1, L"C");
  ASSERT_EQ(S_OK, page_->Apply());
  EXPECT_EQ(GetText(a.Get(), L"Text"), L"C");
  EXPECT_EQ(GetText(b.Get(), L"Text"), L"C");
}

TEST_F(Pages, CommandsPreviewEachLineAndMarkTheOneAClickRuns) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
  ComPtr<IDispatch> control = Control(
      {{L"Command", L"C:\\no\\such.exe"}, {L"Command1", cmd + L" /c exit"}, {L"Command2", L"notepad"}});
  Open(1, {control.Get()});
  EXPECT_EQ(title_, L"Commands");
  EXPECT_EQ(Preview(0), L"not found");
  EXPECT_EQ(Preview(1), kMark + L"runs " + cmd);
  EXPECT_EQ(Preview(2), L"opens through the shell");
  EXPECT_EQ(Preview(3), L"");
  Type(0, cmd);
  EXPECT_EQ(Preview(0), kMark + L"runs " + cmd) << "updated as it is typed";
  EXPECT_EQ(Preview(1), L"runs " + cmd);
}

TEST_F(Pages, ARefusedEditIsReportedAndTheOthersApplied) {
  ComPtr<IDispatch> control = Control({});
  sink_->refused = IdOf(u"Command");
  Open(1, {control.Get()});
  Type(0, L"calc");
  Type(1, L"notepad");
  EXPECT_EQ(CTL_E_SETNOTPERMITTED, page_->Apply());
  EXPECT_EQ(ErrorDescription(), L"The container does not let Command change now");
  EXPECT_EQ(GetText(control.Get(), L"Command"), L"");
  EXPECT_EQ(GetText(control.Get(), L"Command1"), L"notepad");
  EXPECT_EQ(S_OK, page_->IsPageDirty()) << "the refused line is still to apply";

  sink_->refused = DISPID_UNKNOWN;
  Heard();
  ASSERT_EQ(S_OK, page_->Apply());
  EXPECT_EQ(GetText(control.Get(), L"Command"), L"calc");
  EXPECT_EQ(Heard(), (std::vector<std::string>{"OnRequestEdit(Command)", "OnChanged(Command)"}));
}

TEST_F(Pages, WithoutApplyNothingChanges) {
  ComPtr<IDispatch> control = Control({{L"Text", L"kept"}});
  Heard();
  Open(0, {control.Get()});
  Type(1, L"dropped");
  EXPECT_EQ(S_OK, page_->Deactivate());
  EXPECT_EQ(S_OK, page_->SetObjects(0, nullptr));
  EXPECT_EQ(GetText(control.Get(), L"Text"), L"kept");
  EXPECT_TRUE(Heard().empty());
}

// The frame is modal: a second thread finds it, reads its title and tabs,
// types a caption into the General page and cancels.
TEST_F(Pages, ThePropertiesVerbOpensThePagesInTheSystemsFrame) {
  DWORD cookies[2] = {};
  for (int i = 0; i < 2; ++i) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, ocx.ClassObject(PageClass(i), factory.GetAddressOf()));
    ASSERT_EQ(S_OK, CoRegisterClassObject(PageClass(i), factory.Get(), CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &cookies[i]));
  }
  ComPtr<IDispatch> control = Control({{L"Text", L"kept"}});
  Heard();
  ComPtr<IOleObject> ole;
  control.As(&ole);

  std::wstring title;
  std::vector<std::wstring> tabs;
  std::atomic<bool> found{false};
  bool typed = false;
  std::thread watcher([&] {
    for (int tries = 0; tries < 400 && !found; ++tries, Sleep(50)) {
      HWND frame = nullptr;
      while ((frame = FindWindowExW(nullptr, frame, L"#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(frame, &pid);
        HWND tab = FindWindowExW(frame, nullptr, WC_TABCONTROLW, nullptr);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(frame) || !tab) continue;
        title = WindowText(frame);
        for (int i = 0; i < TabCtrl_GetItemCount(tab); ++i) {
          wchar_t text[64] = {};
          TCITEMW item{};
          item.mask = TCIF_TEXT;
          item.pszText = text;
          item.cchTextMax = 64;
          TabCtrl_GetItem(tab, i, &item);
          tabs.push_back(text);
        }
        HWND caption = nullptr;
        EnumChildWindows(frame, FindCaption, reinterpret_cast<LPARAM>(&caption));
        typed = caption && SendMessageW(caption, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"dropped"));
        PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
        found = true;
        break;
      }
    }
  });
  EXPECT_EQ(S_OK, ole->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, window_.hwnd(), nullptr));
  watcher.join();
  for (DWORD cookie : cookies) CoRevokeClassObject(cookie);

  ASSERT_TRUE(found) << "no frame showed";
  EXPECT_NE(title.find(L"ZorvickCtrl Control"), std::wstring::npos) << std::string(title.begin(), title.end());
  EXPECT_EQ(tabs, (std::vector<std::wstring>{L"General", L"Commands"}));
  EXPECT_TRUE(typed) << "the General page shows its caption field";
  EXPECT_EQ(GetText(control.Get(), L"Text"), L"kept") << "Cancel changes nothing";
  EXPECT_TRUE(Heard().empty());
}

}  // namespace
}  // namespace pelzorvick::test
