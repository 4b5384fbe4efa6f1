#pragma once
// The child drawing surface the control shows itself on. Coordinates and
// sizes are twips in the control's inner coordinate system.

#include <cstdint>
#include <string_view>

#include "component/seams/Extent.h"
#include "component/seams/Picture.h"

namespace pelzorvick {

// The keys the focused surface acts on.
enum class CanvasKey { kSpace, kEnter, kEscape };

// Its Extent is the surface's size.
class Canvas : public Extent {
 public:
  virtual ~Canvas() = default;

  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;

  // 0x00BBGGRR, or 0x800000nn for system colour nn.
  virtual void SetForeColor(int32_t color) = 0;
  virtual void SetBackColor(int32_t color) = 0;
  virtual void SetFontSize(float points) = 0;
  virtual void SetFontBold(bool on) = 0;
  virtual void SetFontUnderline(bool on) = 0;
  virtual void SetToolTipText(std::u16string_view text) = 0;
  virtual void SetCurrentX(float twips) = 0;
  virtual void SetCurrentY(float twips) = 0;

  // Fills with the background colour; the print position goes to (0, 0).
  virtual void Cls() = 0;
  virtual void Line(float x1, float y1, float x2, float y2, int32_t color) = 0;
  // The whole picture at its natural size, top-left at (x, y).
  virtual void PaintPicture(const Picture& picture, float x, float y) = 0;
  virtual void Print(std::u16string_view text) = 0;
  // The system's dotted focus rectangle; (x1, y1) and (x2, y2) are its
  // outer corners, both inside it.
  virtual void DrawFocusRect(float x1, float y1, float x2, float y2) = 0;
  virtual float TextWidth(std::u16string_view text) = 0;
  virtual float TextHeight(std::u16string_view text) = 0;

  virtual float HimetricToTwipsX(float himetric) = 0;
  virtual float HimetricToTwipsY(float himetric) = 0;
  // The screen's twips per device pixel.
  virtual float TwipsPerPixelX() = 0;
  virtual float TwipsPerPixelY() = 0;
};

}  // namespace pelzorvick
