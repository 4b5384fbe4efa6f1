#pragma once
// Everything the control asks of its container, in one interface.
// Failures are reported by throwing ComError.

#include <cstdint>
#include <string>
#include <string_view>

#include "component/seams/Extent.h"
#include "component/seams/Picture.h"

namespace pelzorvick {

// The completed asynchronous read handed to the control. Either accessor may
// throw; reading the value fails when the download failed or is no picture.
class AsyncReadResult {
 public:
  virtual ~AsyncReadResult() = default;
  virtual std::u16string PropertyName() const = 0;
  virtual PicturePtr Value() const = 0;
};

inline constexpr int kAsyncReadPicture = 0;   // read type: deliver a picture
inline constexpr int kAsyncReadSynchronous = 1;  // read option

// Its Extent is the control's own size, as the container keeps it.
class ContainerServices : public Extent {
 public:
  virtual ~ContainerServices() = default;

  // Ambient UserMode, read afresh at every call; true where none is offered.
  virtual bool UserMode() = 0;
  // The property of that dispatch id changed.
  virtual void PropertyChanged(int32_t dispid) = 0;
  virtual void SetAutoRedraw(bool on) = 0;
  virtual void SetBackStyle(int style) = 0;
  // Extent of the inner coordinate system over the whole client area.
  virtual void SetScaleWidth(float twips) = 0;
  virtual void SetScaleHeight(float twips) = 0;

  // Starts a read of `target`; throws when it cannot start. The completion
  // may be delivered to the control before this returns.
  virtual void AsyncRead(std::u16string_view target, int type,
                         std::u16string_view property_name, int option) = 0;

  virtual void RaiseClick() = 0;
};

}  // namespace pelzorvick
