#pragma once
// The core's Picture over an OLE picture object.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "component/seams/Picture.h"
#include "component/com/ComPtr.h"

namespace pelzorvick {

class OlePicture : public Picture {
 public:
  // Takes a reference of its own.
  explicit OlePicture(IPicture* picture);
  OlePicture(const OlePicture&) = delete;
  OlePicture& operator=(const OlePicture&) = delete;

  int32_t Width() const override;   // HIMETRIC; 0 when the object cannot say
  int32_t Height() const override;

  // Borrowed: no reference is added.
  IPicture* GetPicture() const { return picture_.Get(); }

 private:
  ComPtr<IPicture> picture_;
};

// A PicturePtr over any object that offers IPicture (IPicture itself or
// IPictureDisp); empty for null or an object without IPicture.
PicturePtr MakeOlePicture(IUnknown* object);

// The OLE picture behind a Picture, borrowed; null when it is none of ours.
IPicture* OlePictureOf(const Picture* picture);

}  // namespace pelzorvick
