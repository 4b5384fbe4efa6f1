#include "component/surface/ControlGeometry.h"

#include <cmath>

#include "common/ComError.h"
#include "component/surface/Units.h"

namespace pelzorvick {
namespace {

// The units' ratios in floating point, so that no division truncates.
constexpr double kHimetricInch = kHimetricPerInch;
constexpr double kTwipsInch = kTwipsPerInch;

}  // namespace

int RoundToPixels(float value) {
  if (!std::isfinite(value) || std::fabs(value) > 32767.0f) ThrowOverflow();
  return static_cast<int>(std::lround(value));
}

namespace {

constexpr long long kDeviceLimit = 1LL << 27;
constexpr long long kMaxWindowPixels = 32767;

bool InDeviceSpace(long long v) { return v >= -kDeviceLimit && v <= kDeviceLimit; }

}  // namespace

bool IsPlaceableRect(const RECT& pixels) {
  return InDeviceSpace(pixels.left) && InDeviceSpace(pixels.top) && InDeviceSpace(pixels.right) &&
         InDeviceSpace(pixels.bottom) &&
         static_cast<long long>(pixels.right) - pixels.left <= kMaxWindowPixels &&
         static_cast<long long>(pixels.bottom) - pixels.top <= kMaxWindowPixels;
}

bool IsPlaceableExtent(SIZEL himetric) {
  if (himetric.cx < 0 || himetric.cy < 0) return false;
  return std::lround(himetric.cx * static_cast<double>(ScreenDpiX()) / kHimetricInch) <= kMaxWindowPixels &&
         std::lround(himetric.cy * static_cast<double>(ScreenDpiY()) / kHimetricInch) <= kMaxWindowPixels;
}

bool IsDrawableRect(const RECTL& bounds) {
  return InDeviceSpace(bounds.left) && InDeviceSpace(bounds.top) && InDeviceSpace(bounds.right) &&
         InDeviceSpace(bounds.bottom);
}

void ControlGeometry::SetDpi(Resolution dpi) {
  if (dpi.x <= 0 || dpi.y <= 0) return;
  dpi_ = dpi;
  if (pos_rect_) SetPosRect(*pos_rect_);
}

float ControlGeometry::TwipsPerPixelX() const { return static_cast<float>(kTwipsInch / dpi_.x); }
float ControlGeometry::TwipsPerPixelY() const { return static_cast<float>(kTwipsInch / dpi_.y); }

void ControlGeometry::SetPosRect(const RECT& rect) {
  pos_rect_ = rect;
  const long long w = rect.right > rect.left ? static_cast<long long>(rect.right) - rect.left : 0;
  const long long h = rect.bottom > rect.top ? static_cast<long long>(rect.bottom) - rect.top : 0;
  extent_.cx = static_cast<LONG>(std::lround(w * kHimetricInch / dpi_.x));
  extent_.cy = static_cast<LONG>(std::lround(h * kHimetricInch / dpi_.y));
}

SIZE ControlGeometry::ClientPixels() const {
  if (pos_rect_) {
    return SIZE{pos_rect_->right > pos_rect_->left ? pos_rect_->right - pos_rect_->left : 0,
                pos_rect_->bottom > pos_rect_->top ? pos_rect_->bottom - pos_rect_->top : 0};
  }
  return SIZE{static_cast<LONG>(std::lround(extent_.cx * static_cast<double>(dpi_.x) / kHimetricInch)),
              static_cast<LONG>(std::lround(extent_.cy * static_cast<double>(dpi_.y) / kHimetricInch))};
}

float ControlGeometry::WidthTwips() const {
  if (pos_rect_) return static_cast<float>(ClientPixels().cx) * TwipsPerPixelX();
  return static_cast<float>(extent_.cx * kTwipsInch / kHimetricInch);
}

float ControlGeometry::HeightTwips() const {
  if (pos_rect_) return static_cast<float>(ClientPixels().cy) * TwipsPerPixelY();
  return static_cast<float>(extent_.cy * kTwipsInch / kHimetricInch);
}

void ControlGeometry::SetScaleWidth(float inner) {
  if (std::isfinite(inner) && inner > 0) scale_width_ = inner;
}

void ControlGeometry::SetScaleHeight(float inner) {
  if (std::isfinite(inner) && inner > 0) scale_height_ = inner;
}

int ControlGeometry::InnerToPixelsX(float x) const {
  if (scale_width_) return RoundToPixels(x * static_cast<float>(ClientPixels().cx) / *scale_width_);
  return RoundToPixels(x / TwipsPerPixelX());
}

int ControlGeometry::InnerToPixelsY(float y) const {
  if (scale_height_) return RoundToPixels(y * static_cast<float>(ClientPixels().cy) / *scale_height_);
  return RoundToPixels(y / TwipsPerPixelY());
}

}  // namespace pelzorvick
