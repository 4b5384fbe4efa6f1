#pragma once
// The control's drawing surface on Windows. Everything is drawn into a work
// bitmap at the surface's pixel size; Commit makes it the shown image, which
// the surface's child window paints whenever the window system asks, so the
// surface keeps its look without a paint of the control. A drawing pass that
// fails is rolled back to the last shown image.
//
// Its own coordinates are twips (the screen's twips per pixel); its position
// and size are in the control's inner coordinates (ControlGeometry).
//
// As created, before the control lays it out: at (0, 0), spanning the whole
// client area (it follows the control's size until a width or height is set),
// button-face background, button-text foreground, the system's dialog
// typeface at 8 points.

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "component/seams/Canvas.h"
#include "component/surface/AccessibleSurface.h"
#include "component/com/ComPtr.h"
#include "component/surface/ControlGeometry.h"
#include "component/com/Handles.h"

namespace pelzorvick {

// Mouse events of the surface, in twips from its top-left corner. Button
// masks: 1 left, 2 right, 4 middle; shift masks: 1 shift, 2 control, 4 alt.
class CanvasEvents : public AccessibleSource {
 public:
  virtual ~CanvasEvents() = default;
  virtual void OnCanvasMouseDown(int16_t button, int16_t shift, float x, float y) = 0;
  // `click`: a left release that ends a left press on the surface, over it.
  virtual void OnCanvasMouseUp(int16_t button, int16_t shift, float x, float y, bool click) = 0;
  // Space, Enter or Escape on the focused surface; `repeat`: auto-repeat.
  virtual void OnCanvasKey(CanvasKey key, bool down, bool repeat) = 0;
  // `cue`: the focus came otherwise than by a click, so it is shown.
  virtual void OnCanvasFocus(bool focused, bool cue) = 0;
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

  // The surface's window, a child of `parent` (the control's window).
  // Throws ComError when it cannot be made.
  void CreateWindowIn(HWND parent);
  void DestroyWindow();
  HWND Window() const { return window_.get(); }
  HWND ToolTipWindow() const { return tooltip_; }
  const std::wstring& ToolTipText() const { return tooltip_text_; }
  // A key message the surface acts on: Space, Enter, and Escape while Space
  // is held. Others belong to the container.
  bool WantsKey(const MSG& msg) const;

  // The control's size or inner scale changed: the surface moves to its new
  // pixel rectangle now, if that differs from where it stands.
  void UpdatePlacement();
  // The surface's rectangle in the control's client pixels.
  RECT PixelRect() const;

  // Drawing passes.
  void Commit();
  void Rollback();
  // Copies the shown image into dc with its top-left corner at (x, y).
  void CopyShownTo(HDC dc, int x, int y);

 private:
  static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void RelayMouse(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void OnButtonDown(int16_t button, WPARAM keys, LPARAM lparam);
  void OnButtonUp(int16_t button, WPARAM keys, LPARAM lparam);
  LRESULT OnKey(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT DialogCode(const MSG* msg) const;

  // A memory DC with a bitmap of its own selected; the bitmap goes back out
  // before either is deleted.
  struct Image {
    UniqueMemoryDc dc;
    UniqueBitmap bitmap;
    Selection selected;

    Image() = default;
    Image(Image&&) = default;
    Image& operator=(Image&& other) noexcept {
      selected.reset();
      dc = std::move(other.dc);
      bitmap = std::move(other.bitmap);
      selected = std::move(other.selected);
      return *this;
    }
  };
  static Image MakeImage(HDC screen, SIZE size);

  // The work DC, with bitmaps of the current pixel size; throws ComError.
  HDC Surface();
  [[noreturn]] static void ThrowLastError();
  void EnsureBitmaps();
  void EnsureFont();
  void FillBackground(HDC dc, const RECT& rect);
  HBRUSH BrushFor(COLORREF rgb);
  HPEN PenFor(COLORREF rgb);
  // Placement set by the core waits for the end of its pass, so a layout
  // that sets position and size moves the window once.
  void PlaceLater();
  void PlacePending();
  SIZE MeasureText(std::u16string_view text);
  int LineHeight();
  int ToPixelsX(float twips) const;
  int ToPixelsY(float twips) const;

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
  std::wstring tooltip_text_;
  float current_x_ = 0;
  float current_y_ = 0;

  // The font outlives the images and its selection ends first: it leaves the
  // work DC before the DC goes, and is deleted last. Its generation names it
  // in the measures and recorded text of a pass.
  UniqueFont font_;
  unsigned font_generation_ = 0;
  int line_height_ = -1;  // of the current font, once asked
  struct Measure {
    unsigned font_generation;
    std::u16string text;
    SIZE extent;
  };
  std::vector<Measure> measures_;  // the latest few texts measured
  // Made once and kept while their colour stays.
  UniqueBrush brush_;
  COLORREF brush_rgb_ = 0;
  struct Pen {
    COLORREF rgb;
    UniquePen pen;
  };
  std::vector<Pen> pens_;
  Image work_;
  Image shown_;
  Selection font_selected_;
  SIZE bitmap_size_{0, 0};

  // One drawing operation as far as the image goes: pixels, resolved colour,
  // the picture (held, so that its address names it while recorded), the
  // text and its font.
  struct Op {
    enum Kind { kCls, kLine, kPicture, kText, kFocus } kind;
    explicit Op(Kind k) : kind(k) {}
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    COLORREF color = 0;
    ComPtr<IPicture> picture;
    long hm_width = 0, hm_height = 0;
    std::u16string text;
    unsigned font_generation = 0;
    bool operator==(const Op& o) const;
  };
  // A pass that begins with the same clearing as the one the shown image was
  // drawn by, and repeats it step for step, is not drawn again: the work
  // image already holds its result. At the first difference what it repeated
  // is drawn after all, and drawing goes on from there.
  std::vector<Op> pass_;
  std::vector<Op> shown_ops_;  // empty: the shown image is not described
  bool repeating_ = false;
  void Record(Op op);
  void DrawRepeated();
  void Execute(HDC dc, const Op& op);
  void EndPass();
  void ShowNow();
  bool placement_pending_ = false;
  RECT placed_{0, 0, 0, 0};

  UniqueOwnedWindow window_;
  // The thread's tooltip (shared, not owned) and the window its tool of this
  // surface is registered under.
  HWND tooltip_ = nullptr;
  HWND tool_owner_ = nullptr;
  void AddTool(HWND owner);
  void RemoveTool();
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
  // What was last announced, to tell screen readers only of changes.
  bool announced_ = false;
  bool announced_pressed_ = false;
  std::u16string announced_caption_;
  void AnnounceChanges();
};

// A Windows colour value of the core (0x00BBGGRR, 0x800000nn system colour)
// as a COLORREF.
COLORREF ToColorRef(int32_t color);

}  // namespace pelzorvick
