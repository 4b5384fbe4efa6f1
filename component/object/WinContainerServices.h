#pragma once
// The container's services over the control's client site.

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <memory>
#include <optional>

#include "component/picture/BackgroundRead.h"
#include "component/seams/ContainerServices.h"
#include "component/surface/ControlGeometry.h"

namespace pelzorvick {

// What the services need of the control object that owns them.
class ContainerLink {
 public:
  virtual ~ContainerLink() = default;
  // Borrowed; null while the control has no site.
  virtual IOleClientSite* ClientSite() = 0;
  // Borrowed; null unless the control is active in place.
  virtual IOleInPlaceSite* InPlaceSite() = 0;
  // The property changed: the sinks hear of it and the control is dirty.
  virtual void PropertyChanged(DISPID dispid) = 0;
  virtual void FireClick() = 0;
  // The control's rectangle in its parent's pixels, set by the control.
  virtual void MoveTo(const RECT& pixels) = 0;
  // The extent or inner scale changed.
  virtual void GeometryChanged() = 0;
  virtual void ReadComplete(const AsyncReadResult& read) = 0;
};

class WinContainerServices : public ContainerServices, private ReadRecipient {
 public:
  WinContainerServices(ControlGeometry& geometry, ContainerLink& link);

  // Ambient UserMode through the site's IDispatch; true when there is none
  // or it does not answer.
  bool UserMode() override;
  void PropertyChanged(int32_t dispid) override { link_.PropertyChanged(dispid); }
  void SetAutoRedraw(bool on) override { auto_redraw_ = on; }
  void SetBackStyle(int style) override { back_style_ = style; }
  float Width() override { return held_width_.value_or(geometry_.WidthTwips()); }
  float Height() override { return held_height_.value_or(geometry_.HeightTwips()); }
  // While active in place the site is asked for the new rectangle
  // (OnPosRectChange); otherwise the extent changes and the site is asked for
  // a new layout. Not finite or negative sizes throw the overflow error.
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  // Between the two, sizes set are kept and asked for once at the end, so
  // that a width and a height move the control once.
  void HoldResize();
  void ReleaseResize();
  void SetScaleWidth(float twips) override;
  void SetScaleHeight(float twips) override;
  // Only pictures (type 0). Starts the download in the background and
  // returns, whatever the option asks: a read that waited here would hold
  // the container's thread. The completion comes later, on this thread
  // (ContainerLink::ReadComplete), unless these services go first. A
  // download that cannot start throws; a later read replaces an earlier one.
  void AsyncRead(std::u16string_view target, int type, std::u16string_view property_name,
                 int option) override;
  void RaiseClick() override;

 private:
  void Resize(float width_twips, float height_twips);
  bool InPlace() const;
  void ReadFinished(const AsyncReadResult& read) override;

  ControlGeometry& geometry_;
  ContainerLink& link_;
  bool holding_ = false;
  std::optional<float> held_width_;
  std::optional<float> held_height_;
  // Kept as the control sets them; a window of its own needs neither.
  bool auto_redraw_ = false;
  int back_style_ = 1;
  std::unique_ptr<BackgroundRead> read_;
};

}  // namespace pelzorvick
