#include "FakeDispatcher.h"

namespace seltest {

namespace {

enum : DISPID { kPropertyName = 18, kTrackCrdsArray = 28, kTypeName = 29, kKindName = 30 };

std::wstring Str(BSTR b)
{
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

}  // namespace

std::vector<double> LineTrack(int points, double start, int stepSeconds)
{
    std::vector<double> crds;
    crds.reserve(static_cast<size_t>(points) * 5);
    for (int k = 0; k < points; ++k) {
        crds.push_back(start + static_cast<double>(k) * stepSeconds / 86400.0);
        crds.push_back(37.6 + k * 1e-4);
        crds.push_back(55.75 + k * 5e-5);
        crds.push_back(k * 7.0);
        crds.push_back(30.0);
    }
    return crds;
}

FakeDispatcher::FakeDispatcher() { VariantInit(&trackOverride); }

FakeDispatcher::~FakeDispatcher()
{
    VariantClear(&trackOverride);
    for (auto &s : sinks_) s.second->Release();
}

void FakeDispatcher::Fire(DISPID id)
{
    auto copy = sinks_;
    for (auto &s : copy) s.second->AddRef();
    for (auto &s : copy) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        s.second->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
    }
    for (auto &s : copy) s.second->Release();
}

STDMETHODIMP FakeDispatcher::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IKarvexAutomation)
        *ppv = static_cast<IKarvexAutomation *>(this);
    else if (riid == IID_IConnectionPointContainer)
        *ppv = static_cast<IConnectionPointContainer *>(this);
    else if (riid == IID_IConnectionPoint)
        *ppv = static_cast<IConnectionPoint *>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP FakeDispatcher::GetTypeInfoCount(UINT *n)
{
    *n = 0;
    return S_OK;
}

STDMETHODIMP FakeDispatcher::GetTypeInfo(UINT, LCID, ITypeInfo **t)
{
    *t = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP FakeDispatcher::GetIDsOfNames(REFIID, LPOLESTR *names, UINT, LCID, DISPID *id)
{
    static const std::map<std::wstring, DISPID> ids = {{L"PropertyName", kPropertyName},
                                                       {L"TrackCrdsArray", kTrackCrdsArray},
                                                       {L"TripEntriesListTypeName", kTypeName},
                                                       {L"TripEntriesListKindName", kKindName}};
    auto it = ids.find(names[0]);
    if (it == ids.end()) return DISP_E_UNKNOWNNAME;
    *id = it->second;
    return S_OK;
}

STDMETHODIMP FakeDispatcher::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *p, VARIANT *result,
                                    EXCEPINFO *ei, UINT *)
{
    if (flags & DISPATCH_PROPERTYPUT) {
        if (!p || p->cArgs != 1 || V_VT(&p->rgvarg[0]) != VT_BSTR) return DISP_E_BADPARAMCOUNT;
        const std::wstring value = Str(V_BSTR(&p->rgvarg[0]));
        switch (id) {
        case kPropertyName: property_ = value; return S_OK;
        case kTypeName: listType_ = value; listTypes.push_back(value); return S_OK;
        case kKindName: listKind_ = value; listKinds.push_back(value); return S_OK;
        default: return DISP_E_MEMBERNOTFOUND;
        }
    }
    if (id != kTrackCrdsArray || !result) return DISP_E_MEMBERNOTFOUND;
    ++trackArrayCalls;
    auto fail = failOnce.find("TrackCrdsArray");
    if (fail != failOnce.end()) {
        ei->bstrDescription = SysAllocString(fail->second.c_str());
        ei->scode = static_cast<SCODE>(0x80040201);
        failOnce.erase(fail);
        return DISP_E_EXCEPTION;
    }
    if (V_VT(&trackOverride) != VT_EMPTY) return VariantCopy(result, &trackOverride);
    const FakeTrip *trip = Trip();
    if (!trip) return DISP_E_BADINDEX;
    SAFEARRAYBOUND b = {static_cast<ULONG>(trip->crds.size()), 1};
    SAFEARRAY *sa = SafeArrayCreate(VT_R8, 1, &b);
    void *data = nullptr;
    SafeArrayAccessData(sa, &data);
    if (!trip->crds.empty()) memcpy(data, trip->crds.data(), trip->crds.size() * sizeof(double));
    SafeArrayUnaccessData(sa);
    V_VT(result) = VT_ARRAY | VT_R8;
    V_ARRAY(result) = sa;
    return S_OK;
}

STDMETHODIMP FakeDispatcher::FindConnectionPoint(REFIID riid, IConnectionPoint **cp)
{
    *cp = nullptr;
    if (riid != DIID_IKarvexAutomationEvents) return CONNECT_E_NOCONNECTION;
    *cp = this;
    AddRef();
    return S_OK;
}

STDMETHODIMP FakeDispatcher::GetConnectionInterface(IID *iid)
{
    *iid = DIID_IKarvexAutomationEvents;
    return S_OK;
}

