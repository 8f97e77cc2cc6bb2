// TKarvexAutomation against a small protocol-level fake: subscription and
// release, event routing, error texts, by-name calls, and the checks of what
// the server sends. The fake exists only for what the stand-in dispatcher
// cannot be made to serve: raw HRESULTs without error information, counts
// and numbers of any value, track arrays of any element type and size, and
// by-name calls observed as dispatch ids. Every other test that needs a
// dispatcher uses the stand-in's own automation object.
#include "Karvex_TLB.h"

#include "Karvex.h"

#include <olectl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace {

#define FAKE_GET(Name, T) \
    STDMETHODIMP get_##Name(T *v) override { return Get(v, #Name); }
#define FAKE_PUT(Name, T) \
    STDMETHODIMP put_##Name(T) override { return Done(#Name); }

class Fake : public IKarvexAutomation, public IConnectionPointContainer, public IConnectionPoint {
public:
    LONG refs = 1;
    std::vector<std::pair<DWORD, IDispatch *>> sinks;
    std::vector<std::string> vtableCalls;
    std::map<DISPID, std::wstring> putsByName;
    LONG count = 3;
    double number = 37.6;
    HRESULT fail = S_OK;
    std::wstring errorText;
    std::wstring invokeError;
    VARIANT track;

    Fake() { VariantInit(&track); }
    ~Fake() { VariantClear(&track); }

