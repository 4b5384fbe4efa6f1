// Input far beyond what a 16-bit position holds: a 40,000-character command
// line, caption and colour text. The overflow reaches the caller with its
// text; a failing paint is reported and leaves the surface as it was.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/object/DispatchIds.h"
#include "tests/component-object/Fakes.h"
#include "tests/hardening/Support.h"

namespace pelzorvick::test {
namespace {

constexpr HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);
constexpr size_t kLong = 40000;

// The deciding separator of each far beyond position 32,767.
std::wstring SpaceBeyond() { return std::wstring(kLong - 2, L'a') + L" b"; }
std::wstring ColonBeyond() { return std::wstring(kLong - 1, L'x') + L":"; }

ComPtr<IDispatch> FreshControl() { return NewInitialisedControl<IDispatch>(); }

std::wstring ThreadErrorText() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK) return L"";
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::wstring s(text ? text : L"");
  SysFreeString(text);
  return s;
}

class LongCommand : public ::testing::TestWithParam<std::wstring (*)()> {};

TEST_P(LongCommand, ExecuteReturnsTheOverflowWithItsText) {
  const std::wstring command = GetParam()();
  ASSERT_EQ(kLong, command.size());
  ComPtr<IDispatch> control = FreshControl();
  ASSERT_EQ(S_OK, PutText(control.Get(), L"Command", command));
  EXPECT_EQ(command, GetText(control.Get(), L"Command")) << "stored whole";

  DISPPARAMS none{};
  EXCEPINFO exception{};
  EXPECT_EQ(DISP_E_EXCEPTION, control->Invoke(kDispidExecute, IID_NULL, 0, DISPATCH_METHOD, &none,
                                              nullptr, &exception, nullptr));
  EXPECT_EQ(kOverflow, exception.scode);
  ASSERT_NE(nullptr, exception.bstrDescription);
  EXPECT_GT(SysStringLen(exception.bstrDescription), 0u);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);

  ComPtr<_ZorvickCtrl> dual;
  control.As(&dual);
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(kOverflow, dual->Execute());
  EXPECT_FALSE(ThreadErrorText().empty());
}

INSTANTIATE_TEST_SUITE_P(Separators, LongCommand, ::testing::Values(&SpaceBeyond, &ColonBeyond));

TEST(LongInput, AnArgumentBeyondWhatAProcessTakesFailsWithTextOrRuns) {
  // The program is found within the first positions; the line as a whole is
  // longer than a process command line may be.
  const std::wstring command = MarkerPath() + L" -" + std::wstring(kLong, L'z');
  ComPtr<IDispatch> control = FreshControl();
  ASSERT_EQ(S_OK, PutText(control.Get(), L"Command", command));
  ComPtr<_ZorvickCtrl> dual;
  control.As(&dual);
  SetErrorInfo(0, nullptr);
  const HRESULT hr = dual->Execute();
  if (FAILED(hr)) {
    EXPECT_FALSE(ThreadErrorText().empty()) << std::hex << hr;
  }
}

// A control loaded from a bag, so that the picture modes get their picture.
ComPtr<IViewObject2> Loaded(const wchar_t* mode, const std::wstring& command,
                            const std::wstring& text, const std::wstring& colour,
                            HRESULT* load = nullptr) {
  ComPtr<IViewObject2> view = NewControl<IViewObject2>();
  ComPtr<IPersistPropertyBag> persist;
  view.As(&persist);
  ComPtr<FakeBag> bag(new FakeBag);
  bag->calls.Expect({"Read"});
  auto put = [&](const wchar_t* key, const std::wstring& value) { bag->PutText(key, value); };
  put(L"Control", mode);
  put(L"Command", command);
  put(L"Text", text);
  put(L"BackColor", colour);
  put(L"ForeColor", colour);
  const HRESULT hr = persist->Load(bag.Get(), nullptr);
  if (load) {
    *load = hr;
  } else {
    EXPECT_EQ(S_OK, hr);
  }
  return view;
}

struct Drawn {
  HRESULT hr;
  std::wstring error;
  std::vector<COLORREF> pixels;
};

