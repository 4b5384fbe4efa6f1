#include "component/object/WinContainerServices.h"

#include <olectl.h>

#include <cmath>
#include <utility>

#include "common/ComError.h"
#include "component/com/ComPtr.h"
#include "component/com/Handles.h"
#include "component/surface/Units.h"

namespace pelzorvick {
namespace {

constexpr double kHimetricPerTwip = static_cast<double>(kHimetricPerInch) / kTwipsPerInch;

void CheckSize(float twips) {
  if (!std::isfinite(twips) || twips < 0) ThrowOverflow();
}

}  // namespace

WinContainerServices::WinContainerServices(ControlGeometry& geometry, ContainerLink& link)
    : geometry_(geometry), link_(link) {}

bool WinContainerServices::UserMode() {
  IOleClientSite* site = link_.ClientSite();
  if (!site) return true;
  ComPtr<IDispatch> ambient;
  if (FAILED(site->QueryInterface(IID_PPV_ARGS(&ambient))) || !ambient) return true;
  DISPPARAMS none{};
  UniqueVariant result;
  const HRESULT hr = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT,
                                     DISPATCH_PROPERTYGET, &none, result.get(), nullptr, nullptr);
  if (FAILED(hr) || FAILED(VariantChangeType(result.get(), result.get(), 0, VT_BOOL))) return true;
  return V_BOOL(result.get()) != VARIANT_FALSE;
}

void WinContainerServices::SetWidth(float twips) {
  CheckSize(twips);
  if (holding_) {
    if (InPlace()) RoundToPixels(twips / geometry_.TwipsPerPixelX());  // refused now, not later
    held_width_ = twips;
    return;
  }
  Resize(twips, Height());
}

void WinContainerServices::SetHeight(float twips) {
  CheckSize(twips);
  if (holding_) {
    if (InPlace()) RoundToPixels(twips / geometry_.TwipsPerPixelY());
    held_height_ = twips;
    return;
  }
  Resize(Width(), twips);
}

bool WinContainerServices::InPlace() const { return link_.InPlaceSite() && geometry_.HasPosRect(); }

void WinContainerServices::HoldResize() { holding_ = true; }

void WinContainerServices::ReleaseResize() {
  holding_ = false;
  if (!held_width_ && !held_height_) return;
  const float width = Width();
  const float height = Height();
  held_width_.reset();
  held_height_.reset();
  Resize(width, height);
}

void WinContainerServices::Resize(float width_twips, float height_twips) {
  if (InPlace()) {
    IOleInPlaceSite* site = link_.InPlaceSite();
    RECT rect = geometry_.PosRect();
    rect.right = rect.left + RoundToPixels(width_twips / geometry_.TwipsPerPixelX());
    rect.bottom = rect.top + RoundToPixels(height_twips / geometry_.TwipsPerPixelY());
    site->OnPosRectChange(&rect);
    // A container that does not place us itself gets the size anyway.
    const RECT placed = geometry_.PosRect();
    if (!EqualRect(&rect, &placed)) link_.MoveTo(rect);
    return;
  }
  geometry_.SetExtent(SIZEL{static_cast<LONG>(std::lround(width_twips * kHimetricPerTwip)),
                            static_cast<LONG>(std::lround(height_twips * kHimetricPerTwip))});
  if (IOleClientSite* client = link_.ClientSite()) client->RequestNewObjectLayout();
  link_.GeometryChanged();
}

void WinContainerServices::SetScaleWidth(float twips) {
  geometry_.SetScaleWidth(twips);
  link_.GeometryChanged();
}

void WinContainerServices::SetScaleHeight(float twips) {
  geometry_.SetScaleHeight(twips);
  link_.GeometryChanged();
}

void WinContainerServices::AsyncRead(std::u16string_view target, int type,
                                     std::u16string_view property_name, int /*option*/) {
  if (type != kAsyncReadPicture) throw ComError(E_INVALIDARG, u"Only pictures can be read");
  read_ = BackgroundRead::Start(target, property_name, *this);
}

void WinContainerServices::ReadFinished(const AsyncReadResult& read) {
  // Done with before the control hears of it, which may start another.
  const std::unique_ptr<BackgroundRead> done = std::move(read_);
  link_.ReadComplete(read);
}

void WinContainerServices::RaiseClick() { link_.FireClick(); }

}  // namespace pelzorvick
