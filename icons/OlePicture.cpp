#include "icons/OlePicture.h"

namespace pelzorvick {

OlePicture::OlePicture(IPicture* picture) : picture_(picture) {}

int32_t OlePicture::Width() const {
  OLE_XSIZE_HIMETRIC width = 0;
  if (!picture_ || FAILED(picture_->get_Width(&width))) return 0;
  return width;
}

int32_t OlePicture::Height() const {
  OLE_YSIZE_HIMETRIC height = 0;
  if (!picture_ || FAILED(picture_->get_Height(&height))) return 0;
  return height;
}

PicturePtr MakeOlePicture(IUnknown* object) {
  if (!object) return nullptr;
  ComPtr<IPicture> picture;
  if (FAILED(object->QueryInterface(IID_PPV_ARGS(&picture))) || !picture) return nullptr;
  return std::make_shared<OlePicture>(picture.Get());
}

IPicture* OlePictureOf(const Picture* picture) {
  auto* ole = dynamic_cast<const OlePicture*>(picture);
  return ole ? ole->GetPicture() : nullptr;
}

}  // namespace pelzorvick