    void Fire(DISPID id)
    {
        auto copy = sinks;
        for (auto &s : copy) {
            DISPPARAMS none = {nullptr, nullptr, 0, 0};
            EXPECT_EQ(s.second->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
        }
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
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
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the stack

    // IDispatch: the four by-name operations only.
    STDMETHODIMP GetTypeInfoCount(UINT *n) override { *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **t) override { *t = nullptr; return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *names, UINT, LCID, DISPID *id) override
    {
        static const std::map<std::wstring, DISPID> ids = {
            {L"PropertyName", 18}, {L"TrackCrdsArray", 28}, {L"TripEntriesListTypeName", 29},
            {L"TripEntriesListKindName", 30}};
        auto it = ids.find(names[0]);
        if (it == ids.end()) return DISP_E_UNKNOWNNAME;
        *id = it->second;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *p, VARIANT *result, EXCEPINFO *ei,
                        UINT *) override
    {
        if (!invokeError.empty()) {
            ei->bstrDescription = SysAllocString(invokeError.c_str());
            ei->scode = static_cast<SCODE>(0x80040201);
            return DISP_E_EXCEPTION;
        }
        if (flags & DISPATCH_PROPERTYPUT) {
            if (p->cArgs != 1 || p->cNamedArgs != 1 || p->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT ||
                V_VT(&p->rgvarg[0]) != VT_BSTR)
                return DISP_E_BADPARAMCOUNT;
            putsByName[id] = V_BSTR(&p->rgvarg[0]);
            return S_OK;
        }
        if (id == 28 && result) return VariantCopy(result, &track);
        return DISP_E_MEMBERNOTFOUND;
    }

    // IConnectionPointContainer / IConnectionPoint
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **cp) override
    {
        *cp = nullptr;
        if (riid != DIID_IKarvexAutomationEvents) return CONNECT_E_NOCONNECTION;
        *cp = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetConnectionInterface(IID *iid) override { *iid = DIID_IKarvexAutomationEvents; return S_OK; }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **c) override
    {
        *c = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown *sink, DWORD *cookie) override
    {
        IDispatch *d = nullptr;
        if (FAILED(sink->QueryInterface(DIID_IKarvexAutomationEvents, reinterpret_cast<void **>(&d)))) return E_FAIL;
        *cookie = static_cast<DWORD>(sinks.size() + 100);
        sinks.push_back({*cookie, d});
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        for (auto it = sinks.begin(); it != sinks.end(); ++it)
            if (it->first == cookie) {
                it->second->Release();
                sinks.erase(it);
                return S_OK;
            }
        return CONNECT_E_NOCONNECTION;
    }
    STDMETHODIMP EnumConnections(IEnumConnections **) override { return E_NOTIMPL; }

    // IKarvexAutomation
    STDMETHODIMP Start() override { return Done("Start"); }
    FAKE_GET(GroupsCount, LONG)
    FAKE_PUT(GroupIndex, LONG)
    FAKE_GET(GroupKey, BSTR)
    FAKE_GET(GroupName, BSTR)
    STDMETHODIMP SelectGroup(BSTR) override { return Done("SelectGroup"); }
    FAKE_GET(CarsCount, LONG)
    FAKE_PUT(CarIndex, LONG)
    FAKE_GET(CarName, BSTR)
    FAKE_GET(CarNumber, BSTR)
    FAKE_GET(CarDevice, LONG)
    FAKE_GET(CarLastLongitude, double)
    FAKE_GET(CarLastLatitude, double)
    FAKE_GET(CarLastTime, BSTR)
    FAKE_GET(ServerGroupKey, BSTR)
    FAKE_GET(ServerCar, LONG)
    FAKE_PUT(SelectServerCar, LONG)
    STDMETHODIMP put_PropertyName(BSTR) override { return E_UNEXPECTED; }  // must go by name
    FAKE_GET(PropertyValue, BSTR)
    STDMETHODIMP ComputeTrips(BSTR, LONG, BSTR, BSTR, BSTR, LONG) override { return Done("ComputeTrips"); }
    FAKE_GET(ComputeStatus, LONG)
    FAKE_GET(TripsCount, LONG)
    FAKE_PUT(TripIndex, LONG)
    FAKE_GET(TripBegin, BSTR)
    FAKE_GET(TripEnd, BSTR)
    FAKE_GET(TripDuration, BSTR)
    FAKE_GET(TrackPointsCount, LONG)
    STDMETHODIMP get_TrackCrdsArray(VARIANT *) override { return E_UNEXPECTED; }  // must go by name
    STDMETHODIMP put_TripEntriesListTypeName(BSTR) override { return E_UNEXPECTED; }
    STDMETHODIMP put_TripEntriesListKindName(BSTR) override { return E_UNEXPECTED; }
    FAKE_GET(TripEntriesCount, LONG)
    FAKE_PUT(TripEntryIndex, LONG)
    FAKE_GET(TripEntryBegin, BSTR)
    FAKE_GET(TripEntryEnd, BSTR)
    FAKE_GET(TripEntryDuration, BSTR)
    FAKE_GET(TripEntryLongitude, double)
    FAKE_GET(TripEntryLatitude, double)
    FAKE_GET(TripEntrySpeed, double)
    FAKE_GET(TripEntryTank1Begin, double)
    FAKE_GET(TripEntryTank1End, double)
    FAKE_GET(TripEntryTank2Begin, double)
    FAKE_GET(TripEntryTank2End, double)
    FAKE_GET(CheckpointsKey, BSTR)
    STDMETHODIMP LoadCheckpoints(BSTR) override { return Done("LoadCheckpoints"); }
    FAKE_GET(CheckpointsCount, LONG)
    FAKE_PUT(CheckpointIndex, LONG)
    FAKE_GET(CheckpointName, BSTR)
    FAKE_GET(CheckpointAddress, BSTR)
    FAKE_GET(CheckpointLongitude, double)
    FAKE_GET(CheckpointLatitude, double)
    FAKE_GET(CheckpointRadius, LONG)

private:
    HRESULT Done(const char *name)
    {
        vtableCalls.push_back(name);
        if (FAILED(fail) && !errorText.empty()) {
            ICreateErrorInfo *c = nullptr;
            CreateErrorInfo(&c);
            c->SetDescription(const_cast<LPOLESTR>(errorText.c_str()));
            IErrorInfo *e = nullptr;
            c->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&e));
            SetErrorInfo(0, e);
            e->Release();
            c->Release();
        }
        return fail;
    }
    HRESULT Get(LONG *v, const char *n) { *v = count; return Done(n); }
    HRESULT Get(double *v, const char *n) { *v = number; return Done(n); }
    HRESULT Get(BSTR *v, const char *n) { *v = SysAllocString(L"текст"); return Done(n); }
};

SAFEARRAY *Doubles(const std::vector<double> &xs, LONG lower = 1)
{
    SAFEARRAYBOUND b = {static_cast<ULONG>(xs.size()), lower};
    SAFEARRAY *sa = SafeArrayCreate(VT_R8, 1, &b);
    for (LONG i = 0; i < static_cast<LONG>(xs.size()); ++i) {
        LONG at = lower + i;
        double x = xs[static_cast<size_t>(i)];
        SafeArrayPutElement(sa, &at, &x);
    }
    return sa;
}

