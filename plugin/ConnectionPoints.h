// Connection points of the plug-in's objects: a container that owns one
// point per event interface. A point is either single-connection (a second
// Advise fails with CONNECT_E_ADVISELIMIT) or open to many sinks.
#pragma once

#include <ocidl.h>
#include <functional>
#include <vector>

class TConnectionPoint;

class TConnectionPointContainer {
public:
    // owner: the object whose IUnknown the points hand out as their container.
    explicit TConnectionPointContainer(IUnknown *owner) : owner_(owner) {}
    ~TConnectionPointContainer();
    TConnectionPointContainer(const TConnectionPointContainer &) = delete;
    TConnectionPointContainer &operator=(const TConnectionPointContainer &) = delete;

    // onSinkChange is called with the new sink (or null) after each
    // Advise/Unadvise of a single-connection point.
    TConnectionPoint *Add(REFIID iid, bool single, std::function<void(IUnknown *)> onSinkChange = {});

    HRESULT EnumConnectionPoints(IEnumConnectionPoints **out);
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint **out);

    IUnknown *Owner() const { return owner_; }
    const std::vector<TConnectionPoint *> &Points() const { return points_; }

private:
    IUnknown *owner_;
    std::vector<TConnectionPoint *> points_;
};

class TConnectionPoint final : public IConnectionPoint {
public:
    TConnectionPoint(TConnectionPointContainer *container, REFIID iid, bool single,
                     std::function<void(IUnknown *)> onSinkChange);

    // Releases every sink; the container is going away.
    void Disconnect();
    // The sinks connected now, for raising events.
    std::vector<IUnknown *> Sinks() const;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID *iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **out) override;
    STDMETHODIMP Advise(IUnknown *sink, DWORD *cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections **out) override;

private:
    struct Connection {
        DWORD cookie;
        IUnknown *sink;
    };
    void NotifySinkChange();

    LONG refs_ = 1;
    TConnectionPointContainer *container_;
    IID iid_;
    bool single_;
    std::function<void(IUnknown *)> onSinkChange_;
    std::vector<Connection> connections_;
    DWORD nextCookie_ = 1;
};
