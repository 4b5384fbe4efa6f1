#include <utility>
#include <vector>

#include "component/persist/MemoryPropertyBag.h"
#include "component/persist/PropertyStream.h"
#include "component/com/ErrorInfo.h"
#include "component/object/WinPropertyBag.h"
#include "component/object/ZorvickObject.h"

// Persistence: the container's property bag, and our own checked stream for
// containers that persist through streams and storages.

namespace pelzorvick {
namespace {

constexpr wchar_t kContentsStream[] = L"Contents";

// The stream's values must convert to the properties' types, or reading
// them would stop half-way and leave the control changed. Strings take any
// value.
bool ValuesConvert(const MemoryPropertyBag& bag) {
  try {
    for (const Property& p : ZorvickCtrl::kProperties) {
      const PropertyValue* v = bag.Find(p.name);
      if (v == nullptr) continue;
      switch (p.type()) {
        case PropertyType::kSingle: PropertyValueToSingle(*v); break;
        case PropertyType::kBool: PropertyValueToBool(*v); break;
        case PropertyType::kString: break;
      }
    }
  } catch (const ComError&) {
    return false;
  }
  return true;
}

HRESULT ReadExactly(IStream* stream, void* data, ULONG size) {
  auto* bytes = static_cast<uint8_t*>(data);
  while (size > 0) {
    ULONG read = 0;
    const HRESULT hr = stream->Read(bytes, size, &read);
    if (FAILED(hr)) return hr;
    if (read == 0) return STG_E_READFAULT;
    bytes += read;
    size -= read;
  }
  return S_OK;
}

const std::u16string kBadStream = u"The stored properties are damaged or of an unknown version";

}  // namespace

HRESULT ZorvickObject::GetClassID(Guarded, CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_ZorvickCtrl;
  return S_OK;
}

HRESULT ZorvickObject::IsDirty(Guarded) { return dirty_ ? S_OK : S_FALSE; }

void ZorvickObject::ReadPropertiesClean(PropertyBag& bag) {
  ctrl_.ReadProperties(bag);
  // What was just read is what is stored, even when its picture failed: a
  // save after a passing network failure must not keep the failure text.
  dirty_ = false;
  saved_ = SaveState::kNone;
}

// IPersistStreamInit.

HRESULT ZorvickObject::InitNew(Guarded) {
  ctrl_.InitProperties();
  dirty_ = false;
  return S_OK;
}

HRESULT ZorvickObject::Load(Guarded, IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  // Held across the container's calls that loading makes (notifications,
  // the image download): any of them may release the control.
  ComPtr<IUnknown> keep(Identity());
  return LoadStreamBytes(stream, IID_IPersistStreamInit);
}

// `iid`: the interface that was called, which the error info names.
HRESULT ZorvickObject::LoadStreamBytes(IStream* stream, REFIID iid) {
  std::vector<uint8_t> data(kPropertyStreamHeaderSize);
  HRESULT hr = ReadExactly(stream, data.data(), static_cast<ULONG>(data.size()));
  if (FAILED(hr)) return ReportComError(hr, kBadStream, iid);
  const std::optional<uint32_t> total = PropertyStreamTotalLength(data);
  if (!total || *total < kPropertyStreamHeaderSize) {
    return ReportComError(E_FAIL, kBadStream, iid);
  }
  data.resize(*total);
  hr = ReadExactly(stream, data.data() + kPropertyStreamHeaderSize,
                   static_cast<ULONG>(*total - kPropertyStreamHeaderSize));
  if (FAILED(hr)) return ReportComError(hr, kBadStream, iid);
  std::optional<MemoryPropertyBag> bag = DecodePropertyStream(data);
  if (!bag || !ValuesConvert(*bag)) return ReportComError(E_FAIL, kBadStream, iid);
  ReadPropertiesClean(*bag);
  return S_OK;
}

HRESULT ZorvickObject::Save(Guarded, IStream* stream, BOOL clear_dirty) {
  if (stream == nullptr) return E_POINTER;
  const HRESULT hr = SaveStreamBytes(stream);
  if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
  return hr;
}

HRESULT ZorvickObject::SaveStreamBytes(IStream* stream) {
  MemoryPropertyBag bag;
  ctrl_.WriteProperties(bag);
  const std::vector<uint8_t> data = EncodePropertyStream(bag);
  ULONG written = 0;
  const HRESULT hr = stream->Write(data.data(), static_cast<ULONG>(data.size()), &written);
  if (FAILED(hr)) return hr;
  return written == data.size() ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ZorvickObject::GetSizeMax(Guarded, ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  MemoryPropertyBag bag;
  ctrl_.WriteProperties(bag);
  size->QuadPart = EncodePropertyStream(bag).size();
  return S_OK;
}

// IPersistPropertyBag.

HRESULT ZorvickObject::Load(Guarded, IPropertyBag* bag, IErrorLog* log) {
  if (bag == nullptr) return E_POINTER;
  ComPtr<IUnknown> keep(Identity());
  WinPropertyBag adapter(bag, log);
  ReadPropertiesClean(adapter);
  return S_OK;
}

HRESULT ZorvickObject::Save(Guarded, IPropertyBag* bag, BOOL clear_dirty, BOOL) {
  if (bag == nullptr) return E_POINTER;
  WinPropertyBag adapter(bag);
  ctrl_.WriteProperties(adapter);
  if (clear_dirty) dirty_ = false;
  return S_OK;
}

// IPersistStorage: the same stream, under one name in the storage.

HRESULT ZorvickObject::InitNew(Guarded g, IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  return InitNew(g);
}

HRESULT ZorvickObject::Load(Guarded, IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  ComPtr<IUnknown> keep(Identity());
  ComPtr<IStream> stream;
  HRESULT hr = storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                   &stream);
  if (FAILED(hr)) return ReportComError(hr, kBadStream, IID_IPersistStorage);
  return LoadStreamBytes(stream.Get(), IID_IPersistStorage);
}

HRESULT ZorvickObject::Save(Guarded, IStorage* storage, BOOL same_as_load) {
  if (storage == nullptr) return E_POINTER;
  saved_ = SaveState::kNone;
  ComPtr<IStream> stream;
  HRESULT hr = storage->CreateStream(
      kContentsStream, STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, &stream);
  if (FAILED(hr)) return hr;
  hr = SaveStreamBytes(stream.Get());
  if (SUCCEEDED(hr)) saved_ = same_as_load ? SaveState::kIntoLoaded : SaveState::kElsewhere;
  return hr;
}

// Clean only when what was saved is where the control now lives: the
// storage it was loaded from, or the one the container hands it now (after
// "Save As", or a full save into a new file). A failed save, a copy saved
// elsewhere ("Save Copy As") or a change since the save leaves it dirty.
HRESULT ZorvickObject::SaveCompleted(Guarded, IStorage* storage) {
  const SaveState saved = std::exchange(saved_, SaveState::kNone);
  if (saved == SaveState::kIntoLoaded || (saved == SaveState::kElsewhere && storage != nullptr)) {
    dirty_ = false;
  }
  return S_OK;
}

HRESULT ZorvickObject::HandsOffStorage(Guarded) { return S_OK; }

}  // namespace pelzorvick
