#include "Karvex_TLB.h"

#include "Karvex.h"

#include <oleauto.h>
#include <olectl.h>

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "Bstr.h"
#include "ModuleCount.h"
#include "kx/infopoints.h"
#include "kx/text.h"

const wchar_t *const kKarvexNotConnected =
    L"DefaultInterface is NULL. Component is not connected to Server. You must call \"Connect\" or "
    L"\"ConnectTo\" before this operation";

const wchar_t *const kKarvexLinkLost = L"Нет связи с ПО Карвекс: программа закрыта или не отвечает.";

namespace {

std::wstring SystemText(HRESULT hr)
{
    wchar_t *buf = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t *>(&buf), 0, nullptr);
    std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
    if (buf) LocalFree(buf);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    wchar_t code[64];
    swprintf(code, 64, L"HRESULT 0x%08lX", static_cast<unsigned long>(hr));
    return text.empty() ? std::wstring(L"Ошибка вызова сервера диспетчера, ") + code : text;
}

// Results that say the dispatcher program itself is gone, not that it
// refused the call.
bool DispatcherGone(HRESULT hr)
{
    const DWORD rpc = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : 0;
    return rpc == RPC_S_SERVER_UNAVAILABLE || rpc == RPC_S_CALL_FAILED || rpc == RPC_S_CALL_FAILED_DNE ||
           hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE ||
           hr == CO_E_OBJNOTCONNECTED;
}

// The text a failed call left: the error object the server raised, else
// the system's text for the HRESULT.
[[noreturn]] void RaiseFromCall(HRESULT hr)
{
    std::wstring text;
    IErrorInfo *ei = nullptr;
    if (GetErrorInfo(0, &ei) == S_OK && ei) {
        Bstr description;
        if (SUCCEEDED(ei->GetDescription(description.Put()))) text = description.Str();
        ei->Release();
    }
    if (text.empty()) text = SystemText(hr);
    if (DispatcherGone(hr)) throw KarvexError(std::wstring(kKarvexLinkLost) + L" " + text, hr, true);
    throw KarvexError(text, hr);
}

[[noreturn]] void RaiseBadData(const std::wstring &what)
{
    throw KarvexError(L"Сервер диспетчера передал неверные данные: " + what, E_UNEXPECTED);
}

// Cursor counts beyond this cannot be a real fleet: they would have the
// panel loop for hours.
const long kMaxCount = 10000000;

int CheckCount(LONG v, const wchar_t *name)
{
    if (v < 0 || v > kMaxCount) RaiseBadData(std::wstring(name) + L" = " + std::to_wstring(v));
    return static_cast<int>(v);
}

// No name, address or date of the dispatcher comes near this: a longer text
// would only end up cut off in a list cell or swamping a balloon.
const size_t kMaxText = 65536;

std::wstring CheckText(std::wstring v, const wchar_t *name)
{
    if (v.size() > kMaxText)
        RaiseBadData(std::wstring(name) + L" длиной " + std::to_wstring(v.size()) + L" символов");
    return v;
}

double CheckFinite(double v, const wchar_t *name)
{
    if (!std::isfinite(v)) RaiseBadData(std::wstring(name) + L" не является числом");
    return v;
}

// A text argument of one call; no memory for it is the call's failure.
Bstr Arg(const std::wstring &s)
{
    try {
        return Bstr(s);
    } catch (const std::bad_alloc &) {
        throw KarvexError(L"Недостаточно памяти", E_OUTOFMEMORY);
    }
}

}  // namespace

KarvexError::KarvexError(const std::wstring &message, HRESULT hr, bool linkLost)
    : std::runtime_error(kx::ToUtf8(message)), message_(message), hr_(hr), linkLost_(linkLost)
{
}

// ---------------------------------------------------------------- event sink