class Client : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    void SetTrack(VARTYPE vt, SAFEARRAY *sa)
    {
        VariantClear(&fake.track);
        V_VT(&fake.track) = static_cast<VARTYPE>(VT_ARRAY | vt);
        V_ARRAY(&fake.track) = sa;
    }
    Fake fake;
};

}  // namespace

TEST_F(Client, SubscribesOnConnectAndUnsubscribesAndReleasesOnDestroy)
{
    {
        TKarvexAutomation k;
        EXPECT_FALSE(k.Connected());
        EXPECT_EQ(k.DefaultInterface(), nullptr);
        k.ConnectTo(&fake);
        EXPECT_TRUE(k.Connected());
        EXPECT_EQ(fake.sinks.size(), 1u);
        EXPECT_GT(fake.refs, 1);
        k.Start();
        EXPECT_EQ(fake.vtableCalls, std::vector<std::string>{"Start"});
    }
    EXPECT_TRUE(fake.sinks.empty());
    EXPECT_EQ(fake.refs, 1) << "references left on the server";
    try {
        TKarvexAutomation k;
        k.ConnectTo(nullptr);
        FAIL();
    } catch (const KarvexError &e) {
        EXPECT_EQ(e.Message(), kKarvexNotConnected);
    }
}

TEST_F(Client, OnlyTheThreeHandledEventsReachHandlers)
{
    TKarvexAutomation k;
    k.ConnectTo(&fake);
    int end = 0, close = 0, online = 0;
    fake.Fire(205);  // no handler bound yet: nothing happens
    k.OnEndComputing = [&] { ++end; };
    k.OnCloseServer = [&] { ++close; };
    k.OnReceiveOnlineData = [&] { ++online; };
    for (DISPID id : {201, 202, 203, 204, 205, 0, -1, 999}) fake.Fire(id);
    EXPECT_EQ(end, 1);
    EXPECT_EQ(close, 1);
    EXPECT_EQ(online, 1);
}

TEST_F(Client, AHandlersExceptionStaysOnThisSideAndAHandlerMayFreeTheClient)
{
    auto k = std::make_unique<TKarvexAutomation>();
    k->ConnectTo(&fake);
    std::string reported;
    k->OnHandlerError = [&](const std::string &text) { reported = text; };
    k->OnEndComputing = [] { throw std::runtime_error("обработчик упал"); };
    fake.Fire(205);
    EXPECT_EQ(reported, "обработчик упал");
    k->OnCloseServer = [&] { k.reset(); };
    fake.Fire(203);
    EXPECT_EQ(k, nullptr);
    EXPECT_TRUE(fake.sinks.empty());
    EXPECT_EQ(fake.refs, 1);
}

TEST_F(Client, FailuresCarryTheServersTextElseTheSystems)
{
    TKarvexAutomation k;
    k.ConnectTo(&fake);
    fake.fail = static_cast<HRESULT>(0x80040201);
    fake.errorText = L"Нет связи с сервером данных";
    try {
        k.GroupsCount();
        FAIL();
    } catch (const KarvexError &e) {
        EXPECT_EQ(e.Message(), L"Нет связи с сервером данных");
        EXPECT_EQ(e.Hr(), static_cast<HRESULT>(0x80040201));
        EXPECT_STREQ(e.what(), "Нет связи с сервером данных");
    }
    // Without an error object the system's text; a stale one from earlier
    // is not taken for this call's.
    fake.errorText.clear();
    fake.fail = E_ACCESSDENIED;
    ICreateErrorInfo *c = nullptr;
    CreateErrorInfo(&c);
    c->SetDescription(const_cast<LPOLESTR>(L"старая ошибка"));
    IErrorInfo *stale = nullptr;
    c->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&stale));
    SetErrorInfo(0, stale);
    stale->Release();
    c->Release();
    try {
        k.CarName();
        FAIL();
    } catch (const KarvexError &e) {
        EXPECT_EQ(e.Hr(), E_ACCESSDENIED);
        EXPECT_FALSE(e.Message().empty());
        EXPECT_EQ(e.Message().find(L"старая"), std::wstring::npos);
    }
    // Setters and methods fail the same way.
    EXPECT_THROW(k.GroupIndex(1), KarvexError);
    EXPECT_THROW(k.ComputeTrips(L"G1", 1, L"a", L"b", L"GSM", 1), KarvexError);
}

