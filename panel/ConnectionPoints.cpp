// IConnectionPointContainer and its two points: the form's events (one sink)
// and property change notification (any number of sinks).
#include "ActiveFormControl.h"
#include "ComSupport.h"

KX_PART_IUNKNOWN(TConnectionPointContainerPart)

STDMETHODIMP TConnectionPointContainerPart::EnumConnectionPoints(IEnumConnectionPoints **points)
{
    if (!points)
        return E_POINTER;
    *points = nullptr;
    return ComGuard(IID_IConnectionPointContainer, [&] {
        std::vector<IConnectionPoint *> items{&c_.EventsPoint, &c_.PropertyNotifyPoint};
        *points = new TEnumerator<IEnumConnectionPoints, IConnectionPoint *>(items);
        return S_OK;
    });
}

STDMETHODIMP TConnectionPointContainerPart::FindConnectionPoint(REFIID iid, IConnectionPoint **point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (iid == __uuidof(IKXActiveXFormEvents))
        *point = &c_.EventsPoint;
    else if (iid == IID_IPropertyNotifySink)
        *point = &c_.PropertyNotifyPoint;
    else
        return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}

TPanelConnectionPoint::TPanelConnectionPoint(TActiveFormControl &control, REFIID iid, bool single)
    : c_(control), iid_(iid), single_(single)
{
}

TPanelConnectionPoint::~TPanelConnectionPoint()
{
    DisconnectAll();
}

STDMETHODIMP TPanelConnectionPoint::QueryInterface(REFIID iid, void **out)
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

// A point lives inside its container: it keeps the container alive.
STDMETHODIMP_(ULONG) TPanelConnectionPoint::AddRef()
{
    return c_.AddRef();
}

STDMETHODIMP_(ULONG) TPanelConnectionPoint::Release()
{
    return c_.Release();
}

STDMETHODIMP TPanelConnectionPoint::GetConnectionInterface(IID *iid)
{
    if (!iid)
        return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP TPanelConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **container)
{
    if (!container)
        return E_POINTER;
    *container = &c_.ConnectionPointContainer;
    (*container)->AddRef();
    return S_OK;
}

STDMETHODIMP TPanelConnectionPoint::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    if (!sink)
        return E_POINTER;
    if (single_ && !connections_.empty())
        return CONNECT_E_ADVISELIMIT;
    IUnknown *typed = nullptr;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void **>(&typed))) || !typed)
        return CONNECT_E_CANNOTCONNECT;
    try {
        connections_.push_back({nextCookie_, typed});
    } catch (...) {
        typed->Release();
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    if (this == &c_.EventsPoint)
        c_.EventSinkChanged();
    return S_OK;
}

STDMETHODIMP TPanelConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->cookie != cookie)
            continue;
        IUnknown *sink = it->sink;
        connections_.erase(it);
        if (this == &c_.EventsPoint)
            c_.EventSinkChanged();
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP TPanelConnectionPoint::EnumConnections(IEnumConnections **connections)
{
    if (!connections)
        return E_POINTER;
    *connections = nullptr;
    try {
        std::vector<CONNECTDATA> items;
        for (const TConnection &c : connections_)
            items.push_back({c.sink, c.cookie});
        *connections = new TEnumerator<IEnumConnections, CONNECTDATA>(items);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

std::vector<IUnknown *> TPanelConnectionPoint::Sinks() const
{
    std::vector<IUnknown *> sinks;
    for (const TConnection &c : connections_) {
        c.sink->AddRef();
        sinks.push_back(c.sink);
    }
    return sinks;
}

void TPanelConnectionPoint::DisconnectAll()
{
    std::vector<TConnection> gone;
    gone.swap(connections_);
    for (TConnection &c : gone)
        c.sink->Release();
}
