// An in-process dispatcher with a small scripted fleet, reached by the real
// client (TKarvexAutomation::ConnectTo): groups, vehicles, the dispatcher's
// own choice, trips with tracks and entries, faults on demand. It records
// the computation requests and counts the calls the tests care about.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "Karvex.h"

#include <map>
#include <string>
#include <vector>

namespace seltest {

struct FakeCar {
    std::wstring name, number;
    long device = 0;
    double longitude = 0, latitude = 0;
    std::wstring lastTime;
};

struct FakeGroup {
    std::wstring key, name;
    std::vector<FakeCar> cars;
};

struct FakeEntry {
    std::wstring begin, end, duration;
};

struct FakeTrip {
    std::wstring begin, end, duration;
    std::vector<double> crds;  // five numbers per point
    long pointsCount = -1;     // what TrackPointsCount says; -1: crds / 5
    std::map<std::wstring, std::vector<FakeEntry>> entries;  // by "type" or "type-kind"
};

struct ComputeRequest {
    std::wstring group;
    long device;
    std::wstring begin, end, channel;
    long mode;
};

class FakeDispatcher : public IKarvexAutomation, public IConnectionPointContainer, public IConnectionPoint {
public:
    FakeDispatcher();
    ~FakeDispatcher();

    // ---- the script
    std::vector<FakeGroup> groups;
    std::wstring serverGroupKey;
    long serverCar = 0;
    std::map<std::wstring, std::wstring> properties;  // PropertyName -> PropertyValue
    long computeStatus = 0;
    std::vector<FakeTrip> trips;
    // A value served instead of the trip's track array, when not VT_EMPTY.
    VARIANT trackOverride;
    // The named operation fails once with this text ("ComputeTrips", ...).
    std::map<std::string, std::wstring> failOnce;

    // ---- what the client did
    std::vector<ComputeRequest> computeRequests;
    int trackArrayCalls = 0;
    int tripsCountCalls = 0;
    std::vector<std::wstring> listTypes, listKinds;  // puts, in order
    long refs = 1;
    size_t SinkCount() const { return sinks_.size(); }