STDMETHODIMP FakeDispatcher::GetConnectionPointContainer(IConnectionPointContainer **c)
{
    *c = this;
    AddRef();
    return S_OK;
}

STDMETHODIMP FakeDispatcher::Advise(IUnknown *sink, DWORD *cookie)
{
    IDispatch *d = nullptr;
    if (FAILED(sink->QueryInterface(DIID_IKarvexAutomationEvents, reinterpret_cast<void **>(&d)))) return E_FAIL;
    static DWORD next = 100;
    *cookie = ++next;
    sinks_.push_back({*cookie, d});
    return S_OK;
}

STDMETHODIMP FakeDispatcher::Unadvise(DWORD cookie)
{
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
        if (it->first == cookie) {
            it->second->Release();
            sinks_.erase(it);
            return S_OK;
        }
    return CONNECT_E_NOCONNECTION;
}

HRESULT FakeDispatcher::Error(const std::wstring &text)
{
    ICreateErrorInfo *c = nullptr;
    CreateErrorInfo(&c);
    c->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    IErrorInfo *e = nullptr;
    c->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&e));
    SetErrorInfo(0, e);
    e->Release();
    c->Release();
    return static_cast<HRESULT>(0x80040201);
}

HRESULT FakeDispatcher::Fail(const char *op)
{
    auto it = failOnce.find(op);
    if (it == failOnce.end()) return S_OK;
    const std::wstring text = it->second;
    failOnce.erase(it);
    return Error(text);
}

HRESULT FakeDispatcher::Text(BSTR *out, const std::wstring &value, const char *op)
{
    if (!out) return E_POINTER;
    const HRESULT hr = Fail(op);
    if (SUCCEEDED(hr)) *out = SysAllocString(value.c_str());
    return hr;
}

FakeGroup *FakeDispatcher::Group()
{
    return selectedGroup_ >= 0 && selectedGroup_ < static_cast<int>(groups.size()) ? &groups[selectedGroup_] : nullptr;
}

FakeCar *FakeDispatcher::Car()
{
    FakeGroup *g = Group();
    return g && carCursor_ >= 1 && carCursor_ <= static_cast<int>(g->cars.size()) ? &g->cars[carCursor_ - 1] : nullptr;
}

FakeTrip *FakeDispatcher::Trip()
{
    return tripCursor_ >= 1 && tripCursor_ <= static_cast<int>(trips.size()) ? &trips[tripCursor_ - 1] : nullptr;
}

const std::vector<FakeEntry> *FakeDispatcher::Entries()
{
    FakeTrip *t = Trip();
    if (!t) return nullptr;
    // A type sent without a kind keeps the kind sent before.
    auto it = t->entries.find(listType_);
    if (it == t->entries.end()) it = t->entries.find(listType_ + L"-" + listKind_);
    return it == t->entries.end() ? nullptr : &it->second;
}

const FakeEntry *FakeDispatcher::Entry()
{
    const std::vector<FakeEntry> *list = Entries();
    return list && entryCursor_ >= 1 && entryCursor_ <= static_cast<int>(list->size()) ? &(*list)[entryCursor_ - 1]
                                                                                        : nullptr;
}

#define KX_REQUIRE(cond, text) \
    if (!(cond)) return Error(text)