Drawn DrawOnce(IViewObject2* view) {
  MemoryCanvas canvas(64, 48, RGB(1, 2, 3));
  RECTL bounds{0, 0, 64, 48};
  SetErrorInfo(0, nullptr);
  Drawn d;
  d.hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds, nullptr,
                    nullptr, 0);
  d.error = ThreadErrorText();
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) d.pixels.push_back(canvas.At(x, y));
  return d;
}

const wchar_t* const kModes[] = {L"Button", L"Text", L"Icon", L"SmallIcon", L"Image"};

class LongPaint : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(LongPaint, ALongCommandFailsThePaintWhichKeepsTheSurfaceAndRecovers) {
  const wchar_t* mode = GetParam();
  const std::wstring kind(mode);
  HRESULT load = S_OK;
  ComPtr<IViewObject2> failing = Loaded(mode, SpaceBeyond(), L"Caption", L"", &load);
  // The icon modes look for the program's icon at the end of the load.
  EXPECT_EQ(kind == L"Icon" || kind == L"SmallIcon" ? kOverflow : S_OK, load);
  ComPtr<IViewObject2> plain = Loaded(mode, MarkerPath(), L"Caption", L"");
  const Drawn first = DrawOnce(failing.Get());
  EXPECT_EQ(S_OK, first.hr) << "the container's Draw is not the paint's caller";
  const Drawn again = DrawOnce(failing.Get());
  EXPECT_EQ(S_OK, again.hr);
  EXPECT_EQ(first.pixels, again.pixels) << "the failed pass left the surface as it was";

  if (kind == L"Button" || kind == L"Text") {
    // Layout names the command in the tooltip: the overflow stops it.
    EXPECT_FALSE(first.error.empty()) << "the failure is reported";
    // The same control with a command it can read lays out and draws as a
    // control that had it from the start.
    ComPtr<IDispatch> dispatch;
    failing.As(&dispatch);
    ASSERT_EQ(S_OK, PutText(dispatch.Get(), L"Command", MarkerPath()));
    const Drawn recovered = DrawOnce(failing.Get());
    const Drawn expected = DrawOnce(plain.Get());
    EXPECT_EQ(S_OK, recovered.hr);
    EXPECT_EQ(expected.pixels, recovered.pixels);
    EXPECT_NE(first.pixels, recovered.pixels);
  }
}

bool SizedByCaption(const std::wstring& mode) { return mode == L"Button" || mode == L"Text"; }

TEST_P(LongPaint, ALongCaptionAndColourTextDoNotHurt) {
  const std::wstring mode = GetParam();
  const std::wstring caption(kLong, L'W');
  const std::wstring colour(kLong, L'f');  // neither a name nor a number one can read
  ComPtr<IViewObject2> view = Loaded(mode.c_str(), MarkerPath(), caption, colour);
  const Drawn first = DrawOnce(view.Get());
  const Drawn again = DrawOnce(view.Get());
  // Sized to the caption, the surface would be wider than any window: the
  // layout fails, is reported, and the surface stays as it was.
  EXPECT_EQ(S_OK, first.hr);
  EXPECT_EQ(S_OK, again.hr);
  EXPECT_EQ(first.pixels, again.pixels);
  if (SizedByCaption(mode)) {
    EXPECT_FALSE(first.error.empty());
  }

  // Unreadable colour text is the mode's default colour.
  ComPtr<IViewObject2> long_colour = Loaded(mode.c_str(), MarkerPath(), L"Caption", colour);
  ComPtr<IViewObject2> no_colour = Loaded(mode.c_str(), MarkerPath(), L"Caption", L"");
  const Drawn with_long = DrawOnce(long_colour.Get());
  EXPECT_EQ(S_OK, with_long.hr);
  EXPECT_EQ(DrawOnce(no_colour.Get()).pixels, with_long.pixels);
}

