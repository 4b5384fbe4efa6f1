#pragma once
// The control's drawing surface on Windows: a region of the control's own
// window, which this class makes and answers for (painting, the mouse and
// its hand cursor, the keys and the focus, the tooltip tool, the accessible
// object). A drawing pass is recorded as it goes; Commit makes it the shown
// image, drawn at once (or by the window's paint in progress) and kept as
// its list of steps, from which the window system's later paints and the
// view object draw it again: no bitmap per control. A pass that fails is
// dropped, and the shown image stays.
//
// Its own coordinates are twips (the control's twips per pixel); its position
// and size are in the control's inner coordinates (ControlGeometry).
//
// As created, before the control lays it out: at (0, 0), spanning the whole
// client area (it follows the control's size until a width or height is set),
// button-face background, button-text foreground, the system's dialog
// typeface at 8 points. The window outside the surface shows the button face.

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/seams/Canvas.h"
#include "component/surface/AccessibleSurface.h"
#include "component/com/ComPtr.h"
#include "component/surface/ControlGeometry.h"
#include "component/com/Handles.h"

namespace pelzorvick {

// What the surface's window tells the control: its paint, and the mouse (in
// twips from the surface's top-left corner), keys and focus. Button masks:
// 1 left, 2 right, 4 middle; shift masks: 1 shift, 2 control, 4 alt.
class CanvasEvents : public AccessibleSource {
 public:
  virtual ~CanvasEvents() = default;
  // The window is to be painted: the control's paint runs, and commits or
  // rolls back its pass; the window then shows the surface's image.
  virtual void OnCanvasPaint() = 0;
  virtual void OnCanvasMouseDown(int16_t button, int16_t shift, float x, float y) = 0;
  // `click`: a left release that ends a left press on the surface, over it.
  virtual void OnCanvasMouseUp(int16_t button, int16_t shift, float x, float y, bool click) = 0;
  // Space, Enter or Escape on the focused surface; `repeat`: auto-repeat.
  virtual void OnCanvasKey(CanvasKey key, bool down, bool repeat) = 0;
  // `cue`: the focus came otherwise than by a click, so it is shown.
  virtual void OnCanvasFocus(bool focused, bool cue) = 0;
  // The window's DPI may have changed (WM_DPICHANGED_AFTERPARENT): the
  // control is to lay out and draw again.
  virtual void OnCanvasDpiChanged() = 0;
  // The system's colours or settings changed (high contrast among them):
  // the control takes its colours again and is drawn again.
  virtual void OnCanvasColorsChanged() = 0;
};

class WinCanvas : public Canvas {
 public:
  WinCanvas(const ControlGeometry& geometry, CanvasEvents& events);
  ~WinCanvas() override;
  WinCanvas(const WinCanvas&) = delete;
  WinCanvas& operator=(const WinCanvas&) = delete;

  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  float Width() override;
  float Height() override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  void SetForeColor(int32_t color) override;
  void SetBackColor(int32_t color) override;
  // Sizes that are not positive are ignored (the font keeps its size); sizes
  // above 2048 points are taken as 2048.
  void SetFontSize(float points) override;
  void SetFontBold(bool on) override;
  void SetFontUnderline(bool on) override;
  void SetToolTipText(std::u16string_view text) override;
  void SetCurrentX(float twips) override;
  void SetCurrentY(float twips) override;
  void Cls() override;
  // Both end points are drawn, so a line from (0, 0) to (w, 0) covers
  // columns 0 .. w inclusive.
  void Line(float x1, float y1, float x2, float y2, int32_t color) override;
  // Throws the type mismatch for a picture that is not an OLE picture.
  void PaintPicture(const Picture& picture, float x, float y) override;
  // Prints at the print position (line breaks start new lines there), in
  // the foreground colour with a transparent background; afterwards the
  // print position is at the start of the line below the text.
  void Print(std::u16string_view text) override;
  void DrawFocusRect(float x1, float y1, float x2, float y2) override;
  // The whole text's extent; an empty text is one line high and 0 wide.
  float TextWidth(std::u16string_view text) override;
  float TextHeight(std::u16string_view text) override;
  float HimetricToTwipsX(float himetric) override;
  float HimetricToTwipsY(float himetric) override;
  float TwipsPerPixelX() override;
  float TwipsPerPixelY() override;

  // The control's window, a tab stop, shown at `pixels` in `parent`.
  // Throws ComError when it cannot be made.
  void CreateWindowIn(HWND parent, const RECT& pixels);
  void DestroyWindow();
  HWND Window() const { return window_.get(); }
  // The thread's tooltip, once the pointer has moved over the window.
  HWND ToolTipWindow() const { return tooltip_; }
  // A key message the surface acts on: Space, Enter, and Escape while Space
  // is held. Others belong to the container.
  bool WantsKey(const MSG& msg) const;
  // The window has the focus, as its focus messages told (asking the window
  // system is a round trip).
  bool Focused() const { return focused_; }

  // The control's size or inner scale changed: the surface takes its new
  // pixel rectangle, and the window is painted again if it moved.
  void UpdatePlacement();
  // The surface's rectangle in the control's client pixels.
  RECT PixelRect() const;

  // Drawing passes.
  void Commit();
  void Rollback();
  // The control as its window shows it (the surface's image at its place,
  // the button face around it), its client area mapped onto `bounds` of dc:
  // onto the screen, or a bitmap at the window's resolution and size, pixel
  // for pixel; onto anything else in vectors at that DC's resolution.
  void DrawControl(HDC dc, const RECT& bounds);