// The program gone (RPC's "server unavailable", "disconnected", an object no
// longer connected) is told from a call the dispatcher refused: the first
// loses the client for good (later calls fail at once, nothing connects on
// its own), the second leaves it working.
TEST_F(Client, AProgramGoneIsToldFromARefusedCall)
{
    for (const HRESULT refused : {static_cast<HRESULT>(0x80040201), E_FAIL, E_ACCESSDENIED, DISP_E_TYPEMISMATCH}) {
        TKarvexAutomation k;
        k.ConnectTo(&fake);
        fake.fail = refused;
        try {
            k.GroupsCount();
            FAIL();
        } catch (const KarvexError &e) {
            EXPECT_FALSE(e.LinkLost()) << std::hex << refused;
        }
        EXPECT_FALSE(k.Lost());
        fake.fail = S_OK;
        EXPECT_NO_THROW(k.GroupsCount()) << "a refused call does not drop the link";
    }
    for (const HRESULT gone : {HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), RPC_E_DISCONNECTED, CO_E_OBJNOTCONNECTED,
                               RPC_E_SERVER_DIED_DNE}) {
        TKarvexAutomation k;
        k.ConnectTo(&fake);
        fake.fail = gone;
        try {
            k.GroupsCount();
            FAIL();
        } catch (const KarvexError &e) {
            EXPECT_TRUE(e.LinkLost()) << std::hex << gone;
            EXPECT_EQ(0u, e.Message().find(kKarvexLinkLost)) << e.what();
        }
        EXPECT_TRUE(k.Lost());
        fake.fail = S_OK;
        const size_t calls = fake.vtableCalls.size();
        try {
            k.CarsCount();
            FAIL() << "a lost client answered";
        } catch (const KarvexError &e) {
            EXPECT_TRUE(e.LinkLost());
            EXPECT_EQ(e.Message(), kKarvexLinkLost);
        }
        EXPECT_EQ(calls, fake.vtableCalls.size()) << "the lost client called the program";
    }
    // The close event: from then on nothing reaches the program.
    TKarvexAutomation k;
    k.ConnectTo(&fake);
    fake.Fire(203);
    EXPECT_TRUE(k.Lost());
    EXPECT_THROW(k.GroupsCount(), KarvexError);
}

TEST_F(Client, FourOperationsGoByNameWithTheirErrorText)
{
    TKarvexAutomation k;
    k.ConnectTo(&fake);
    k.PropertyName(L"Group_Name");
    k.TripEntriesListTypeName(L"tank");
    k.TripEntriesListKindName(L"num1");
    EXPECT_EQ(fake.putsByName[18], L"Group_Name");
    EXPECT_EQ(fake.putsByName[29], L"tank");
    EXPECT_EQ(fake.putsByName[30], L"num1");
    SetTrack(VT_R8, Doubles({39850.5, 37.6, 55.7, 0, 12.5}));
    EXPECT_EQ(k.TrackCrdsArray(1), (std::vector<double>{39850.5, 37.6, 55.7, 0, 12.5}));
    EXPECT_TRUE(fake.vtableCalls.empty());
    fake.invokeError = L"Неизвестный тип списка";
    try {
        k.TripEntriesListTypeName(L"x");
        FAIL();
    } catch (const KarvexError &e) {
        EXPECT_EQ(e.Message(), L"Неизвестный тип списка");
        EXPECT_EQ(e.Hr(), static_cast<HRESULT>(0x80040201));
    }
}

