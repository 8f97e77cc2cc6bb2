#include "ConnectionPoints.h"

#include <new>
#include <olectl.h>

namespace {

// A snapshot enumerator over a list of counted references.
template <class Enum, class Item, const IID *EnumIid>
class TSnapshotEnum : public Enum {
public:
    explicit TSnapshotEnum(std::vector<Item> items) : items_(std::move(items))
    {
        for (auto &item : items_) AddRefItem(item);
    }
    virtual ~TSnapshotEnum()
    {
        for (auto &item : items_) ReleaseItem(item);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == *EnumIid) {
            *out = this;
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }
    STDMETHODIMP Next(ULONG count, Item *out, ULONG *fetched) override
    {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        while (n < count && pos_ < items_.size()) {
            out[n] = items_[pos_++];
            AddRefItem(out[n]);
            ++n;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = items_.size() - pos_;
        pos_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        pos_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum **out) override
    {
        if (!out) return E_POINTER;
        auto *copy = new (std::nothrow) TSnapshotEnum(items_);
        *out = copy;
        if (!copy) return E_OUTOFMEMORY;
        copy->pos_ = pos_;
        return S_OK;
    }

private:
    static void AddRefItem(IConnectionPoint *p) { p->AddRef(); }
    static void ReleaseItem(IConnectionPoint *p) { p->Release(); }
    static void AddRefItem(CONNECTDATA &d) { d.pUnk->AddRef(); }
    static void ReleaseItem(CONNECTDATA &d) { d.pUnk->Release(); }

    LONG refs_ = 1;
    std::vector<Item> items_;
    size_t pos_ = 0;
};

using TEnumConnectionPoints =
    TSnapshotEnum<IEnumConnectionPoints, IConnectionPoint *, &IID_IEnumConnectionPoints>;
using TEnumConnections = TSnapshotEnum<IEnumConnections, CONNECTDATA, &IID_IEnumConnections>;

} // namespace

TConnectionPointContainer::~TConnectionPointContainer()
{
    for (TConnectionPoint *point : points_) {
        point->Disconnect();
        point->Release();
    }
}

TConnectionPoint *TConnectionPointContainer::Add(REFIID iid, bool single,
                                                 std::function<void(IUnknown *)> onSinkChange)
{
    auto *point = new TConnectionPoint(this, iid, single, std::move(onSinkChange));
    points_.push_back(point);
    return point;
}

HRESULT TConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    std::vector<IConnectionPoint *> items(points_.begin(), points_.end());
    *out = new (std::nothrow) TEnumConnectionPoints(items);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT TConnectionPointContainer::FindConnectionPoint(REFIID iid, IConnectionPoint **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    for (TConnectionPoint *point : points_) {
        IID pointIid;
        point->GetConnectionInterface(&pointIid);
        if (pointIid == iid) {
            point->AddRef();
            *out = point;
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

TConnectionPoint::TConnectionPoint(TConnectionPointContainer *container, REFIID iid, bool single,
                                   std::function<void(IUnknown *)> onSinkChange)
    : container_(container), iid_(iid), single_(single), onSinkChange_(std::move(onSinkChange))
{
}

void TConnectionPoint::Disconnect()
{
    std::vector<Connection> dropped;
    dropped.swap(connections_);
    container_ = nullptr;
    for (auto &c : dropped) c.sink->Release();
}

std::vector<IUnknown *> TConnectionPoint::Sinks() const
{
    std::vector<IUnknown *> sinks;
    for (auto &c : connections_) sinks.push_back(c.sink);
    return sinks;
}

STDMETHODIMP TConnectionPoint::QueryInterface(REFIID iid, void **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *out = static_cast<IConnectionPoint *>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TConnectionPoint::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) TConnectionPoint::Release()
{
    ULONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

STDMETHODIMP TConnectionPoint::GetConnectionInterface(IID *iid)
{
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP TConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!container_) return E_UNEXPECTED;
    return container_->Owner()->QueryInterface(IID_IConnectionPointContainer,
                                               reinterpret_cast<void **>(out));
}

STDMETHODIMP TConnectionPoint::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    if (!container_) return E_UNEXPECTED;
    if (single_ && !connections_.empty()) return CONNECT_E_ADVISELIMIT;
    IUnknown *typed = nullptr;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void **>(&typed)))) {
        // Event interfaces are dispinterfaces: a sink may answer only IDispatch.
        if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&typed))))
            return CONNECT_E_CANNOTCONNECT;
    }
    connections_.push_back({nextCookie_, typed});
    *cookie = nextCookie_++;
    NotifySinkChange();
    return S_OK;
}

STDMETHODIMP TConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->cookie == cookie) {
            IUnknown *sink = it->sink;
            connections_.erase(it);
            NotifySinkChange();
            sink->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP TConnectionPoint::EnumConnections(IEnumConnections **out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    std::vector<CONNECTDATA> items;
    for (auto &c : connections_) items.push_back({c.sink, c.cookie});
    *out = new (std::nothrow) TEnumConnections(items);
    return *out ? S_OK : E_OUTOFMEMORY;
}

void TConnectionPoint::NotifySinkChange()
{
    if (single_ && onSinkChange_)
        onSinkChange_(connections_.empty() ? nullptr : connections_.front().sink);
}