STDMETHODIMP FakeDispatcher::Start() { return Fail("Start"); }
STDMETHODIMP FakeDispatcher::get_GroupsCount(LONG *v) { return Value(v, static_cast<LONG>(groups.size()), "GroupsCount"); }
STDMETHODIMP FakeDispatcher::put_GroupIndex(LONG v)
{
    groupCursor_ = v;
    return Fail("GroupIndex");
}
STDMETHODIMP FakeDispatcher::get_GroupKey(BSTR *v)
{
    KX_REQUIRE(groupCursor_ >= 1 && groupCursor_ <= static_cast<int>(groups.size()), L"нет группы");
    return Text(v, groups[groupCursor_ - 1].key, "GroupKey");
}
STDMETHODIMP FakeDispatcher::get_GroupName(BSTR *v)
{
    KX_REQUIRE(groupCursor_ >= 1 && groupCursor_ <= static_cast<int>(groups.size()), L"нет группы");
    return Text(v, groups[groupCursor_ - 1].name, "GroupName");
}
STDMETHODIMP FakeDispatcher::SelectGroup(BSTR key)
{
    const HRESULT hr = Fail("SelectGroup");
    if (FAILED(hr)) return hr;
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].key == Str(key)) {
            selectedGroup_ = static_cast<int>(i);
            return S_OK;
        }
    return Error(L"нет группы с ключом " + Str(key));
}
STDMETHODIMP FakeDispatcher::get_CarsCount(LONG *v)
{
    KX_REQUIRE(Group(), L"группа не выбрана");
    return Value(v, static_cast<LONG>(Group()->cars.size()), "CarsCount");
}
STDMETHODIMP FakeDispatcher::put_CarIndex(LONG v)
{
    carCursor_ = v;
    return Fail("CarIndex");
}
STDMETHODIMP FakeDispatcher::get_CarName(BSTR *v)
{
    KX_REQUIRE(Car(), L"нет ТС");
    return Text(v, Car()->name, "CarName");
}
STDMETHODIMP FakeDispatcher::get_CarNumber(BSTR *v)
{
    KX_REQUIRE(Car(), L"нет ТС");
    return Text(v, Car()->number, "CarNumber");
}
STDMETHODIMP FakeDispatcher::get_CarDevice(LONG *v)
{
    KX_REQUIRE(Car(), L"нет ТС");
    return Value(v, Car()->device, "CarDevice");
}
STDMETHODIMP FakeDispatcher::get_CarLastLongitude(double *v)
{
    KX_REQUIRE(Car(), L"нет ТС");
    return Value(v, Car()->longitude, "CarLastLongitude");
}
STDMETHODIMP FakeDispatcher::get_CarLastLatitude(double *v)
{
    KX_REQUIRE(Car(), L"нет ТС");
    return Value(v, Car()->latitude, "CarLastLatitude");
}
STDMETHODIMP FakeDispatcher::get_CarLastTime(BSTR *v)
{
    KX_REQUIRE(Car(), L"нет ТС");
    return Text(v, Car()->lastTime, "CarLastTime");
}
STDMETHODIMP FakeDispatcher::get_ServerGroupKey(BSTR *v) { return Text(v, serverGroupKey, "ServerGroupKey"); }
STDMETHODIMP FakeDispatcher::get_ServerCar(LONG *v) { return Value(v, serverCar, "ServerCar"); }
STDMETHODIMP FakeDispatcher::put_SelectServerCar(LONG) { return Fail("SelectServerCar"); }
STDMETHODIMP FakeDispatcher::get_PropertyValue(BSTR *v)
{
    auto it = properties.find(property_);
    KX_REQUIRE(it != properties.end(), L"нет свойства " + property_);
    return Text(v, it->second, "PropertyValue");
}
STDMETHODIMP FakeDispatcher::ComputeTrips(BSTR group, LONG device, BSTR begin, BSTR end, BSTR channel, LONG mode)
{
    const HRESULT hr = Fail("ComputeTrips");
    if (FAILED(hr)) return hr;
    computeRequests.push_back({Str(group), device, Str(begin), Str(end), Str(channel), mode});
    return S_OK;
}
STDMETHODIMP FakeDispatcher::get_ComputeStatus(LONG *v) { return Value(v, computeStatus, "ComputeStatus"); }
STDMETHODIMP FakeDispatcher::get_TripsCount(LONG *v)
{
    ++tripsCountCalls;
    return Value(v, static_cast<LONG>(trips.size()), "TripsCount");
}
STDMETHODIMP FakeDispatcher::put_TripIndex(LONG v)
{
    tripCursor_ = v;
    return Fail("TripIndex");
}
STDMETHODIMP FakeDispatcher::get_TripBegin(BSTR *v)
{
    KX_REQUIRE(Trip(), L"нет рейса");
    return Text(v, Trip()->begin, "TripBegin");
}
STDMETHODIMP FakeDispatcher::get_TripEnd(BSTR *v)
{
    KX_REQUIRE(Trip(), L"нет рейса");
    return Text(v, Trip()->end, "TripEnd");
}
STDMETHODIMP FakeDispatcher::get_TripDuration(BSTR *v)
{
    KX_REQUIRE(Trip(), L"нет рейса");
    return Text(v, Trip()->duration, "TripDuration");
}
STDMETHODIMP FakeDispatcher::get_TrackPointsCount(LONG *v)
{
    KX_REQUIRE(Trip(), L"нет рейса");
    const FakeTrip &t = *Trip();
    return Value(v, t.pointsCount >= 0 ? t.pointsCount : static_cast<LONG>(t.crds.size() / 5), "TrackPointsCount");
}
STDMETHODIMP FakeDispatcher::get_TripEntriesCount(LONG *v)
{
    const std::vector<FakeEntry> *list = Entries();
    return Value(v, list ? static_cast<LONG>(list->size()) : 0L, "TripEntriesCount");
}
STDMETHODIMP FakeDispatcher::put_TripEntryIndex(LONG v)
{
    entryCursor_ = v;
    return Fail("TripEntryIndex");
}
STDMETHODIMP FakeDispatcher::get_TripEntryBegin(BSTR *v)
{
    KX_REQUIRE(Entry(), L"нет записи");
    return Text(v, Entry()->begin, "TripEntryBegin");
}
STDMETHODIMP FakeDispatcher::get_TripEntryEnd(BSTR *v)
{
    KX_REQUIRE(Entry(), L"нет записи");
    return Text(v, Entry()->end, "TripEntryEnd");
}
STDMETHODIMP FakeDispatcher::get_TripEntryDuration(BSTR *v)
{
    KX_REQUIRE(Entry(), L"нет записи");
    return Text(v, Entry()->duration, "TripEntryDuration");
}

}  // namespace seltest
