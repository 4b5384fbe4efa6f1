// The drawing surface on its own: units, colours, lines, text, the cursor,
// a failed pass rolled back, and the control's window it is a region of:
// its tooltip and its mouse.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ComError.h"
#include "component/surface/ControlGeometry.h"
#include "component/surface/HandCursor.h"
#include "component/surface/WinCanvas.h"
#include "tests/component-object/Fakes.h"

namespace pelzorvick::test {
namespace {

// Records the mouse as the control would get it: button, shift mask, twips.
class NoEvents : public CanvasEvents {
 public:
  std::vector<std::string> mouse;
  void OnCanvasMouseDown(int16_t button, int16_t shift, float x, float y) override {
    mouse.push_back("down " + Args(button, shift, x, y));
  }
  void OnCanvasMouseUp(int16_t button, int16_t shift, float x, float y, bool click) override {
    mouse.push_back("up " + Args(button, shift, x, y) + (click ? " click" : ""));
  }
  static std::string Args(int16_t button, int16_t shift, float x, float y) {
    return std::to_string(button) + " " + std::to_string(shift) + " " + std::to_string(int(x)) + " " +
           std::to_string(int(y));
  }
  void OnCanvasPaint() override {}
  void OnCanvasKey(CanvasKey, bool, bool) override {}
  void OnCanvasFocus(bool, bool) override {}
  void OnCanvasDpiChanged() override {}
  void OnCanvasColorsChanged() override {}
  AccessibleFacts DescribeSurface() override { return {}; }
  void DoSurfaceDefaultAction() override {}
  bool SurfacePressed() override { return false; }
  std::u16string SurfaceCaption() override { return {}; }
};

class NotOle : public Picture {
 public:
  int32_t Width() const override { return 100; }
  int32_t Height() const override { return 100; }
};

// A control's surface, 160 x 40 pixels as created; At reads the control's
// look as its window shows it.
struct Surface {
  static constexpr RECT kClient{0, 0, 160, 40};
  ControlGeometry geometry;
  NoEvents events;
  WinCanvas canvas{geometry, events};
  void CreateWindowIn(HWND parent) { canvas.CreateWindowIn(parent, kClient); }
  COLORREF At(int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(kClient.right, kClient.bottom, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    canvas.DrawControl(dc, kClient);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return c;
  }
};

TEST(Canvas, UnitsAtTheScreensResolution) {
  Surface s;
  EXPECT_EQ(15.0f, s.canvas.TwipsPerPixelX());  // 96 DPI
  EXPECT_EQ(15.0f, s.canvas.TwipsPerPixelY());
  EXPECT_FLOAT_EQ(1440.0f, s.canvas.HimetricToTwipsX(2540));
  EXPECT_FLOAT_EQ(720.0f, s.canvas.HimetricToTwipsY(1270));
  // As created it spans the control: 2400 x 600 twips, 160 x 40 pixels.
  EXPECT_NEAR(2400.0f, s.canvas.Width(), 0.5f);
  const RECT rc = s.canvas.PixelRect();
  EXPECT_EQ(160, rc.right - rc.left);
  EXPECT_EQ(40, rc.bottom - rc.top);
  s.canvas.SetLeft(150);
  s.canvas.SetWidth(300);
  const RECT moved = s.canvas.PixelRect();
  EXPECT_EQ(10, moved.left);
  EXPECT_EQ(30, moved.right);
  // Beyond what a window can be: the overflow error, not a wrapped size, and
  // the surface keeps the size it had.
  EXPECT_THROW(s.canvas.SetWidth(1e9f), ComError);
  EXPECT_FLOAT_EQ(300.0f, s.canvas.Width());
  EXPECT_EQ(30, s.canvas.PixelRect().right);
}

TEST(Canvas, SystemAndDirectColours) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ToColorRef(static_cast<int32_t>(0x8000000F)));
  EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), ToColorRef(static_cast<int32_t>(0x80000015)));
  EXPECT_EQ(RGB(0x11, 0x22, 0x33), ToColorRef(0x00332211));
}

