// In-place activation in a real parent window, sizing through the site, and
// the view object's drawing into a memory DC.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "component/com/Module.h"
#include "tests/component-object/Fakes.h"
#include "tests/support/MemoryCanvas.h"

namespace pelzorvick::test {
namespace {

RECT WindowRectIn(HWND hwnd, HWND parent) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

TEST(ObjectActivation, InPlaceAndBackWithARealParent) {
  ParentWindow parent;
  {
    SitedControl p(parent.hwnd());
    ASSERT_EQ(S_OK, p.control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, p.site.Get(), 0,
                                      parent.hwnd(), &p.site->rect));
    EXPECT_EQ(1, p.site->calls.Count("OnInPlaceActivate"));
    EXPECT_EQ(0, p.site->calls.Count("OnUIActivate"));
    HWND window = nullptr;
    ASSERT_EQ(S_OK, p.As<IOleInPlaceObject>()->GetWindow(&window));
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(parent.hwnd(), GetParent(window));
    const RECT placed = WindowRectIn(window, parent.hwnd());
    EXPECT_TRUE(EqualRect(&placed, &p.site->rect));
    EXPECT_EQ(nullptr, GetWindow(window, GW_CHILD)) << "the surface is a region of the window";

    // The extent follows the in-place rectangle (160 x 40 pixels at 96 DPI).
    SIZEL extent{};
    EXPECT_EQ(S_OK, p.control->GetExtent(DVASPECT_CONTENT, &extent));
    EXPECT_EQ(4233, extent.cx);
    EXPECT_EQ(1058, extent.cy);

    RECT moved{30, 40, 130, 90};
    EXPECT_EQ(S_OK, p.As<IOleInPlaceObject>()->SetObjectRects(&moved, &moved));
    const RECT now = WindowRectIn(window, parent.hwnd());
    EXPECT_TRUE(EqualRect(&now, &moved));

    // A second activation changes nothing; UI activation is told once.
    EXPECT_EQ(S_OK, p.control->DoVerb(OLEIVERB_UIACTIVATE, nullptr, p.site.Get(), 0,
                                      parent.hwnd(), &moved));
    EXPECT_EQ(1, p.site->calls.Count("OnInPlaceActivate"));
    EXPECT_EQ(1, p.site->calls.Count("OnUIActivate"));

    EXPECT_EQ(S_OK, p.As<IOleInPlaceObject>()->InPlaceDeactivate());
    EXPECT_EQ(1, p.site->calls.Count("OnUIDeactivate"));
    EXPECT_EQ(1, p.site->calls.Count("OnInPlaceDeactivate"));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(E_FAIL, p.As<IOleInPlaceObject>()->GetWindow(&window));
    EXPECT_EQ(S_OK, p.As<IOleInPlaceObject>()->InPlaceDeactivate());
    EXPECT_EQ(1, p.site->calls.Count("OnInPlaceDeactivate"));

    // Again, and this time Close ends it.
    ASSERT_EQ(S_OK, p.control->DoVerb(OLEIVERB_SHOW, nullptr, p.site.Get(), 0, parent.hwnd(),
                                      &moved));
    EXPECT_EQ(2, p.site->calls.Count("OnInPlaceActivate"));
    EXPECT_EQ(S_OK, p.control->Close(OLECLOSE_NOSAVE));
    EXPECT_EQ(2, p.site->calls.Count("OnInPlaceDeactivate"));
    p.Close();
  }
  EXPECT_TRUE(Module::CanUnload());
}

TEST(ObjectActivation, NoParentWindowNoActivation) {
  SitedControl p(nullptr);
  RECT rc{0, 0, 10, 10};
  EXPECT_TRUE(FAILED(p.control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, p.site.Get(), 0, nullptr, &rc)));
  EXPECT_EQ(0, p.site->calls.Count("OnInPlaceActivate"));
}

