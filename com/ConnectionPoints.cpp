#include "ConnectionPoints.h"

#include "ComEnumerator.h"

#include <olectl.h>

TConnectionPoint::TConnectionPoint(IUnknown &owner, REFIID iid, SinkKind kind, bool single,
                                   std::function<void()> onSinkChange)
    : owner_(owner), iid_(iid), kind_(kind), single_(single), onSinkChange_(std::move(onSinkChange))
{
}

TConnectionPoint::~TConnectionPoint()
{
    DisconnectAll();
}

std::vector<ComPtr<IUnknown>> TConnectionPoint::Sinks() const
{
    std::vector<ComPtr<IUnknown>> sinks;
    for (const TConnection &c : connections_)
        sinks.emplace_back(c.sink);
    return sinks;
}

void TConnectionPoint::DisconnectAll()
{
    std::vector<TConnection> gone;
    gone.swap(connections_);
    for (TConnection &c : gone)
        c.sink->Release();
}

STDMETHODIMP TConnectionPoint::QueryInterface(REFIID iid, void **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IConnectionPoint)
        return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint *>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TConnectionPoint::AddRef() { return owner_.AddRef(); }
STDMETHODIMP_(ULONG) TConnectionPoint::Release() { return owner_.Release(); }

STDMETHODIMP TConnectionPoint::GetConnectionInterface(IID *iid)
{
    if (!iid)
        return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP TConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **container)
{
    if (!container)
        return E_POINTER;
    *container = nullptr;
    return owner_.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(container));
}

STDMETHODIMP TConnectionPoint::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    if (single_ && !connections_.empty())
        return CONNECT_E_ADVISELIMIT;
    IUnknown *typed = nullptr;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void **>(&typed))) || !typed) {
        typed = nullptr;
        if (kind_ != SinkKind::Dispinterface ||
            FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&typed))) || !typed)
            return CONNECT_E_CANNOTCONNECT;
    }
    try {
        connections_.push_back({nextCookie_, typed});
    } catch (...) {
        typed->Release();
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    if (onSinkChange_)
        onSinkChange_();
    return S_OK;
}

STDMETHODIMP TConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->cookie != cookie)
            continue;
        IUnknown *sink = it->sink;
        connections_.erase(it);
        if (onSinkChange_)
            onSinkChange_();
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP TConnectionPoint::EnumConnections(IEnumConnections **connections)
{
    if (!connections)
        return E_POINTER;
    *connections = nullptr;
    try {
        std::vector<CONNECTDATA> items;
        for (const TConnection &c : connections_)
            items.push_back({c.sink, c.cookie});
        return TEnumerator<IEnumConnections, CONNECTDATA>::Create(std::move(items), connections);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT EnumConnectionPointsOf(std::initializer_list<TConnectionPoint *> points, IEnumConnectionPoints **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    try {
        std::vector<IConnectionPoint *> items;
        for (TConnectionPoint *point : points)
            if (point)
                items.push_back(point);
        return TEnumerator<IEnumConnectionPoints, IConnectionPoint *>::Create(std::move(items), out);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FindConnectionPointIn(std::initializer_list<TConnectionPoint *> points, REFIID iid, IConnectionPoint **out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    for (TConnectionPoint *point : points) {
        IID pointIid;
        if (point && SUCCEEDED(point->GetConnectionInterface(&pointIid)) && pointIid == iid) {
            point->AddRef();
            *out = point;
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}