    // Raises an event on every subscriber, as the dispatcher does.
    void Fire(DISPID id);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }  // owned by the test
    // IDispatch: the operations reached by name
    STDMETHODIMP GetTypeInfoCount(UINT *n) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **t) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *names, UINT, LCID, DISPID *id) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *p, VARIANT *result, EXCEPINFO *ei,
                        UINT *) override;
    // IConnectionPointContainer / IConnectionPoint
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **cp) override;
    STDMETHODIMP GetConnectionInterface(IID *iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **c) override;
    STDMETHODIMP Advise(IUnknown *sink, DWORD *cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections **) override { return E_NOTIMPL; }

    // IKarvexAutomation
    STDMETHODIMP Start() override;
    STDMETHODIMP get_GroupsCount(LONG *v) override;
    STDMETHODIMP put_GroupIndex(LONG v) override;
    STDMETHODIMP get_GroupKey(BSTR *v) override;
    STDMETHODIMP get_GroupName(BSTR *v) override;
    STDMETHODIMP SelectGroup(BSTR key) override;
    STDMETHODIMP get_CarsCount(LONG *v) override;
    STDMETHODIMP put_CarIndex(LONG v) override;
    STDMETHODIMP get_CarName(BSTR *v) override;
    STDMETHODIMP get_CarNumber(BSTR *v) override;
    STDMETHODIMP get_CarDevice(LONG *v) override;
    STDMETHODIMP get_CarLastLongitude(double *v) override;
    STDMETHODIMP get_CarLastLatitude(double *v) override;
    STDMETHODIMP get_CarLastTime(BSTR *v) override;
    STDMETHODIMP get_ServerGroupKey(BSTR *v) override;
    STDMETHODIMP get_ServerCar(LONG *v) override;
    STDMETHODIMP put_SelectServerCar(LONG v) override;
    STDMETHODIMP put_PropertyName(BSTR) override { return E_UNEXPECTED; }  // reached by name
    STDMETHODIMP get_PropertyValue(BSTR *v) override;
    STDMETHODIMP ComputeTrips(BSTR group, LONG device, BSTR begin, BSTR end, BSTR channel, LONG mode) override;
    STDMETHODIMP get_ComputeStatus(LONG *v) override;
    STDMETHODIMP get_TripsCount(LONG *v) override;
    STDMETHODIMP put_TripIndex(LONG v) override;
    STDMETHODIMP get_TripBegin(BSTR *v) override;
    STDMETHODIMP get_TripEnd(BSTR *v) override;
    STDMETHODIMP get_TripDuration(BSTR *v) override;
    STDMETHODIMP get_TrackPointsCount(LONG *v) override;
    STDMETHODIMP get_TrackCrdsArray(VARIANT *) override { return E_UNEXPECTED; }
    STDMETHODIMP put_TripEntriesListTypeName(BSTR) override { return E_UNEXPECTED; }
    STDMETHODIMP put_TripEntriesListKindName(BSTR) override { return E_UNEXPECTED; }
    STDMETHODIMP get_TripEntriesCount(LONG *v) override;
    STDMETHODIMP put_TripEntryIndex(LONG v) override;
    STDMETHODIMP get_TripEntryBegin(BSTR *v) override;
    STDMETHODIMP get_TripEntryEnd(BSTR *v) override;
    STDMETHODIMP get_TripEntryDuration(BSTR *v) override;
    STDMETHODIMP get_TripEntryLongitude(double *v) override { return Value(v, 0.0, "TripEntryLongitude"); }
    STDMETHODIMP get_TripEntryLatitude(double *v) override { return Value(v, 0.0, "TripEntryLatitude"); }
    STDMETHODIMP get_TripEntrySpeed(double *v) override { return Value(v, 0.0, "TripEntrySpeed"); }
    STDMETHODIMP get_TripEntryTank1Begin(double *v) override { return Value(v, 0.0, "x"); }
    STDMETHODIMP get_TripEntryTank1End(double *v) override { return Value(v, 0.0, "x"); }
    STDMETHODIMP get_TripEntryTank2Begin(double *v) override { return Value(v, 0.0, "x"); }
    STDMETHODIMP get_TripEntryTank2End(double *v) override { return Value(v, 0.0, "x"); }
    STDMETHODIMP get_CheckpointsKey(BSTR *v) override { return Text(v, L"", "CheckpointsKey"); }
    STDMETHODIMP LoadCheckpoints(BSTR) override { return Fail("LoadCheckpoints"); }
    STDMETHODIMP get_CheckpointsCount(LONG *v) override { return Value(v, 0L, "CheckpointsCount"); }
    STDMETHODIMP put_CheckpointIndex(LONG) override { return Fail("CheckpointIndex"); }
    STDMETHODIMP get_CheckpointName(BSTR *v) override { return Text(v, L"", "x"); }
    STDMETHODIMP get_CheckpointAddress(BSTR *v) override { return Text(v, L"", "x"); }
    STDMETHODIMP get_CheckpointLongitude(double *v) override { return Value(v, 0.0, "x"); }
    STDMETHODIMP get_CheckpointLatitude(double *v) override { return Value(v, 0.0, "x"); }
    STDMETHODIMP get_CheckpointRadius(LONG *v) override { return Value(v, 0L, "x"); }

private:
    HRESULT Fail(const char *op);  // S_OK unless the operation is to fail now
    HRESULT Error(const std::wstring &text);
    template <class T>
    HRESULT Value(T *out, T value, const char *op)
    {
        if (!out) return E_POINTER;
        const HRESULT hr = Fail(op);
        if (SUCCEEDED(hr)) *out = value;
        return hr;
    }
    HRESULT Text(BSTR *out, const std::wstring &value, const char *op);
    FakeGroup *Group();
    FakeCar *Car();
    FakeTrip *Trip();
    const std::vector<FakeEntry> *Entries();
    const FakeEntry *Entry();

    std::vector<std::pair<DWORD, IDispatch *>> sinks_;
    int groupCursor_ = 0, selectedGroup_ = -1, carCursor_ = 0, tripCursor_ = 0, entryCursor_ = 0;
    std::wstring property_, listType_, listKind_;
};

// Five numbers per point: time, longitude, latitude, distance, speed; a point
// every `stepSeconds` from `start` along a line east of 37.6 E, 55.75 N.
std::vector<double> LineTrack(int points, double start, int stepSeconds);

}  // namespace seltest