// A layout that failed on a caption too wide for a window leaves the
// surface's size as it was, so that the next paint with a shorter caption
// lays out afresh.
TEST_P(LongPaint, AFailedLayoutDoesNotStopLaterPaints) {
  const std::wstring mode = GetParam();
  if (!SizedByCaption(mode)) GTEST_SKIP() << "sized by its picture";
  ComPtr<IViewObject2> view = Loaded(mode.c_str(), MarkerPath(), std::wstring(kLong, L'W'), L"");
  const Drawn failed = DrawOnce(view.Get());
  EXPECT_EQ(S_OK, failed.hr);
  EXPECT_FALSE(failed.error.empty()) << "the failed layout is reported";
  ComPtr<IDispatch> dispatch;
  view.As(&dispatch);
  ASSERT_EQ(S_OK, PutText(dispatch.Get(), L"Text", L"Caption"));
  const Drawn recovered = DrawOnce(view.Get());
  EXPECT_EQ(S_OK, recovered.hr) << recovered.error;
  ComPtr<IViewObject2> plain = Loaded(mode.c_str(), MarkerPath(), L"Caption", L"");
  EXPECT_EQ(DrawOnce(plain.Get()).pixels, recovered.pixels);
}

INSTANTIATE_TEST_SUITE_P(Modes, LongPaint, ::testing::ValuesIn(kModes),
                         [](const auto& info) {
                           return std::string(info.param, info.param + wcslen(info.param));
                         });

struct InPlace {
  ParentWindow parent;
  ComPtr<IOleObject> control;
  ComPtr<IOleInPlaceObject> inplace;
  ComPtr<IDispatch> dispatch;
  ComPtr<FakeSite> site;
  HWND window = nullptr;

  explicit InPlace(const std::wstring& caption) {
    control = NewControl<IOleObject>();
    control.As(&inplace);
    control.As(&dispatch);
    site = new FakeSite(parent.hwnd(), Ambient::kRunning);
    site->calls.Expect(kSiteOfAPlacedControl);
    site->object = inplace.Get();
    control->SetClientSite(site.Get());
    ComPtr<IPersistStreamInit> persist;
    control.As(&persist);
    persist->InitNew();
    PutText(dispatch.Get(), L"Control", L"Button");
    PutText(dispatch.Get(), L"Command", SpaceBeyond());
    PutText(dispatch.Get(), L"Text", caption);
    PutText(dispatch.Get(), L"BackColor", std::wstring(kLong, L'1'));
    PutText(dispatch.Get(), L"ForeColor", L"#" + std::wstring(kLong - 1, L'0'));
    EXPECT_EQ(S_OK, control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0,
                                    parent.hwnd(), &site->rect));
    inplace->GetWindow(&window);
    Paint();
  }
  ~InPlace() {
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
  }
  void Paint() {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    PumpMessages();
  }
  // With readable values the next paint lays out: the raised frame shows.
  void ExpectRecovery() {
    PutText(dispatch.Get(), L"Command", MarkerPath());
    PutText(dispatch.Get(), L"Text", L"Fine");
    SetErrorInfo(0, nullptr);
    Paint();
    EXPECT_EQ(L"", ThreadErrorText());
    EXPECT_FALSE(site->pos_rect_changes.empty());
    HDC dc = GetDC(window);
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), GetPixel(dc, 1, 0));
    ReleaseDC(window, dc);
  }
};

TEST(LongInput, TheInPlaceWindowPaintsEverythingLongAndLives) {
  for (const std::wstring& caption : {std::wstring(L"Short"), std::wstring(kLong, L'W')}) {
    InPlace p(caption);
    SetErrorInfo(0, nullptr);
    for (int i = 0; i < 3; ++i) p.Paint();
    EXPECT_EQ(L"Overflow", ThreadErrorText()) << "each failed paint is reported";
    ASSERT_TRUE(IsWindow(p.window));
    EXPECT_TRUE(p.site->pos_rect_changes.empty()) << "a failed layout asks for no size";
    if (caption.size() < 10) p.ExpectRecovery();
  }
}

// The same in the in-place window.
TEST(LongInput, TheInPlaceWindowRecoversFromALongCaption) {
  InPlace p(std::wstring(kLong, L'W'));
  p.ExpectRecovery();
}

}  // namespace
}  // namespace pelzorvick::test