class TKarvexEventSink final : public IDispatch {
public:
    // Handed to another program, the sink keeps the module loaded while it
    // lives: a late release from COM's stub must find its code.
    explicit TKarvexEventSink(TKarvexAutomation *owner) : owner_(owner) { ModuleLock(); }
    virtual ~TKarvexEventSink() { ModuleUnlock(); }
    void Orphan() { owner_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_IKarvexAutomationEvents) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP GetTypeInfoCount(UINT *n) override
    {
        if (!n) return E_POINTER;
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **ti) override
    {
        if (ti) *ti = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *result, EXCEPINFO *, UINT *) override
    {
        if (result) VariantInit(result);
        // The handler may free the client: keep ourselves alive meanwhile.
        AddRef();
        if (owner_) owner_->Dispatch(id);
        Release();
        return S_OK;
    }

private:
    LONG refs_ = 1;
    TKarvexAutomation *owner_;
};

void TKarvexAutomation::Dispatch(long id)
{
    std::function<void()> handler;
    switch (id) {
    case 202: handler = OnReceiveOnlineData; break;
    case 203:
        // The program is closing: no call of ours is to reach it any more.
        lost_ = closed_ = true;
        handler = OnCloseServer;
        break;
    case 205: handler = OnEndComputing; break;
    default: return;  // 201, 204 and anything else: not ours to handle
    }
    if (!handler) return;
    // A copy: the handler may destroy this object and its slots with it.
    std::function<void(const std::string &)> onError = OnHandlerError;
    try {
        handler();
    } catch (const std::exception &e) {
        if (onError) onError(e.what());
    } catch (...) {
        if (onError) onError("unknown exception");
    }
}

// ---------------------------------------------------------------- connection

namespace {

IKarvexAutomation *RunningServer()
{
    IUnknown *running = nullptr;
    IKarvexAutomation *server = nullptr;
    if (SUCCEEDED(GetActiveObject(CLSID_KarvexAutomation, nullptr, &running)) && running) {
        // A stale entry of a dispatcher that died fails here.
        if (FAILED(running->QueryInterface(IID_IKarvexAutomation, reinterpret_cast<void **>(&server)))) server = nullptr;
        running->Release();
    }
    return server;
}

// Wine's rpcss keeps the class registration of a server that died without
// revoking it, and activation then fails at once. Starting the registered
// program ourselves and attaching through the running object table gets
// the user a working dispatcher again.
HRESULT StartRegisteredServer(IKarvexAutomation **out)
{
    wchar_t command[1024];
    LONG size = sizeof command;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, L"CLSID\\{D8625B15-227D-4927-B466-E80DCACEEBC2}\\LocalServer32", command,
                       &size) != ERROR_SUCCESS)
        return REGDB_E_CLASSNOTREG;
    std::wstring cmd = std::wstring(command) + L" -Embedding";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return HRESULT_FROM_WIN32(GetLastError());
    CloseHandle(pi.hThread);
    HRESULT hr = CO_E_SERVER_EXEC_FAILURE;
    for (int i = 0; i < 300; ++i) {
        if ((*out = RunningServer())) { hr = S_OK; break; }
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;  // it gave up
    }
    CloseHandle(pi.hProcess);
    return hr;
}

}  // namespace

TKarvexAutomation::TKarvexAutomation()
    : idPropertyName_(DISPID_UNKNOWN), idTypeName_(DISPID_UNKNOWN), idKindName_(DISPID_UNKNOWN), idTrack_(DISPID_UNKNOWN)
{
}

TKarvexAutomation::~TKarvexAutomation() { Disconnect(); }

void TKarvexAutomation::Connect()
{
    if (server_) return;
    IKarvexAutomation *server = RunningServer();
    HRESULT hr = S_OK;
    if (!server) {
        hr = CoCreateInstance(CLSID_KarvexAutomation, nullptr, CLSCTX_SERVER, IID_IKarvexAutomation,
                              reinterpret_cast<void **>(&server));
        if (FAILED(hr)) hr = StartRegisteredServer(&server);
        if (FAILED(hr) || !server) throw KarvexError(kKarvexNotConnected, FAILED(hr) ? hr : E_NOINTERFACE);
    }
    try {
        Attach(server);
    } catch (...) {
        server->Release();
        throw;
    }
    server->Release();
}

