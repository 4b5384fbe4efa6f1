#pragma once
// Where the control is and how big, and its inner coordinate system: the
// extent the container knows (HIMETRIC), the in-place rectangle while the
// control is active (pixels), and the inner scale that maps the control's
// inner coordinates onto its client area.

#include <windows.h>

#include <optional>

#include "component/surface/Units.h"

namespace pelzorvick {

// Inner coordinates and twips turn into pixels through this: rounded to the
// nearest pixel; NaN, infinities and results beyond +-32767 pixels throw the
// overflow error.
int RoundToPixels(float value);

// What a container may hand over. A placement: coordinates within the
// device space (+-2^27) and a size no larger than a window can have (32767
// pixels); an extent: no larger than that at the screen's resolution; drawing
// bounds: coordinates within the device space. Checked where they come in,
// so that nothing later overflows on them.
bool IsPlaceableRect(const RECT& pixels);
bool IsPlaceableExtent(SIZEL himetric);
bool IsDrawableRect(const RECTL& bounds);

class ControlGeometry {
 public:
  // What the control has before any container says otherwise: 2400 x 600
  // twips.
  static constexpr SIZEL kDefaultExtent{4233, 1058};

  // The resolution the control is laid out and drawn at: its window's, once
  // it has one, otherwise the screen's. A new one keeps the in-place
  // rectangle, whose pixels are the window's, and takes the extent from it.
  Resolution Dpi() const { return dpi_; }
  void SetDpi(Resolution dpi);
  float TwipsPerPixelX() const;
  float TwipsPerPixelY() const;

  SIZEL Extent() const { return extent_; }
  void SetExtent(SIZEL himetric) { extent_ = himetric; }

  bool HasPosRect() const { return pos_rect_.has_value(); }
  RECT PosRect() const { return pos_rect_.value_or(RECT{}); }
  // Also brings the extent to the rectangle's size.
  void SetPosRect(const RECT& rect);
  void ClearPosRect() { pos_rect_.reset(); }

  // The client area in pixels: the in-place rectangle, or the extent at the
  // control's resolution.
  SIZE ClientPixels() const;
  // The control's size in twips.
  float WidthTwips() const;
  float HeightTwips() const;

  // Once set, the inner extent spans the whole client area whatever its
  // size; until then an inner unit is a twip. Values that are not positive
  // and finite are ignored.
  void SetScaleWidth(float inner);
  void SetScaleHeight(float inner);

  // The inner extent of the whole client area.
  float InnerWidth() const { return scale_width_.value_or(WidthTwips()); }
  float InnerHeight() const { return scale_height_.value_or(HeightTwips()); }

  int InnerToPixelsX(float x) const;
  int InnerToPixelsY(float y) const;

 private:
  Resolution dpi_ = ScreenResolution();
  SIZEL extent_ = kDefaultExtent;
  std::optional<RECT> pos_rect_;
  std::optional<float> scale_width_;
  std::optional<float> scale_height_;
};

}  // namespace pelzorvick