TEST(ObjectActivation, ThePaintSizesTheControlThroughTheSite) {
  ParentWindow parent;
  SitedControl p(parent.hwnd());
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Control, L"Button");
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Text, L"Press me");
  ASSERT_EQ(S_OK, p.Activate());
  HWND window = p.Window();
  // Width and height in one request, so the control moves once.
  ASSERT_EQ(1u, p.site->pos_rect_changes.size());
  const RECT asked = p.site->pos_rect_changes[0];
  EXPECT_EQ(10, asked.left);
  EXPECT_EQ(20, asked.top);
  // The control fitted around the caption plus 12 pixels.
  EXPECT_GT(asked.right - asked.left, 12);
  EXPECT_GT(asked.bottom - asked.top, 12);
  const RECT now = WindowRectIn(window, parent.hwnd());
  EXPECT_TRUE(EqualRect(&now, &asked));

  // The window keeps its look for the window system: the raised frame.
  HDC dc = GetDC(window);
  EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), GetPixel(dc, 1, 0));
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), GetPixel(dc, asked.right - asked.left - 1, 2));
  ReleaseDC(window, dc);
  p.Close();
}

// What the control's window hears, counted between two changes.
WNDPROC g_procedure = nullptr;
int g_paints = 0;
int g_erased_by_the_system = 0;

LRESULT CALLBACK Counting(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallWindowProcW(g_procedure, hwnd, message, wparam, lparam);
  if (message == WM_PAINT) ++g_paints;
  if (message == WM_ERASEBKGND && result == 0) ++g_erased_by_the_system;
  return result;
}

// Each change the window shows costs it one paint, or none where it is drawn
// at once; its background is never left for the system to erase first.
TEST(ObjectActivation, OnePaintPerChange) {
  ParentWindow parent;
  SitedControl p(parent.hwnd());
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Control, L"Button");
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Text, L"Once");
  ASSERT_EQ(S_OK, p.control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, p.site.Get(), 0,
                                    parent.hwnd(), &p.site->rect));
  HWND window = p.Window();
  g_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Counting)));
  const RECT wider{10, 20, 200, 70};
  const struct {
    const char* change;
    std::function<void()> make;
    int paints;
  } cases[] = {
      {"the first paint, which sizes the control", [&] { UpdateWindow(window); }, 1},
      {"a press and a release", [&] {
         SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
         SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(-5, -5));
       }, 0},
      {"a new place from the container",
       [&] { p.As<IOleInPlaceObject>()->SetObjectRects(&wider, &wider); }, 1},
      {"a repaint the window system asks for",
       [&] { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE); }, 1},
  };
  for (const auto& c : cases) {
    g_paints = 0;
    c.make();
    PumpMessages();
    EXPECT_EQ(c.paints, g_paints) << c.change;
  }
  EXPECT_EQ(1u, p.site->pos_rect_changes.size());
  EXPECT_EQ(0, g_erased_by_the_system);
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_procedure));
  p.Close();
}

TEST(ObjectActivation, AContainerThatDoesNotPlaceGetsTheSizeAnyway) {
  ParentWindow parent;
  SitedControl p(parent.hwnd());
  p.site->place_on_request = false;
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Control, L"Text");
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Text, L"Link");
  ASSERT_EQ(S_OK, p.Activate());
  HWND window = p.Window();
  ASSERT_FALSE(p.site->pos_rect_changes.empty());
  const RECT now = WindowRectIn(window, parent.hwnd());
  EXPECT_TRUE(EqualRect(&now, &p.site->pos_rect_changes.back()));
  p.Close();
}

