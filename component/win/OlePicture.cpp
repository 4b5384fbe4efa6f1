#include "component/win/OlePicture.h"

namespace pelzorvick {

OlePicture::OlePicture(IPicture* picture) : picture_(picture) {
  if (picture_) picture_->AddRef();
}

OlePicture::~OlePicture() {
  if (picture_) picture_->Release();
}

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

IPictureDisp* OlePicture::QueryPictureDisp() const {
  IPictureDisp* disp = nullptr;
  if (!picture_ || FAILED(picture_->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(&disp)))) {
    return nullptr;
  }
  return disp;
}

PicturePtr MakeOlePicture(IUnknown* object) {
  if (!object) return nullptr;
  IPicture* picture = nullptr;
  if (FAILED(object->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture))) || !picture) {
    return nullptr;
  }
  std::shared_ptr<OlePicture> result;
  try {
    result = std::make_shared<OlePicture>(picture);
  } catch (...) {
    picture->Release();
    throw;
  }
  picture->Release();  // the wrapper holds its own reference
  return result;
}

IPicture* OlePictureOf(const Picture* picture) {
  auto* ole = dynamic_cast<const OlePicture*>(picture);
  return ole ? ole->GetPicture() : nullptr;
}

}  // namespace pelzorvick
