#include "component/object/ConnectionPoint.h"

#include <memory>

#include "component/com/ComObject.h"
#include "component/com/ErrorInfo.h"

namespace pelzorvick {
namespace {

struct ConnectionEntry {
  ComPtr<IUnknown> sink;
  DWORD cookie;
};

// What Next hands out carries a reference of its own.
void HandOut(const ConnectionEntry& entry, CONNECTDATA* out) {
  out->dwCookie = entry.cookie;
  entry.sink.CopyTo(&out->pUnk);
}
void HandOut(const ComPtr<IConnectionPoint>& point, IConnectionPoint** out) { point.CopyTo(out); }

// Items are snapshots taken at creation; clones share them and keep their
// own position.
template <class IEnum, class Item, class Stored>
class Enumerator : public ComObject<Enumerator<IEnum, Item, Stored>, Implements<IEnum>> {
 public:
  using Items = std::vector<Stored>;

  Enumerator(std::shared_ptr<const Items> items, size_t position)
      : items_(std::move(items)), position_(position) {}

  HRESULT Next(Guarded, ULONG count, Item* out, ULONG* fetched) {
    if (out == nullptr || (count != 1 && fetched == nullptr)) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < items_->size()) {
      HandOut((*items_)[position_++], &out[n]);
      ++n;
    }
    if (fetched != nullptr) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }

  HRESULT Skip(Guarded, ULONG count) {
    const size_t left = items_->size() - position_;
    if (count > left) {
      position_ = items_->size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }

  HRESULT Reset(Guarded) {
    position_ = 0;
    return S_OK;
  }

  HRESULT Clone(Guarded, IEnum** out) {
    return CreateComObject<Enumerator>(__uuidof(IEnum), reinterpret_cast<void**>(out), items_,
                                       position_);
  }

 private:
  std::shared_ptr<const Items> items_;
  size_t position_;
};

using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA, ConnectionEntry>;
using PointEnumerator =
    Enumerator<IEnumConnectionPoints, IConnectionPoint*, ComPtr<IConnectionPoint>>;

}  // namespace

ConnectionPoint::ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container, REFIID iid)
    : ComPart(owner), container_(container), iid_(iid) {}

ConnectionPoint::~ConnectionPoint() { DisconnectAll(); }

HRESULT ConnectionPoint::GetConnectionInterface(Guarded, IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(Guarded, IConnectionPointContainer** cpc) {
  return ComPtr<IConnectionPointContainer>(&container_).CopyTo(cpc);
}

HRESULT ConnectionPoint::Advise(Guarded, IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  ComPtr<IUnknown> connected;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(connected.GetAddressOf()))) ||
      !connected) {
    return CONNECT_E_CANNOTCONNECT;
  }
  connections_.push_back(Connection{next_cookie_, std::move(connected)});
  *cookie = next_cookie_++;
  if (next_cookie_ == 0) next_cookie_ = 1;
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(Guarded, DWORD cookie) {
  for (auto it = connections_.begin(); it != connections_.end(); ++it) {
    if (it->cookie == cookie) {
      const ComPtr<IUnknown> sink = std::move(it->sink);
      connections_.erase(it);
      return S_OK;  // the sink goes last: it may release us in turn
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(Guarded, IEnumConnections** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  auto items = std::make_shared<ConnectionEnumerator::Items>();
  items->reserve(connections_.size());
  for (const Connection& c : connections_) items->push_back(ConnectionEntry{c.sink, c.cookie});
  return CreateComObject<ConnectionEnumerator>(IID_IEnumConnections,
                                               reinterpret_cast<void**>(out),
                                               std::shared_ptr<const ConnectionEnumerator::Items>(items), 0);
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
  std::vector<ComPtr<IUnknown>> sinks;
  sinks.reserve(connections_.size());
  for (const Connection& c : connections_) sinks.emplace_back(c.sink);
  return sinks;
}

void ConnectionPoint::DisconnectAll() {
  // Emptied first: a sink released here may call back into the control.
  std::vector<Connection> dropped;
  dropped.swap(connections_);
}

HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points,
                                        IEnumConnectionPoints** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  auto items = std::make_shared<PointEnumerator::Items>();
  items->reserve(points.size());
  for (IConnectionPoint* p : points) items->emplace_back(p);
  return CreateComObject<PointEnumerator>(IID_IEnumConnectionPoints,
                                          reinterpret_cast<void**>(out),
                                          std::shared_ptr<const PointEnumerator::Items>(items), 0);
}

}  // namespace pelzorvick