TEST(ObjectActivation, DesignModeAsksUserModeAndNeverSizes) {
  ParentWindow parent;
  SitedControl p(parent.hwnd(), Ambient::kDesigning);
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Control, L"Button");
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Text, L"Design");
  ASSERT_EQ(S_OK, p.Activate());
  HWND window = p.Window();
  EXPECT_GT(p.site->calls.Count("Invoke"), 0);
  EXPECT_TRUE(p.site->pos_rect_changes.empty());
  // The surface as created spans the whole control: its frame runs along
  // the window's edges.
  HDC dc = GetDC(window);
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), GetPixel(dc, 159, 2));
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), GetPixel(dc, 2, 39));
  ReleaseDC(window, dc);

  // The container starts running its form: the next paint lays out.
  p.site->SetAmbient(Ambient::kRunning);
  ComPtr<IOleControl> ole_control;
  ASSERT_EQ(S_OK, p.control.As(&ole_control));
  EXPECT_EQ(S_OK, ole_control->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE));
  UpdateWindow(window);
  PumpMessages();
  // Laid out once per instance, design time counted: the control keeps its size.
  for (const RECT& asked : p.site->pos_rect_changes) {
    const RECT original{10, 20, 170, 60};
    EXPECT_TRUE(EqualRect(&asked, &original));
  }
  p.Close();
}

TEST(ObjectView, DrawRendersTheCurrentLookIntoAMemoryDC) {
  ComPtr<IOleObject> control = NewInitialisedControl<IOleObject>();
  ComPtr<_ZorvickCtrl> dual;
  control.As(&dual);
  PutString(dual.Get(), &_ZorvickCtrl::put_Control, L"Button");
  PutString(dual.Get(), &_ZorvickCtrl::put_Text, L"Hi");
  ComPtr<IViewObject2> view;
  ASSERT_EQ(S_OK, control.As(&view));

  // The first draw lays out and fits the control to the caption.
  {
    MemoryCanvas scratch(10, 10);
    RECTL bounds{0, 0, 10, 10};
    ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, scratch.dc(),
                               &bounds, nullptr, nullptr, 0));
  }
  SIZEL extent{};
  ASSERT_EQ(S_OK, view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent));
  const int w = MulDiv(extent.cx, 96, 2540), h = MulDiv(extent.cy, 96, 2540);
  ASSERT_GT(w, 12);
  ASSERT_GT(h, 12);

  MemoryCanvas canvas(w + 20, h + 20);
  RECTL bounds{10, 10, 10 + w, 10 + h};
  ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds,
                             nullptr, nullptr, 0));
  const COLORREF hl = GetSysColor(COLOR_BTNHIGHLIGHT), dk = GetSysColor(COLOR_3DDKSHADOW);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_BTNTEXT);
  EXPECT_EQ(RGB(0, 0, 0), canvas.At(5, 5)) << "nothing outside the bounds";
  EXPECT_EQ(hl, canvas.At(12, 10)) << "raised frame, top";
  EXPECT_EQ(hl, canvas.At(10, 12)) << "raised frame, left";
  EXPECT_EQ(dk, canvas.At(10 + w - 1, 12)) << "right";
  EXPECT_EQ(dk, canvas.At(12, 10 + h - 1)) << "bottom";
  EXPECT_EQ(face, canvas.At(12, 12));
  int ink = 0;
  for (int y = 16; y < 10 + h - 6; ++y)
    for (int x = 16; x < 10 + w - 6; ++x) ink += canvas.At(x, y) == text;
  EXPECT_GT(ink, 5) << "the caption in button text colour";

  EXPECT_EQ(DV_E_DVASPECT, view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.dc(),
                                      &bounds, nullptr, nullptr, 0));
  EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(),
                                     nullptr, nullptr, nullptr, 0));
}

// A button laid out by a first draw; its size in pixels at 96 DPI.
ComPtr<IViewObject2> LaidOutButton(const wchar_t* caption, SIZE* pixels) {
  ComPtr<IOleObject> control = NewInitialisedControl<IOleObject>();
  ComPtr<_ZorvickCtrl> dual;
  control.As(&dual);
  PutString(dual.Get(), &_ZorvickCtrl::put_Control, L"Button");
  PutString(dual.Get(), &_ZorvickCtrl::put_Text, caption);
  ComPtr<IViewObject2> view;
  control.As(&view);
  MemoryCanvas scratch(10, 10);
  RECTL bounds{0, 0, 10, 10};
  EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, scratch.dc(), &bounds,
                             nullptr, nullptr, 0));
  SIZEL extent{};
  view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent);
  *pixels = SIZE{MulDiv(extent.cx, 96, 2540), MulDiv(extent.cy, 96, 2540)};
  return view;
}

