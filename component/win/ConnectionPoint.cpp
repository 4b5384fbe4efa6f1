#include "component/win/ConnectionPoint.h"

#include <memory>

#include "component/ComBase.h"

namespace pelzorvick {
namespace {

void AddRefItem(CONNECTDATA& item) { item.pUnk->AddRef(); }
void ReleaseItem(CONNECTDATA& item) { item.pUnk->Release(); }
void AddRefItem(IConnectionPoint* item) { item->AddRef(); }
void ReleaseItem(IConnectionPoint* item) { item->Release(); }

// Items are snapshots taken at creation; clones share them and keep their
// own position.
template <class IEnum, class Item>
class Enumerator : public ComBase<Implements<IEnum>> {
 public:
  struct Items {
    std::vector<Item> list;
    ~Items() {
      for (Item& item : list) ReleaseItem(item);
    }
  };

  Enumerator(std::shared_ptr<Items> items, size_t position)
      : items_(std::move(items)), position_(position) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    if (out == nullptr || (count != 1 && fetched == nullptr)) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < items_->list.size()) {
      out[n] = items_->list[position_++];
      AddRefItem(out[n]);
      ++n;
    }
    if (fetched != nullptr) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const size_t left = items_->list.size() - position_;
    if (count > left) {
      position_ = items_->list.size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Clone(IEnum** out) override {
    return CreateComObject<Enumerator>(__uuidof(IEnum), reinterpret_cast<void**>(out), items_,
                                       position_);
  }

 private:
  std::shared_ptr<Items> items_;
  size_t position_;
};

using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA>;
using PointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*>;

}  // namespace

ConnectionPoint::ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container, REFIID iid)
    : owner_(owner), container_(container), iid_(iid) {}

ConnectionPoint::~ConnectionPoint() { DisconnectAll(); }

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG ConnectionPoint::AddRef() { return owner_.AddRef(); }
ULONG ConnectionPoint::Release() { return owner_.Release(); }

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
  if (cpc == nullptr) return E_POINTER;
  container_.AddRef();
  *cpc = &container_;
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  IUnknown* connected = nullptr;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&connected))) ||
      connected == nullptr) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    connections_.push_back(Connection{next_cookie_, connected});
  } catch (...) {
    connected->Release();
    return E_OUTOFMEMORY;
  }
  *cookie = next_cookie_++;
  if (next_cookie_ == 0) next_cookie_ = 1;
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = connections_.begin(); it != connections_.end(); ++it) {
    if (it->cookie == cookie) {
      IUnknown* sink = it->sink;
      connections_.erase(it);
      sink->Release();  // last: the sink may release us in turn
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    auto items = std::make_shared<ConnectionEnumerator::Items>();
    items->list.reserve(connections_.size());
    for (const Connection& c : connections_) {
      CONNECTDATA data{c.sink, c.cookie};
      AddRefItem(data);
      items->list.push_back(data);
    }
    return CreateComObject<ConnectionEnumerator>(IID_IEnumConnections,
                                                 reinterpret_cast<void**>(out), items, 0);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
  std::vector<ComPtr<IUnknown>> sinks;
  sinks.reserve(connections_.size());
  for (const Connection& c : connections_) sinks.emplace_back(c.sink);
  return sinks;
}

void ConnectionPoint::DisconnectAll() {
  std::vector<Connection> dropped;
  dropped.swap(connections_);
  for (Connection& c : dropped) c.sink->Release();
}

HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points,
                                        IEnumConnectionPoints** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    auto items = std::make_shared<PointEnumerator::Items>();
    items->list.reserve(points.size());
    for (IConnectionPoint* p : points) {
      AddRefItem(p);
      items->list.push_back(p);
    }
    return CreateComObject<PointEnumerator>(IID_IEnumConnectionPoints,
                                            reinterpret_cast<void**>(out), items, 0);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace pelzorvick
