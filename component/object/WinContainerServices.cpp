#include "component/object/WinContainerServices.h"

#include <olectl.h>

#include <cmath>
#include <memory>
#include <optional>

#include "common/ComError.h"
#include "component/com/ComPtr.h"
#include "component/com/Handles.h"
#include "component/picture/PictureDownload.h"
#include "component/surface/Units.h"

namespace pelzorvick {
namespace {

constexpr double kHimetricPerTwip = static_cast<double>(kHimetricPerInch) / kTwipsPerInch;

// The completion of a download that already ran.
class FinishedRead : public AsyncReadResult {
 public:
  FinishedRead(std::u16string_view name, PicturePtr picture, std::optional<ComError> error)
      : name_(name), picture_(std::move(picture)), error_(std::move(error)) {}
  std::u16string PropertyName() const override { return name_; }
  PicturePtr Value() const override {
    if (error_) throw *error_;
    return picture_;
  }

 private:
  std::u16string name_;
  PicturePtr picture_;
  std::optional<ComError> error_;
};

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
  Resize(twips, Height());
}

void WinContainerServices::SetHeight(float twips) {
  CheckSize(twips);
  Resize(Width(), twips);
}

void WinContainerServices::Resize(float width_twips, float height_twips) {
  IOleInPlaceSite* site = link_.InPlaceSite();
  if (site && geometry_.HasPosRect()) {
    RECT rect = geometry_.PosRect();
    rect.right = rect.left + RoundToPixels(width_twips / ScreenTwipsPerPixelX());
    rect.bottom = rect.top + RoundToPixels(height_twips / ScreenTwipsPerPixelY());
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
  std::unique_ptr<PictureDownload> download = PictureDownload::Start(target);
  PicturePtr picture;
  std::optional<ComError> error;
  try {
    picture = download->Complete();
  } catch (const ComError& e) {
    error = e;
  }
  download.reset();
  link_.ReadComplete(FinishedRead(property_name, std::move(picture), std::move(error)));
}

void WinContainerServices::RaiseClick() { link_.FireClick(); }

}  // namespace pelzorvick