struct Records {
  std::vector<std::wstring> texts;  // of the text records
  int blits = 0;                    // records that copy or stretch pixels
};

int CALLBACK Collect(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
  auto* out = reinterpret_cast<Records*>(data);
  switch (record->iType) {
    case EMR_EXTTEXTOUTW: {
      const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
      const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) +
                                                           text->emrtext.offString);
      out->texts.emplace_back(chars, text->emrtext.nChars);
      break;
    }
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_STRETCHDIBITS: case EMR_SETDIBITSTODEVICE:
    case EMR_MASKBLT: case EMR_PLGBLT: case EMR_ALPHABLEND: case EMR_TRANSPARENTBLT:
      ++out->blits;
      break;
    default:
      break;
  }
  return 1;
}

// Into a metafile, at the window's size and at a printer's, the caption is
// text and nothing is a copied bitmap.
TEST(ObjectView, IntoAMetafileTheCaptionIsTextNotABitmap) {
  SIZE px{};
  ComPtr<IViewObject2> view = LaidOutButton(L"Print me", &px);
  for (const int dpi : {96, 600}) {
    SCOPED_TRACE(dpi);
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, dc);
    RECTL bounds{0, 0, MulDiv(px.cx, dpi, 96), MulDiv(px.cy, dpi, 96)};
    EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr,
                               nullptr, 0));
    HENHMETAFILE file = CloseEnhMetaFile(dc);
    Records records;
    EnumEnhMetaFile(nullptr, file, Collect, &records, nullptr);
    DeleteEnhMetaFile(file);
    EXPECT_EQ(std::vector<std::wstring>{L"Print me"}, records.texts);
    EXPECT_EQ(0, records.blits);
  }
}

// Into a bitmap at 600 DPI the caption is set at 600 DPI: a stretched screen
// image would repeat each of its rows six times over.
TEST(ObjectView, IntoABitmapAt600DpiTheCaptionIsSharp) {
  SIZE px{};
  ComPtr<IViewObject2> view = LaidOutButton(L"Sharp", &px);
  const int w = MulDiv(px.cx, 600, 96), h = MulDiv(px.cy, 600, 96);
  MemoryCanvas canvas(w, h);
  RECTL bounds{0, 0, w, h};
  ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds,
                             nullptr, nullptr, 0));
  const COLORREF face = GetSysColor(COLOR_BTNFACE), hl = GetSysColor(COLOR_BTNHIGHLIGHT);
  // The frame's top line, six pixels thick, as one screen pixel is.
  for (int y = 0; y < 6; ++y) EXPECT_EQ(hl, canvas.At(w / 2, y)) << y;
  EXPECT_EQ(face, canvas.At(w / 2, 8));

  // The caption's ink, inside the frame and its margin.
  const int inset = 20;
  int top = h, bottom = -1;
  for (int y = inset; y < h - inset; ++y) {
    for (int x = inset; x < w - inset; ++x) {
      if (canvas.At(x, y) == face) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  ASSERT_GT(bottom - top, 40) << "a caption set at 9 points of 600 DPI";
  int repeated = 0;
  for (int y = top + 1; y <= bottom; ++y) {
    bool same = true;
    for (int x = inset; x < w - inset && same; ++x) same = canvas.At(x, y) == canvas.At(x, y - 1);
    repeated += same;
  }
  EXPECT_LT(repeated, (bottom - top) / 2);
}

}  // namespace
}  // namespace pelzorvick::test