TEST(Canvas, ClsLineAndTextThenCommit) {
  Surface s;
  s.canvas.SetBackColor(0x00FFFFFF);
  s.canvas.Cls();
  s.canvas.Line(0, 0, 150, 0, 0x000000FF);  // 10 pixels: columns 0 .. 10
  s.canvas.Commit();
  EXPECT_EQ(RGB(255, 0, 0), s.At(0, 0));
  EXPECT_EQ(RGB(255, 0, 0), s.At(10, 0)) << "the end point is drawn";
  EXPECT_EQ(RGB(255, 255, 255), s.At(11, 0));

  const float w = s.canvas.TextWidth(u"Wide text");
  const float h = s.canvas.TextHeight(u"Wide text");
  EXPECT_GT(w, 0);
  EXPECT_EQ(0.0f, s.canvas.TextWidth(u""));
  EXPECT_EQ(h, s.canvas.TextHeight(u""));
  EXPECT_EQ(2 * h, s.canvas.TextHeight(u"two\r\nlines"));
  // CR LF, LF and CR each end a line; the widest line is the width.
  EXPECT_EQ(5 * h, s.canvas.TextHeight(u"a\nb\rc\r\nd\n"));
  EXPECT_EQ(w, s.canvas.TextWidth(u"a\r\nWide text\rb"));
  s.canvas.SetFontSize(20);
  EXPECT_GT(s.canvas.TextWidth(u"Wide text"), w);
  s.canvas.SetFontSize(-3);  // ignored
  s.canvas.SetFontBold(true);
  EXPECT_GT(s.canvas.TextWidth(u"Wide text"), w);
}

TEST(Canvas, FocusRectangleIsDottedOnItsEdgesOnly) {
  Surface s;
  s.canvas.SetBackColor(0x00FFFFFF);
  s.canvas.Cls();
  s.canvas.DrawFocusRect(45, 45, 300, 150);  // pixels (3, 3) .. (20, 10) inclusive
  s.canvas.Commit();
  const COLORREF white = RGB(255, 255, 255);
  EXPECT_EQ(white, s.At(2, 3)) << "nothing before the first column";
  EXPECT_EQ(white, s.At(10, 6)) << "the inside is untouched";
  EXPECT_EQ(white, s.At(21, 10)) << "nothing beyond the last column";
  EXPECT_EQ(white, s.At(3, 11)) << "nothing below the last row";
  // Dotted, on all four edges.
  int top = 0, bottom = 0, left = 0, right = 0;
  for (int x = 3; x <= 20; ++x) {
    top += s.At(x, 3) != white;
    bottom += s.At(x, 10) != white;
  }
  for (int y = 3; y <= 10; ++y) {
    left += s.At(3, y) != white;
    right += s.At(20, y) != white;
  }
  EXPECT_GT(top, 6);
  EXPECT_LT(top, 18);
  EXPECT_GT(bottom, 6);
  EXPECT_GT(left, 2);
  EXPECT_GT(right, 2);
}

TEST(Canvas, AFailedPassLeavesTheShownImage) {
  Surface s;
  s.canvas.SetBackColor(0x00FFFFFF);
  s.canvas.Cls();
  s.canvas.Commit();
  s.canvas.SetBackColor(0x00000000);
  s.canvas.Cls();
  NotOle picture;
  EXPECT_THROW(s.canvas.PaintPicture(picture, 0, 0), ComError);
  s.canvas.Rollback();
  s.canvas.Commit();
  EXPECT_EQ(RGB(255, 255, 255), s.At(5, 5));
}

TEST(Canvas, HandCursorIsMonochrome32WithItsHotSpot) {
  HCURSOR cursor = CreateHandCursor(GetModuleHandleW(nullptr));
  ASSERT_NE(nullptr, cursor);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(5u, info.xHotspot);
  EXPECT_EQ(1u, info.yHotspot);
  EXPECT_EQ(nullptr, info.hbmColor) << "monochrome";
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(32, mask.bmWidth);
  EXPECT_EQ(64, mask.bmHeight);  // AND and XOR masks stacked
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);
}

