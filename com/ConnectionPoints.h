// Connection points of the library's objects (the plug-in object, the
// panel control). A point lives inside its owner and shares the owner's
// reference count, so a client holding the point keeps the owner alive.
// It is either single-connection (a second Advise fails with
// CONNECT_E_ADVISELIMIT) or open to many sinks.
#pragma once

#include "ComPtr.h"

#include <ocidl.h>

#include <functional>
#include <initializer_list>
#include <vector>

class TConnectionPoint final : public IConnectionPoint {
public:
    // Whether sinks must answer the point's interface itself, or may answer
    // IDispatch instead (an event dispinterface has IDispatch's table).
    enum class SinkKind { Exact, Dispinterface };

    // onSinkChange runs after each successful Advise and Unadvise.
    TConnectionPoint(IUnknown &owner, REFIID iid, SinkKind kind, bool single,
                     std::function<void()> onSinkChange = {});
    ~TConnectionPoint();
    TConnectionPoint(const TConnectionPoint &) = delete;
    TConnectionPoint &operator=(const TConnectionPoint &) = delete;

    // The connected sinks, as counted references (each answers the point's
    // interface, or IDispatch for an event dispinterface).
    std::vector<ComPtr<IUnknown>> Sinks() const;
    void DisconnectAll();

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID *iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **container) override;
    STDMETHODIMP Advise(IUnknown *sink, DWORD *cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections **connections) override;

private:
    struct TConnection {
        DWORD cookie;
        IUnknown *sink;
    };
    IUnknown &owner_;
    IID iid_;
    SinkKind kind_;
    bool single_;
    std::function<void()> onSinkChange_;
    DWORD nextCookie_ = 1;
    std::vector<TConnection> connections_;
};

// IConnectionPointContainer's two operations over an owner's points.
HRESULT EnumConnectionPointsOf(std::initializer_list<TConnectionPoint *> points, IEnumConnectionPoints **out);
HRESULT FindConnectionPointIn(std::initializer_list<TConnectionPoint *> points, REFIID iid, IConnectionPoint **out);