void TKarvexAutomation::ConnectTo(IKarvexAutomation *server)
{
    if (!server) throw KarvexError(kKarvexNotConnected, E_POINTER);
    Disconnect();
    Attach(server);
}

void TKarvexAutomation::Attach(IKarvexAutomation *server)
{
    IConnectionPointContainer *cpc = nullptr;
    IConnectionPoint *point = nullptr;
    HRESULT hr = server->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&cpc));
    if (SUCCEEDED(hr)) {
        hr = cpc->FindConnectionPoint(DIID_IKarvexAutomationEvents, &point);
        cpc->Release();
    }
    if (FAILED(hr) || !point) throw KarvexError(kKarvexNotConnected, FAILED(hr) ? hr : E_NOINTERFACE);
    TKarvexEventSink *sink = new TKarvexEventSink(this);
    DWORD cookie = 0;
    hr = point->Advise(sink, &cookie);
    if (FAILED(hr)) {
        sink->Orphan();
        sink->Release();
        point->Release();
        throw KarvexError(kKarvexNotConnected, hr);
    }
    server->AddRef();
    server_ = server;
    point_ = point;
    sink_ = sink;
    cookie_ = cookie;
    idPropertyName_ = idTypeName_ = idKindName_ = idTrack_ = DISPID_UNKNOWN;
}

void TKarvexAutomation::Disconnect()
{
    if (point_) {
        point_->Unadvise(cookie_);  // fails harmlessly when the server is gone
        point_->Release();
        point_ = nullptr;
    }
    if (sink_) {
        sink_->Orphan();
        // Drops what COM's stub holds for the server, alive or dead, so the
        // sink goes now rather than on some later release from the runtime.
        CoDisconnectObject(static_cast<IDispatch *>(sink_), 0);
        sink_->Release();
        sink_ = nullptr;
    }
    if (server_) {
        server_->Release();
        server_ = nullptr;
    }
    cookie_ = 0;
}

IKarvexAutomation *TKarvexAutomation::Server()
{
    if (lost_) throw KarvexError(kKarvexLinkLost, CO_E_OBJNOTCONNECTED, true);
    if (!server_) Connect();
    return server_;
}

template <class F>
void TKarvexAutomation::Call(F &&f)
{
    IKarvexAutomation *s = Server();
    SetErrorInfo(0, nullptr);  // whatever error object follows is this call's
    const HRESULT hr = f(s);
    if (FAILED(hr)) {
        lost_ = lost_ || DispatcherGone(hr);
        RaiseFromCall(hr);
    }
}

// ---------------------------------------------------------------- late-bound calls

namespace {

[[noreturn]] void RaiseFromInvoke(HRESULT hr, EXCEPINFO &ei)
{
    if (hr == DISP_E_EXCEPTION) {
        if (ei.pfnDeferredFillIn) ei.pfnDeferredFillIn(&ei);
        const Bstr description = Bstr::Adopt(ei.bstrDescription), source = Bstr::Adopt(ei.bstrSource),
                   helpFile = Bstr::Adopt(ei.bstrHelpFile);
        std::wstring text = description.Str();
        const HRESULT code = FAILED(ei.scode) ? ei.scode : (ei.wCode ? MAKE_HRESULT(1, FACILITY_ITF, ei.wCode) : hr);
        if (text.empty()) text = SystemText(code);
        throw KarvexError(text, code);
    }
    RaiseFromCall(hr);
}

DISPID IdOf(IKarvexAutomation *s, const wchar_t *name, long &cache)
{
    if (cache != DISPID_UNKNOWN) return cache;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    DISPID id = DISPID_UNKNOWN;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = s->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) RaiseFromCall(hr);
    cache = id;
    return id;
}

}  // namespace