// The window becomes a tool of the thread's tooltip at the pointer's first
// move over it, with the text set before or after.
TEST(Canvas, TheTooltipToolComesWithThePointersFirstMove) {
  ParentWindow parent;
  Surface s;
  s.canvas.SetToolTipText(u"before the window");
  s.CreateWindowIn(parent.hwnd());
  EXPECT_EQ(nullptr, s.canvas.ToolTipWindow()) << "no tooltip before the pointer comes";
  SendMessageW(s.canvas.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_NE(nullptr, s.canvas.ToolTipWindow());
  wchar_t text[80] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = s.canvas.Window();
  ti.lpszText = text;
  SendMessageW(s.canvas.ToolTipWindow(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ(L"before the window", text);
  s.canvas.SetToolTipText(u"Exec command not set");
  SendMessageW(s.canvas.ToolTipWindow(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ(L"Exec command not set", text);
  s.canvas.DestroyWindow();
}

// The tooltip hears the pointer resting on the surface and shows the text,
// and goes when a button is pressed.
TEST(Canvas, TooltipShowsOverTheSurfaceUntilAPress) {
  ParentWindow parent;
  Surface s;
  s.canvas.SetToolTipText(u"notepad");
  s.CreateWindowIn(parent.hwnd());
  HWND w = s.canvas.Window();
  POINT p{5, 5};
  ClientToScreen(w, &p);
  SetCursorPos(p.x, p.y);
  SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  HWND tip = s.canvas.ToolTipWindow();
  ASSERT_NE(nullptr, tip);
  SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
  PostMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  for (int i = 0; i < 200 && !IsWindowVisible(tip); ++i) {
    PumpMessages();
    Sleep(10);
  }
  EXPECT_TRUE(IsWindowVisible(tip));
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PumpMessages();
  EXPECT_FALSE(IsWindowVisible(tip));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  s.canvas.DestroyWindow();
}

// Shift and Ctrl as the message carries them, whatever the keyboard says now;
// a release outside the surface is no click; the window around a smaller
// surface takes no press, and the surface's own corner is its origin.
TEST(Canvas, MouseMessagesCarryButtonShiftAndTwips) {
  ParentWindow parent;
  Surface s;
  s.CreateWindowIn(parent.hwnd());
  HWND w = s.canvas.Window();
  const auto send = [&](UINT message, WPARAM keys, int x, int y) {
    SendMessageW(w, message, keys, MAKELPARAM(x, y));
  };
  send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT | MK_CONTROL, 2, 3);
  send(WM_LBUTTONUP, MK_CONTROL, 4, 5);
  send(WM_RBUTTONDOWN, MK_RBUTTON, 1, 1);
  send(WM_RBUTTONUP, MK_SHIFT, -5, 1);
  send(WM_LBUTTONDOWN, MK_LBUTTON, 1, 1);
  send(WM_LBUTTONUP, 0, 1, 400);
  s.canvas.SetLeft(150);  // pixels 10 .. 29
  s.canvas.SetWidth(300);
  s.canvas.UpdatePlacement();
  send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  send(WM_LBUTTONUP, 0, 5, 5);
  send(WM_LBUTTONDOWN, MK_LBUTTON, 12, 3);
  send(WM_LBUTTONUP, 0, 40, 3);
  const std::vector<std::string> expected{"down 1 3 30 45", "up 1 2 60 75 click", "down 2 0 15 15",
                                          "up 2 1 -75 15",  "down 1 0 15 15",     "up 1 0 15 6000",
                                          "down 1 0 30 45", "up 1 0 450 45"};
  EXPECT_EQ(expected, s.events.mouse);
  s.canvas.DestroyWindow();
}

}  // namespace
}  // namespace pelzorvick::test
