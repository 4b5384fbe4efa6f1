#pragma once
// The control's connection points. Each lives inside the control object and
// shares its reference count, so a sink holding a connection point keeps the
// control alive and no cycle arises.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "component/com/ComObject.h"
#include "component/com/ComPtr.h"

namespace pelzorvick {

class ConnectionPoint : public ComObjectPart<ConnectionPoint, Implements<IConnectionPoint>> {
 public:
  // `owner` is the control's identity; `container` what
  // GetConnectionPointContainer answers. Neither is referenced.
  ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container, REFIID iid);
  ~ConnectionPoint();

  HRESULT GetConnectionInterface(Guarded, IID* iid);
  HRESULT GetConnectionPointContainer(Guarded, IConnectionPointContainer** cpc);
  HRESULT Advise(Guarded, IUnknown* sink, DWORD* cookie);
  HRESULT Unadvise(Guarded, DWORD cookie);
  HRESULT EnumConnections(Guarded, IEnumConnections** connections);

  const IID& Iid() const { return iid_; }
  // The sinks as they are now, each asked for the connection interface and
  // referenced, so that a sink may unadvise while it is being called.
  std::vector<ComPtr<IUnknown>> Sinks() const;
  // Drops every connection (the control is going away).
  void DisconnectAll();

 private:
  struct Connection {
    DWORD cookie;
    ComPtr<IUnknown> sink;
  };

  IConnectionPointContainer& container_;
  IID iid_;
  std::vector<Connection> connections_;
  DWORD next_cookie_ = 1;
};

// An enumerator over a fixed set of connection points.
HRESULT CreateConnectionPointEnumerator(const std::vector<IConnectionPoint*>& points,
                                        IEnumConnectionPoints** out);

}  // namespace pelzorvick