void TKarvexAutomation::PutByName(const wchar_t *name, long &cache, const std::wstring &value)
{
    IKarvexAutomation *s = Server();
    const DISPID id = NoteLoss([&] { return IdOf(s, name, cache); });
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = Arg(value).Detach();  // VariantClear frees it
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&arg, &named, 1, 1};
    EXCEPINFO ei = {};
    UINT argErr = 0;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = s->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, &ei, &argErr);
    VariantClear(&arg);
    lost_ = lost_ || DispatcherGone(hr);
    if (FAILED(hr)) RaiseFromInvoke(hr, ei);
}

void TKarvexAutomation::GetByName(const wchar_t *name, long &cache, VARIANT *out)
{
    IKarvexAutomation *s = Server();
    const DISPID id = NoteLoss([&] { return IdOf(s, name, cache); });
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    EXCEPINFO ei = {};
    UINT argErr = 0;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = s->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params,
                                 out, &ei, &argErr);
    if (FAILED(hr)) {
        lost_ = lost_ || DispatcherGone(hr);
        VariantClear(out);
        RaiseFromInvoke(hr, ei);
    }
}

// ---------------------------------------------------------------- operations

#define KX_STRING(Name)                                               \
    std::wstring TKarvexAutomation::Name()                            \
    {                                                                 \
        Bstr b;                                                       \
        Call([&](IKarvexAutomation *s) { return s->get_##Name(b.Put()); }); \
        return CheckText(b.Str(), L## #Name);                         \
    }
#define KX_COUNT(Name)                                                \
    int TKarvexAutomation::Name()                                     \
    {                                                                 \
        LONG v = 0;                                                   \
        Call([&](IKarvexAutomation *s) { return s->get_##Name(&v); }); \
        return CheckCount(v, L## #Name);                              \
    }
#define KX_LONG(Name)                                                 \
    int TKarvexAutomation::Name()                                     \
    {                                                                 \
        LONG v = 0;                                                   \
        Call([&](IKarvexAutomation *s) { return s->get_##Name(&v); }); \
        return static_cast<int>(v);                                   \
    }
#define KX_DOUBLE(Name)                                               \
    double TKarvexAutomation::Name()                                  \
    {                                                                 \
        double v = 0;                                                 \
        Call([&](IKarvexAutomation *s) { return s->get_##Name(&v); }); \
        return CheckFinite(v, L## #Name);                             \
    }
#define KX_PUT_LONG(Name)                                                  \
    void TKarvexAutomation::Name(int value)                                \
    {                                                                      \
        Call([&](IKarvexAutomation *s) { return s->put_##Name(value); });  \
    }

void TKarvexAutomation::Start()
{
    Call([](IKarvexAutomation *s) { return s->Start(); });
}

KX_COUNT(GroupsCount)
KX_PUT_LONG(GroupIndex)
KX_STRING(GroupKey)
KX_STRING(GroupName)

void TKarvexAutomation::SelectGroup(const std::wstring &key)
{
    const Bstr k = Arg(key);
    Call([&](IKarvexAutomation *s) { return s->SelectGroup(k.Get()); });
}

KX_COUNT(CarsCount)
KX_PUT_LONG(CarIndex)
KX_STRING(CarName)
KX_STRING(CarNumber)
KX_LONG(CarDevice)
// A vehicle's last position that is no number at all (NaN) is a position the
// dispatcher does not know, like its -777: the vehicle is still listed.
#define KX_POSITION(Name)                                             \
    double TKarvexAutomation::Name()                                  \
    {                                                                 \
        double v = 0;                                                 \
        Call([&](IKarvexAutomation *s) { return s->get_##Name(&v); }); \
        return std::isfinite(v) ? v : kx::kNoPosition;                \
    }
KX_POSITION(CarLastLongitude)
KX_POSITION(CarLastLatitude)
KX_STRING(CarLastTime)

KX_STRING(ServerGroupKey)
KX_LONG(ServerCar)
KX_PUT_LONG(SelectServerCar)

void TKarvexAutomation::PropertyName(const std::wstring &name) { PutByName(L"PropertyName", idPropertyName_, name); }

KX_STRING(PropertyValue)

void TKarvexAutomation::ComputeTrips(const std::wstring &groupKey, int device, const std::wstring &begin,
                                     const std::wstring &end, const std::wstring &channel, int mode)
{
    const Bstr g = Arg(groupKey), b = Arg(begin), e = Arg(end), c = Arg(channel);
    Call([&](IKarvexAutomation *s) { return s->ComputeTrips(g.Get(), device, b.Get(), e.Get(), c.Get(), mode); });
}

KX_LONG(ComputeStatus)
KX_COUNT(TripsCount)
KX_PUT_LONG(TripIndex)
KX_STRING(TripBegin)
KX_STRING(TripEnd)
KX_STRING(TripDuration)
KX_COUNT(TrackPointsCount)

std::vector<double> TKarvexAutomation::TrackCrdsArray(int expectedPoints)
{
    VARIANT v;
    VariantInit(&v);
    GetByName(L"TrackCrdsArray", idTrack_, &v);
    struct Clear {
        VARIANT &v;
        ~Clear() { VariantClear(&v); }
    } clear{v};
    if (!(V_VT(&v) & VT_ARRAY)) RaiseBadData(L"TrackCrdsArray не массив (тип " + std::to_wstring(V_VT(&v)) + L")");
    SAFEARRAY *sa = (V_VT(&v) & VT_BYREF) ? (V_ARRAYREF(&v) ? *V_ARRAYREF(&v) : nullptr) : V_ARRAY(&v);
    if (!sa) RaiseBadData(L"TrackCrdsArray пуст");
    if (SafeArrayGetDim(sa) != 1) RaiseBadData(L"TrackCrdsArray не одномерный");
    LONG lo = 0, hi = -1;
    if (FAILED(SafeArrayGetLBound(sa, 1, &lo)) || FAILED(SafeArrayGetUBound(sa, 1, &hi)))
        RaiseBadData(L"TrackCrdsArray без границ");
    const long long count = static_cast<long long>(hi) - lo + 1;
    if (count < 0 || count > 5LL * kMaxCount) RaiseBadData(L"TrackCrdsArray длины " + std::to_wstring(count));
    if (count % 5 != 0)
        RaiseBadData(L"в TrackCrdsArray " + std::to_wstring(count) + L" чисел, не кратно пяти");
    if (expectedPoints >= 0 && count != 5LL * expectedPoints)
        RaiseBadData(L"в TrackCrdsArray " + std::to_wstring(count / 5) + L" точек вместо " +
                     std::to_wstring(expectedPoints));
    VARTYPE vt = VT_EMPTY;
    SafeArrayGetVartype(sa, &vt);
    std::vector<double> out(static_cast<size_t>(count));
    void *data = nullptr;
    if (FAILED(SafeArrayAccessData(sa, &data))) RaiseBadData(L"TrackCrdsArray недоступен");
    struct Unaccess {
        SAFEARRAY *sa;
        ~Unaccess() { SafeArrayUnaccessData(sa); }
    } unaccess{sa};
    for (size_t i = 0; i < out.size(); ++i) {
        double x = 0;
        if (vt == VT_R8) {
            x = static_cast<const double *>(data)[i];
        } else if (vt == VT_VARIANT) {
            const VARIANT &e = static_cast<const VARIANT *>(data)[i];
            switch (V_VT(&e)) {
            case VT_R8: x = V_R8(&e); break;
            case VT_DATE: x = V_DATE(&e); break;
            case VT_R4: x = V_R4(&e); break;
            case VT_I4: x = V_I4(&e); break;
            case VT_I2: x = V_I2(&e); break;
            default: RaiseBadData(L"элемент " + std::to_wstring(i + 1) + L" TrackCrdsArray не число");
            }
        } else {
            RaiseBadData(L"TrackCrdsArray из элементов типа " + std::to_wstring(vt));
        }
        if (!std::isfinite(x)) RaiseBadData(L"элемент " + std::to_wstring(i + 1) + L" TrackCrdsArray не является числом");
        out[i] = x;
    }
    return out;
}

void TKarvexAutomation::TripEntriesListTypeName(const std::wstring &name)
{
    PutByName(L"TripEntriesListTypeName", idTypeName_, name);
}

void TKarvexAutomation::TripEntriesListKindName(const std::wstring &name)
{
    PutByName(L"TripEntriesListKindName", idKindName_, name);
}

KX_COUNT(TripEntriesCount)
KX_PUT_LONG(TripEntryIndex)
KX_STRING(TripEntryBegin)
KX_STRING(TripEntryEnd)
KX_STRING(TripEntryDuration)
KX_DOUBLE(TripEntryLongitude)
KX_DOUBLE(TripEntryLatitude)
KX_DOUBLE(TripEntrySpeed)
KX_DOUBLE(TripEntryTank1Begin)
KX_DOUBLE(TripEntryTank1End)
KX_DOUBLE(TripEntryTank2Begin)
KX_DOUBLE(TripEntryTank2End)

KX_STRING(CheckpointsKey)

void TKarvexAutomation::LoadCheckpoints(const std::wstring &key)
{
    const Bstr k = Arg(key);
    Call([&](IKarvexAutomation *s) { return s->LoadCheckpoints(k.Get()); });
}

KX_COUNT(CheckpointsCount)
KX_PUT_LONG(CheckpointIndex)
KX_STRING(CheckpointName)
KX_STRING(CheckpointAddress)
KX_DOUBLE(CheckpointLongitude)
KX_DOUBLE(CheckpointLatitude)
KX_LONG(CheckpointRadius)

// ---------------------------------------------------------------- dates

double KarvexParseDateTime(const std::wstring &text)
{
    int d, mo, y, h, mi, s = 0;
    wchar_t rest = 0;
    const int n = swscanf(text.c_str(), L"%2d.%2d.%4d %2d:%2d:%2d%lc", &d, &mo, &y, &h, &mi, &s, &rest);
    if (n == 6 || n == 5) {
        SYSTEMTIME st = {};
        st.wYear = static_cast<WORD>(y);
        st.wMonth = static_cast<WORD>(mo);
        st.wDay = static_cast<WORD>(d);
        st.wHour = static_cast<WORD>(h);
        st.wMinute = static_cast<WORD>(mi);
        st.wSecond = static_cast<WORD>(s);
        double t = 0;
        if (y >= 1900 && mo >= 1 && mo <= 12 && d >= 1 && d <= 31 && h >= 0 && h <= 23 && mi >= 0 && mi <= 59 &&
            s >= 0 && s <= 59 && SystemTimeToVariantTime(&st, &t)) {
            // SystemTimeToVariantTime accepts 31 April; a round trip does not.
            SYSTEMTIME back = {};
            if (VariantTimeToSystemTime(t, &back) && back.wDay == st.wDay && back.wMonth == st.wMonth) return t;
        }
        throw KarvexError(L"Неверная дата «" + text + L"»", DISP_E_TYPEMISMATCH);
    }
    DATE t = 0;
    const Bstr b = Arg(text);
    const HRESULT hr = text.empty() ? DISP_E_TYPEMISMATCH : VarDateFromStr(b.Get(), LOCALE_USER_DEFAULT, 0, &t);
    if (FAILED(hr)) throw KarvexError(L"Неверная дата «" + text + L"»", hr);
    return t;
}

std::wstring KarvexFormatDateTime(double oleDate)
{
    // Whole seconds, rounded, as the dispatcher expects.
    const double secs = std::nearbyint(oleDate * 86400.0);
    const long long total = static_cast<long long>(secs);
    long long days = total / 86400, rem = total % 86400;
    if (rem < 0) { rem += 86400; --days; }
    SYSTEMTIME st = {};
    if (!VariantTimeToSystemTime(static_cast<double>(days), &st)) throw KarvexError(L"Неверная дата", E_INVALIDARG);
    wchar_t buf[40];
    swprintf(buf, 40, L"%02u.%02u.%04u %02lld:%02lld:%02lld", st.wDay, st.wMonth, st.wYear, rem / 3600, rem / 60 % 60,
             rem % 60);
    return buf;
}