 private:
  void DrawClient(HDC dc);
  void DrawScaled(HDC dc, const RECT& bounds, bool vector);
  static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HWND hwnd);
  void RelayMouse(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  bool OverSurface(LPARAM client_point) const;
  void OnButtonDown(int16_t button, WPARAM keys, LPARAM lparam);
  void OnButtonUp(int16_t button, WPARAM keys, LPARAM lparam);
  LRESULT OnKey(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT DialogCode(const MSG* msg) const;

  // The system's last error as a ComError with `what` for its text.
  [[noreturn]] static void ThrowLastError(std::u16string_view what = u"The drawing surface failed");
  // The resolution the surface draws at, the control's (ControlGeometry),
  // one place for all of its units.
  int DpiX() const;
  int DpiY() const;
  // The thread's DC that measures text, shared by its surfaces; throws
  // ComError.
  HDC MeasuringDc();
  bool measuring_ = false;  // this surface is one of its users
  DWORD measuring_thread_ = 0;
  void EnsureFont();
  // Placement set by the core waits for the end of its pass, so a layout
  // that sets position and size repaints the window once.
  void PlaceLater();
  void PlacePending();
  SIZE MeasureText(std::u16string_view text);
  int LineHeight();
  int ToPixelsX(float twips);
  int ToPixelsY(float twips);

  const ControlGeometry& geometry_;
  CanvasEvents& events_;

  float left_ = 0;
  float top_ = 0;
  std::optional<float> width_;
  std::optional<float> height_;
  int32_t fore_color_;
  int32_t back_color_;
  std::wstring face_;
  float font_size_ = 8;
  bool bold_ = false;
  bool underline_ = false;
  bool font_dirty_ = true;
  int font_dpi_ = 0;  // the resolution font_ was made for
  std::wstring tooltip_text_;
  float current_x_ = 0;
  float current_y_ = 0;

  // Shared with the recorded steps that print in it, so that an image keeps
  // its font after the surface has made another. Its generation names it in
  // the measures.
  std::shared_ptr<UniqueFont> font_;
  unsigned font_generation_ = 0;
  int line_height_ = -1;  // of the current font, once asked
  struct Measure {
    unsigned font_generation;
    std::u16string text;
    SIZE extent;
  };
  std::vector<Measure> measures_;  // the latest few texts measured

  // One drawing step, in the surface's pixels, with its colour resolved and
  // the picture and font it needs held.
  struct Op {
    enum Kind { kCls, kLine, kPicture, kText, kFocus } kind;
    explicit Op(Kind k) : kind(k) {}
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    COLORREF color = 0;
    ComPtr<IPicture> picture;
    long hm_width = 0, hm_height = 0;
    std::u16string text;
    std::shared_ptr<UniqueFont> font;
    int line_height = 0;
    bool operator==(const Op& o) const;
  };
  std::vector<Op> pass_;
  // The shown image: the background, then these steps from the last
  // clearing on.
  std::vector<Op> shown_;
  void Record(Op op);
  // How the steps meet a DC: the window's pixels one to one, or, on a
  // printer, a metafile or a bitmap of another size, in vectors scaled to it
  // (fills and lines as shapes, the caption in its font scaled, the picture
  // rendered at the size it takes there; no focus cue on paper).
  struct Target {
    double x = 1, y = 1;  // target pixels per surface pixel
    bool vector = false;
    int X(int v) const;
    int Y(int v) const;
  };
  // `all`: the surface's pixels, from (0, 0).
  void Execute(HDC dc, const Op& op, const RECT& all, const Target& target) const;
  // The shown image onto dc with the surface's top-left corner at (x, y),
  // clipped to the surface. Throws the first step's failure, having drawn
  // the others.
  void DrawShown(HDC dc, int x, int y, const Target& target) const;
  void ShowNow();
  bool placement_pending_ = false;
  RECT placed_{0, 0, 0, 0};

  UniqueOwnedWindow window_;
  bool painting_ = false;  // inside the window's paint, which shows the image
  // The thread's tooltip (shared, not owned) and whether this window is a
  // tool of it.
  HWND tooltip_ = nullptr;
  void AddTool();
  void RemoveTool();
  void UpdateTool(UINT message);
  // Lets go of the window and all that goes with it (the accessible object,
  // the tool, the input state); `destroy`: it is ours to destroy, not
  // already going with its parent.
  void DropWindow(bool destroy);
  int16_t buttons_down_ = 0;
  bool space_down_ = false;
  bool focus_by_click_ = false;
  // Kept from the focus and capture messages, so that a press need not ask
  // the window system (a round trip each).
  bool focused_ = false;
  bool captured_ = false;

  // Handed to screen readers; disconnected when the window goes.
  ComPtr<AccessibleSurface> accessible_;
  LRESULT AccessibleObject(WPARAM wparam);
  void DisconnectAccessible();
  RECT ScreenRect() const;
  // What was last announced, to tell screen readers only of changes.
  bool announced_ = false;
  bool announced_pressed_ = false;
  std::u16string announced_caption_;
  void AnnounceChanges();
};

// A Windows colour value of the core (0x00BBGGRR, 0x800000nn system colour)
// as a COLORREF.
COLORREF ToColorRef(int32_t color);

// A solid fill of `rect`: on the window's pixels through the DC's own brush
// (nothing made per step); as a vector shape (`vector`) where the DC is a
// printer or a metafile, which keeps it a rectangle rather than a block
// transfer.
void FillShape(HDC dc, const RECT& rect, COLORREF rgb, bool vector);

}  // namespace pelzorvick