TEST_F(Client, CountsAndNumbersThatCannotBeRightAreErrors)
{
    TKarvexAutomation k;
    k.ConnectTo(&fake);
    fake.count = -1;
    EXPECT_THROW(k.GroupsCount(), KarvexError);
    EXPECT_THROW(k.TripEntriesCount(), KarvexError);
    fake.count = 0x7FFFFFFF;
    EXPECT_THROW(k.CarsCount(), KarvexError);
    EXPECT_THROW(k.TrackPointsCount(), KarvexError);
    fake.count = 0;
    EXPECT_EQ(k.TripsCount(), 0);
    fake.count = -5;
    EXPECT_EQ(k.ComputeStatus(), -5) << "a status is not a count";
    fake.number = std::numeric_limits<double>::quiet_NaN();
    // A vehicle's last position that is no number is an unknown one, so the
    // vehicle can still be listed and chosen.
    EXPECT_EQ(k.CarLastLongitude(), -777);
    EXPECT_EQ(k.CarLastLatitude(), -777);
    EXPECT_THROW(k.TripEntrySpeed(), KarvexError);
    fake.number = std::numeric_limits<double>::infinity();
    EXPECT_THROW(k.CheckpointLatitude(), KarvexError);
    fake.number = -777;
    EXPECT_EQ(k.TripEntryLongitude(), -777);
}

TEST_F(Client, TrackArraysAreCheckedBeforeUse)
{
    TKarvexAutomation k;
    k.ConnectTo(&fake);
    // Any lower bound and variant elements holding numbers are fine.
    SetTrack(VT_R8, Doubles({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0));
    EXPECT_EQ(k.TrackCrdsArray().size(), 10u);
    {
        SAFEARRAYBOUND b = {5, 1};
        SAFEARRAY *sa = SafeArrayCreate(VT_VARIANT, 1, &b);
        for (LONG i = 1; i <= 5; ++i) {
            VARIANT v;
            V_VT(&v) = VT_I4;
            V_I4(&v) = i;
            SafeArrayPutElement(sa, &i, &v);
        }
        SetTrack(VT_VARIANT, sa);
        EXPECT_EQ(k.TrackCrdsArray(1), (std::vector<double>{1, 2, 3, 4, 5}));
    }
    SetTrack(VT_R8, Doubles({}));
    EXPECT_TRUE(k.TrackCrdsArray(0).empty());

    auto bad = [&](const char *what) {
        try {
            k.TrackCrdsArray(1);
            ADD_FAILURE() << "accepted: " << what;
        } catch (const KarvexError &e) {
            EXPECT_EQ(e.Hr(), E_UNEXPECTED) << what;
        }
    };
    SetTrack(VT_R8, Doubles({1, 2, 3, 4}));
    bad("four numbers");
    SetTrack(VT_R8, Doubles({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    bad("two points where one was announced");
    SetTrack(VT_R8, Doubles({1, std::nan(""), 3, 4, 5}));
    bad("NaN");
    {
        SAFEARRAYBOUND b = {5, 1};
        SetTrack(VT_BSTR, SafeArrayCreate(VT_BSTR, 1, &b));
        bad("strings");
        SAFEARRAYBOUND b2[2] = {{5, 1}, {1, 1}};
        SetTrack(VT_R8, SafeArrayCreate(VT_R8, 2, b2));
        bad("two dimensions");
        SAFEARRAY *sa = SafeArrayCreate(VT_VARIANT, 1, &b);
        LONG at = 3;
        VARIANT s;
        V_VT(&s) = VT_BSTR;
        V_BSTR(&s) = SysAllocString(L"3");
        SafeArrayPutElement(sa, &at, &s);
        VariantClear(&s);
        SetTrack(VT_VARIANT, sa);
        bad("a text among variants");
    }
    VariantClear(&fake.track);
    V_VT(&fake.track) = VT_BSTR;
    V_BSTR(&fake.track) = SysAllocString(L"нет данных");
    bad("not an array");
}

TEST(KarvexDates, ReadTheDispatchersTextsAndRefuseOthers)
{
    const double t = KarvexParseDateTime(L"06.02.2009 13:45:07");
    EXPECT_NEAR(t, 39850 + (13 * 3600 + 45 * 60 + 7) / 86400.0, 1e-9);
    EXPECT_EQ(KarvexFormatDateTime(t), L"06.02.2009 13:45:07");
    EXPECT_EQ(KarvexFormatDateTime(39850 + 59.6 / 86400), L"06.02.2009 00:01:00");
    EXPECT_EQ(KarvexParseDateTime(L"06.02.2009 00:00"), 39850.0);
    for (const wchar_t *bad : {L"", L"32.13.2009 25:61:00", L"31.04.2009 10:00:00", L"вчера", L"долго"})
        EXPECT_THROW(KarvexParseDateTime(bad), KarvexError) << bad;
}
