#include "Dispatcher.h"
#include "Bstr.h"

#include "DateText.h"
#include "kx/text.h"

#include <oleauto.h>
#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace kxd {

namespace {

// An operation's own failure: its text reaches the client as the error
// description.
struct ServerError {
    std::wstring text;
    HRESULT hr;
};
constexpr HRESULT kServerError = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x201);

[[noreturn]] void Throw(const std::wstring &text, HRESULT hr = kServerError) { throw ServerError{text, hr}; }

// A date text no reader can take: served by the bad-date faults.
const wchar_t kImpossibleDate[] = L"32.13.2009 25:61:00";

std::wstring Num(long long v) { return std::to_wstring(v); }


void CheckIndex(long value, size_t count, const wchar_t *what)
{
    if (value < 1 || static_cast<size_t>(value) > count)
        Throw(std::wstring(what) + L" " + Num(value) + L" вне диапазона 1.." + Num(static_cast<long long>(count)),
              E_INVALIDARG);
}

bool Disconnected(HRESULT hr)
{
    return hr == RPC_E_DISCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE || hr == CO_E_OBJNOTCONNECTED ||
           hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED);
}

const UINT_PTR kComputeTimer = 1, kOnlineTimer = 2, kEndTimer = 3;

std::wstring Joined(const std::vector<std::wstring> &args)
{
    std::wstring out;
    for (const std::wstring &a : args) out += (out.empty() ? L"" : L", ") + a;
    return out;
}

// The object's own message-only window: its timers and the events it posts
// to itself arrive through whatever message loop runs the thread, the
// program's or a test's.
const wchar_t kEventWindowClass[] = L"KXDispatcherEvents";

LRESULT CALLBACK EventWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto *d = reinterpret_cast<Dispatcher *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (d && msg == WM_KXD_FIRE) {
        d->Fire(static_cast<DISPID>(wp));
        return 0;
    }
    if (d && msg == WM_TIMER) {
        if (wp == kComputeTimer) d->FinishComputation();
        else if (wp == kOnlineTimer) d->OnlineTick();
        else if (wp == kEndTimer) d->EndAbruptly();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND CreateEventWindow(Dispatcher *owner)
{
    static const ATOM registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = EventWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kEventWindowClass;
        return RegisterClassW(&wc);
    }();
    (void)registered;
    HWND w = CreateWindowExW(0, kEventWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!w) throw std::runtime_error("the dispatcher's event window cannot be created");
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return w;
}

// Fills every entries list of the trips up to `atLeast` entries, spread
// along each trip's track, for load tests of the lists.
void PadEntryLists(std::vector<kxfleet::Trip> &trips, int atLeast)
{
    if (atLeast <= 0) return;
    for (kxfleet::Trip &trip : trips) {
        if (trip.track.empty()) continue;
        for (const std::string &query : kxfleet::ListQueries()) {
            std::vector<kxfleet::Entry> &list = trip.lists[query];
            for (int k = static_cast<int>(list.size()); k < atLeast; ++k) {
                const kxfleet::TrackPoint &p = trip.track[static_cast<size_t>(k) * trip.track.size() / atLeast];
                kxfleet::Entry e;
                e.begin = p.time;
                e.end = p.time + (30 + k % 600) / kxfleet::kSecondsPerDay;
                e.lon = p.lon;
                e.lat = p.lat;
                e.speed = p.speed;
                e.tank1Begin = e.tank2Begin = 40;
                e.tank1End = e.tank2End = k % 2 ? 52.5 : 31.25;
                list.push_back(e);
            }
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- log

namespace {
HANDLE g_logFile = INVALID_HANDLE_VALUE;
HWND g_logWindow = nullptr;
}  // namespace

void Log::Open(const std::wstring &path, HWND window)
{
    g_logWindow = window;
    if (path.empty()) return;
    g_logFile = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Log::SetWindow(HWND window) { g_logWindow = window; }

void Log::Line(const std::wstring &text)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t stamp[48];
    swprintf(stamp, 48, L"%02u:%02u:%02u.%03u [%lu] ", st.wHour, st.wMinute, st.wSecond, st.wMilliseconds,
             GetCurrentProcessId());
    const std::wstring line = stamp + text;
    if (g_logFile != INVALID_HANDLE_VALUE) {
        const std::string bytes = kx::ToUtf8(line) + "\r\n";
        DWORD written = 0;
        WriteFile(g_logFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    if (g_logWindow) {
        auto *copy = new (std::nothrow) std::wstring(line);
        if (copy && !PostMessageW(g_logWindow, WM_KXD_LOG, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
    }
}

// ---------------------------------------------------------------- connection point

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint *>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}
STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return owner_.AddRef(); }
STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return owner_.Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID *iid)
{
    if (!iid) return E_POINTER;
    *iid = DIID_IKarvexAutomationEvents;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **cpc)
{
    if (!cpc) return E_POINTER;
    *cpc = static_cast<IConnectionPointContainer *>(&owner_);
    (*cpc)->AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    IDispatch *disp = nullptr;
    if (FAILED(sink->QueryInterface(DIID_IKarvexAutomationEvents, reinterpret_cast<void **>(&disp))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&disp))))
        return CONNECT_E_CANNOTCONNECT;
    try {
        sinks_.push_back({next_, disp});
    } catch (...) {
        disp->Release();
        return E_OUTOFMEMORY;
    }
    *cookie = next_++;
    Log::Line(L"Advise: подписчик " + Num(*cookie));
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie)
{
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
        if (it->cookie == cookie) {
            IDispatch *d = it->disp;
            sinks_.erase(it);
            d->Release();
            Log::Line(L"Unadvise: подписчик " + Num(cookie));
            return S_OK;
        }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections **e)
{
    if (e) *e = nullptr;
    return E_NOTIMPL;
}

void ConnectionPoint::Fire(DISPID id)
{
    // Handlers may call back and even unsubscribe: work on a counted copy.
    std::vector<Sink> copy = sinks_;
    for (Sink &s : copy) s.disp->AddRef();
    for (Sink &s : copy) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        const HRESULT hr = s.disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                                          nullptr, nullptr);
        wchar_t buf[64];
        swprintf(buf, 64, L"событие %ld -> подписчик %lu: 0x%08lX", id, s.cookie, static_cast<unsigned long>(hr));
        Log::Line(buf);
        if (Disconnected(hr)) Unadvise(s.cookie);  // that client is gone
    }
    for (Sink &s : copy) s.disp->Release();
}

void ConnectionPoint::ReleaseAll()
{
    std::vector<Sink> all;
    all.swap(sinks_);
    for (Sink &s : all) s.disp->Release();
}

// ---------------------------------------------------------------- type information

TypeInfos::~TypeInfos()
{
    if (automation) automation->Release();
    if (control) control->Release();
    for (ITypeLib *lib : libraries_)
        if (lib) lib->Release();
}

HRESULT TypeInfos::Load(const std::wstring &automationLibrary, const std::wstring &controlLibrary)
{
    HRESULT hr = LoadTypeLibEx(automationLibrary.c_str(), REGKIND_NONE, &libraries_[0]);
    if (SUCCEEDED(hr)) hr = libraries_[0]->GetTypeInfoOfGuid(IID_IKarvexAutomation, &automation);
    if (SUCCEEDED(hr)) hr = LoadTypeLibEx(controlLibrary.c_str(), REGKIND_NONE, &libraries_[1]);
    if (SUCCEEDED(hr)) hr = libraries_[1]->GetTypeInfoOfGuid(IID_IKXDispatcherControl, &control);
    return hr;
}

// ---------------------------------------------------------------- dispatcher

Dispatcher::Dispatcher(Options &opt, kxfleet::Fleet fleet, const TypeInfos &types, HWND programWindow)
    : opt_(opt), fleet_(std::move(fleet)), program_(programWindow), events_(CreateEventWindow(this)),
      info_(types.automation), controlInfo_(types.control), cp_(*this), control_(*this)
{
    info_->AddRef();
    controlInfo_->AddRef();
    if (opt_.onlineMs > 0) SetTimer(events_, kOnlineTimer, static_cast<UINT>(opt_.onlineMs), nullptr);
    // The dispatcher starts with a computation of its own: the first vehicle
    // that has data, on the last day of its recording.
    for (const kxfleet::Group &g : fleet_.groups) {
        for (int vi : g.vehicles) {
            kxfleet::Sample last;
            const kxfleet::Vehicle &v = fleet_.vehicles[vi];
            if (!kxfleet::LastKnownPosition(v, last)) continue;
            serverGroup_ = g.key;
            serverCar_ = v.device;
            const double day = std::floor(last.time);
            pending_ = {g.key, v.device, day, day + 1, true};
            break;
        }
        if (!serverGroup_.empty()) break;
    }
    if (!serverGroup_.empty()) {
        const kxfleet::Vehicle *v = fleet_.FindVehicle(pending_.device);
        const kxfleet::Group *g = fleet_.FindGroup(pending_.group);
        kxfleet::DeriveOptions d;
        d.speedLimitKmh = opt_.speedLimitKmh;
        trips_ = kxfleet::ComputeTrips(*v, g->checkpoints, pending_.begin, pending_.end, d);
        PadEntryLists(trips_, opt_.busyLists);
        last_ = pending_;
        haveLast_ = true;
        status_ = 0;
    } else if (!fleet_.groups.empty()) {
        serverGroup_ = fleet_.groups.front().key;
    }
    for (size_t i = 0; i < fleet_.groups.size(); ++i)
        if (fleet_.groups[i].key == serverGroup_) group_ = static_cast<int>(i);
}

Dispatcher::~Dispatcher()
{
    DestroyWindow(events_);
    cp_.ReleaseAll();
    info_->Release();
    controlInfo_->Release();
}

void Dispatcher::Fire(DISPID id)
{
    ++raised_[id];
    cp_.Fire(id);
}

long Dispatcher::raised(DISPID id) const
{
    const auto it = raised_.find(id);
    return it == raised_.end() ? 0 : it->second;
}

STDMETHODIMP Dispatcher::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IKarvexAutomation)
        *ppv = static_cast<IKarvexAutomation *>(this);
    else if (riid == IID_IConnectionPointContainer)
        *ppv = static_cast<IConnectionPointContainer *>(this);
    else if (riid == IID_IExternalConnection)
        *ppv = static_cast<IExternalConnection *>(this);
    else if (riid == IID_ISupportErrorInfo)
        *ppv = static_cast<ISupportErrorInfo *>(this);
    else if (riid == IID_IKXDispatcherControl)
        *ppv = static_cast<IKXDispatcherControl *>(&control_);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) Dispatcher::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) Dispatcher::Release()
{
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP Dispatcher::GetTypeInfoCount(UINT *n)
{
    if (!n) return E_POINTER;
    *n = 1;
    return S_OK;
}

STDMETHODIMP Dispatcher::GetTypeInfo(UINT i, LCID, ITypeInfo **ti)
{
    if (!ti) return E_POINTER;
    *ti = nullptr;
    if (i != 0) return DISP_E_BADINDEX;
    info_->AddRef();
    *ti = info_;
    return S_OK;
}

STDMETHODIMP Dispatcher::GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT n, LCID, DISPID *ids)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return DispGetIDsOfNames(info_, names, n, ids);
}

STDMETHODIMP Dispatcher::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                                EXCEPINFO *ei, UINT *argErr)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return DispInvoke(static_cast<IKarvexAutomation *>(this), info_, id, flags, params, result, ei, argErr);
}

STDMETHODIMP Dispatcher::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID_IKarvexAutomation || riid == IID_IKXDispatcherControl ? S_OK : S_FALSE;
}

STDMETHODIMP Dispatcher::EnumConnectionPoints(IEnumConnectionPoints **e)
{
    if (e) *e = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Dispatcher::FindConnectionPoint(REFIID riid, IConnectionPoint **cp)
{
    if (!cp) return E_POINTER;
    *cp = nullptr;
    if (riid != DIID_IKarvexAutomationEvents) return CONNECT_E_NOCONNECTION;
    *cp = &cp_;
    cp_.AddRef();
    return S_OK;
}

STDMETHODIMP_(DWORD) Dispatcher::AddConnection(DWORD type, DWORD)
{
    if (type & EXTCONN_STRONG) {
        ++clients_;
        hadClient_ = true;
        Log::Line(L"клиент подключён, клиентов: " + Num(clients_));
    }
    return static_cast<DWORD>(clients_);
}

STDMETHODIMP_(DWORD) Dispatcher::ReleaseConnection(DWORD type, DWORD, BOOL lastReleaseCloses)
{
    if (type & EXTCONN_STRONG) {
        if (clients_ > 0) --clients_;
        Log::Line(L"клиент отключён, клиентов: " + Num(clients_));
        if (clients_ == 0 && lastReleaseCloses && program_) PostMessageW(program_, WM_KXD_LASTCLIENT, 0, 0);
    }
    return static_cast<DWORD>(clients_);
}

HRESULT Dispatcher::Error(const std::wstring &text, HRESULT hr)
{
    ICreateErrorInfo *cei = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&cei))) {
        std::wstring t = text;
        cei->SetDescription(&t[0]);
        wchar_t source[] = L"KXDispatcher";
        cei->SetSource(source);
        cei->SetGUID(IID_IKarvexAutomation);
        IErrorInfo *ei = nullptr;
        if (SUCCEEDED(cei->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&ei)))) {
            SetErrorInfo(0, ei);
            ei->Release();
        }
        cei->Release();
    }
    return hr;
}

HRESULT Dispatcher::Call(const wchar_t *name, std::vector<std::wstring> args,
                         const std::function<HRESULT(std::wstring &)> &body)
{
    ++calls_;
    const std::wstring joined = Joined(args);
    const HRESULT hr = Serve(name, std::wstring(name) + (joined.empty() ? L"" : L"(" + joined + L")"), body);
    if (journal_.size() == kJournalSize) journal_.pop_front();
    journal_.push_back({calls_, name, std::move(args), hr});
    return hr;
}

HRESULT Dispatcher::Serve(const wchar_t *name, const std::wstring &head,
                          const std::function<HRESULT(std::wstring &)> &body)
{
    if (opt_.exitDuringCall > 0 && --opt_.exitDuringCall == 0) {
        Log::Line(head + L": аварийное завершение по заказу");
        // The call gets no answer and nobody is told. The class registration
        // goes first all the same: Wine's rpcss keeps a dead process's
        // registration, and no dispatcher could be started after it.
        EndAbruptly();
    }
    if (opt_.delayMs > 0) Sleep(static_cast<DWORD>(opt_.delayMs));
    // Events ordered for this call go out before it answers: the caller is
    // waiting on it meanwhile.
    for (size_t i = 0; i < eventsDuringCalls_.size();) {
        EventDuringCall &e = eventsDuringCalls_[i];
        if (e.operation == name && --e.callsLeft == 0) {
            const DISPID id = e.id;
            eventsDuringCalls_.erase(eventsDuringCalls_.begin() + static_cast<std::ptrdiff_t>(i));
            Log::Line(head + L": событие " + Num(static_cast<long>(id)) + L" во время вызова");
            Fire(id);
        } else {
            ++i;
        }
    }
    // A failure ordered for the next call, or for the next call of this operation.
    std::wstring ordered = std::exchange(opt_.failNext, std::wstring());
    if (ordered.empty()) {
        const auto failing = failCalls_.find(name);
        if (failing != failCalls_.end()) {
            ordered = failing->second;
            failCalls_.erase(failing);
        }
    }
    if (!ordered.empty()) {
        Log::Line(head + L" -> ошибка по заказу: " + ordered);
        return Error(ordered);
    }
    std::wstring result;
    HRESULT hr;
    try {
        hr = body(result);
    } catch (const ServerError &e) {
        Log::Line(head + L" -> ошибка: " + e.text);
        return Error(e.text, e.hr);
    } catch (const std::bad_alloc &) {
        Log::Line(head + L" -> нехватка памяти");
        return Error(L"Недостаточно памяти", E_OUTOFMEMORY);
    } catch (const std::exception &e) {
        Log::Line(head + L" -> ошибка: " + kx::ToWide(e.what()));
        return Error(kx::ToWide(e.what()), E_FAIL);
    } catch (...) {
        return Error(L"Внутренняя ошибка", E_UNEXPECTED);
    }
    Log::Line(head + (result.empty() ? L"" : L" -> " + result));
    return hr;
}

HRESULT Dispatcher::Str(const wchar_t *name, BSTR *out, const std::function<std::wstring()> &get)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return Call(name, {}, [&](std::wstring &r) {
        std::wstring s = get();
        if (Malformed(L"empty-texts")) s.clear();
        if (Malformed(L"huge-texts")) s.assign(200000, L'Ж');
        *out = Bstr(s).Detach();
        r = s.size() > 200 ? L"«" + s.substr(0, 200) + L"…» (" + Num(static_cast<long long>(s.size())) + L")"
                           : L"«" + s + L"»";
        return S_OK;
    });
}

HRESULT Dispatcher::Long(const wchar_t *name, LONG *out, const std::function<long()> &get, bool isCount)
{
    if (!out) return E_POINTER;
    *out = 0;
    return Call(name, {}, [&](std::wstring &r) {
        long v = get();
        if (isCount && Malformed(L"negative-counts")) v = -3;
        if (isCount && Malformed(L"huge-counts")) v = 0x7FFFFFFF;
        *out = v;
        r = Num(v);
        return S_OK;
    });
}

HRESULT Dispatcher::Dbl(const wchar_t *name, double *out, const std::function<double()> &get)
{
    if (!out) return E_POINTER;
    *out = 0;
    return Call(name, {}, [&](std::wstring &r) {
        double v = get();
        if (Malformed(L"nan")) v = std::numeric_limits<double>::quiet_NaN();
        *out = v;
        wchar_t buf[40];
        swprintf(buf, 40, L"%.9g", v);
        r = buf;
        return S_OK;
    });
}

std::wstring Dispatcher::DateText(double t) const
{
    return Malformed(L"bad-dates") ? kImpossibleDate : FormatDateTimeText(t);
}

std::wstring Dispatcher::DurationText(double days) const
{
    return Malformed(L"bad-dates") ? L"долго" : kx::ToWide(kxfleet::FormatDuration(days));
}

const kxfleet::Group &Dispatcher::CurrentGroup() const
{
    if (group_ < 0 || static_cast<size_t>(group_) >= fleet_.groups.size()) Throw(L"Группа не выбрана");
    return fleet_.groups[static_cast<size_t>(group_)];
}

const kxfleet::Vehicle &Dispatcher::CurrentCar() const
{
    const kxfleet::Group &g = CurrentGroup();
    if (carCursor_ < 1 || static_cast<size_t>(carCursor_) > g.vehicles.size())
        Throw(L"ТС не выбрано: задайте CarIndex");
    return fleet_.vehicles[static_cast<size_t>(g.vehicles[static_cast<size_t>(carCursor_ - 1)])];
}

const kxfleet::Trip &Dispatcher::CurrentTrip() const
{
    if (status_ == 1) Throw(L"Идёт расчёт рейсов");
    if (tripCursor_ < 1 || static_cast<size_t>(tripCursor_) > trips_.size()) Throw(L"Рейс не выбран: задайте TripIndex");
    return trips_[static_cast<size_t>(tripCursor_ - 1)];
}

const std::vector<kxfleet::Entry> &Dispatcher::CurrentList() const
{
    const kxfleet::Trip &t = CurrentTrip();
    if (listType_.empty()) Throw(L"Тип списка не задан: задайте TripEntriesListTypeName");
    const bool needsKind = listType_ == "checkpoints" || listType_ == "tank" || listType_ == "sensor_on";
    if (needsKind && listKind_.empty()) Throw(L"Вид списка не задан: задайте TripEntriesListKindName");
    const std::string query = needsKind ? listType_ + "-" + listKind_ : listType_;
    auto it = t.lists.find(query);
    if (it == t.lists.end()) Throw(L"Нет списка «" + kx::ToWide(query) + L"»");
    return it->second;
}

const kxfleet::Entry &Dispatcher::CurrentEntry() const
{
    const auto &list = CurrentList();
    if (entryCursor_ < 1 || static_cast<size_t>(entryCursor_) > list.size())
        Throw(L"Запись не выбрана: задайте TripEntryIndex");
    return list[static_cast<size_t>(entryCursor_ - 1)];
}

const kxfleet::Checkpoint &Dispatcher::CurrentCheckpoint() const
{
    if (checkpointCursor_ < 1 || static_cast<size_t>(checkpointCursor_) > checkpoints_.size())
        Throw(L"Контрольная точка не выбрана: задайте CheckpointIndex");
    return checkpoints_[static_cast<size_t>(checkpointCursor_ - 1)];
}

// ---- session, groups and vehicles

STDMETHODIMP Dispatcher::Start()
{
    return Call(L"Start", {}, [](std::wstring &) { return S_OK; });
}

STDMETHODIMP Dispatcher::get_GroupsCount(LONG *v)
{
    return Long(L"GroupsCount", v, [&] { return static_cast<long>(fleet_.groups.size()); }, true);
}

STDMETHODIMP Dispatcher::put_GroupIndex(LONG v)
{
    return Call(L"GroupIndex", {Num(v)}, [&](std::wstring &) {
        CheckIndex(v, fleet_.groups.size(), L"Номер группы");
        groupCursor_ = v;
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::get_GroupKey(BSTR *v)
{
    return Str(L"GroupKey", v, [&] {
        if (groupCursor_ < 1) Throw(L"Группа не выбрана: задайте GroupIndex");
        return kx::ToWide(fleet_.groups[static_cast<size_t>(groupCursor_ - 1)].key);
    });
}

STDMETHODIMP Dispatcher::get_GroupName(BSTR *v)
{
    return Str(L"GroupName", v, [&] {
        if (groupCursor_ < 1) Throw(L"Группа не выбрана: задайте GroupIndex");
        return kx::ToWide(fleet_.groups[static_cast<size_t>(groupCursor_ - 1)].name);
    });
}

STDMETHODIMP Dispatcher::SelectGroup(BSTR key)
{
    return Call(L"SelectGroup", {BstrText(key)}, [&](std::wstring &) {
        const std::string k = kx::ToUtf8(BstrText(key));
        for (size_t i = 0; i < fleet_.groups.size(); ++i)
            if (fleet_.groups[i].key == k) {
                group_ = static_cast<int>(i);
                carCursor_ = 0;
                return S_OK;
            }
        Throw(L"Нет группы с ключом «" + BstrText(key) + L"»", E_INVALIDARG);
    });
}

STDMETHODIMP Dispatcher::get_CarsCount(LONG *v)
{
    return Long(L"CarsCount", v, [&] { return static_cast<long>(CurrentGroup().vehicles.size()); }, true);
}

STDMETHODIMP Dispatcher::put_CarIndex(LONG v)
{
    return Call(L"CarIndex", {Num(v)}, [&](std::wstring &) {
        CheckIndex(v, CurrentGroup().vehicles.size(), L"Номер ТС");
        carCursor_ = v;
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::get_CarName(BSTR *v) { return Str(L"CarName", v, [&] { return kx::ToWide(CurrentCar().name); }); }

STDMETHODIMP Dispatcher::get_CarNumber(BSTR *v)
{
    return Str(L"CarNumber", v, [&] { return kx::ToWide(CurrentCar().number); });
}

STDMETHODIMP Dispatcher::get_CarDevice(LONG *v)
{
    return Long(L"CarDevice", v, [&] { return static_cast<long>(CurrentCar().device); });
}

STDMETHODIMP Dispatcher::get_CarLastLongitude(double *v)
{
    return Dbl(L"CarLastLongitude", v, [&] {
        kxfleet::Sample s;
        return kxfleet::LastKnownPosition(CurrentCar(), s) ? s.pos.lon : 0.0;
    });
}

STDMETHODIMP Dispatcher::get_CarLastLatitude(double *v)
{
    return Dbl(L"CarLastLatitude", v, [&] {
        kxfleet::Sample s;
        return kxfleet::LastKnownPosition(CurrentCar(), s) ? s.pos.lat : 0.0;
    });
}

STDMETHODIMP Dispatcher::get_CarLastTime(BSTR *v)
{
    return Str(L"CarLastTime", v, [&] {
        kxfleet::Sample s;
        return kxfleet::LastKnownPosition(CurrentCar(), s) ? DateText(s.time) : std::wstring();
    });
}

// ---- the dispatcher's own choice

STDMETHODIMP Dispatcher::get_ServerGroupKey(BSTR *v)
{
    return Str(L"ServerGroupKey", v, [&] { return kx::ToWide(serverGroup_); });
}

STDMETHODIMP Dispatcher::get_ServerCar(LONG *v)
{
    return Long(L"ServerCar", v, [&] { return static_cast<long>(serverCar_); });
}

STDMETHODIMP Dispatcher::put_SelectServerCar(LONG device)
{
    return Call(L"SelectServerCar", {Num(device)}, [&](std::wstring &) {
        const kxfleet::Group &g = CurrentGroup();
        for (size_t i = 0; i < g.vehicles.size(); ++i)
            if (fleet_.vehicles[static_cast<size_t>(g.vehicles[i])].device == device) {
                carCursor_ = static_cast<int>(i) + 1;
                return S_OK;
            }
        Throw(L"В группе «" + kx::ToWide(g.name) + L"» нет ТС с номером прибора " + Num(device), E_INVALIDARG);
    });
}

STDMETHODIMP Dispatcher::put_PropertyName(BSTR name)
{
    return Call(L"PropertyName", {BstrText(name)}, [&](std::wstring &) {
        property_ = BstrText(name);
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::get_PropertyValue(BSTR *v)
{
    return Str(L"PropertyValue", v, [&]() -> std::wstring {
        if (property_ == L"Group_Name") return kx::ToWide(CurrentGroup().name);
        if (property_ == L"Group_Key") return kx::ToWide(CurrentGroup().key);
        if (property_ == L"Car_Device") {
            if (carCursor_ < 1) return Num(serverCar_);
            const kxfleet::Vehicle &car = CurrentCar();
            return car.deviceText.empty() ? Num(car.device) : kx::ToWide(car.deviceText);
        }
        if (property_ == L"Car_Name") return kx::ToWide(CurrentCar().name);
        if (property_ == L"Car_Number") return kx::ToWide(CurrentCar().number);
        Throw(L"Неизвестное свойство «" + property_ + L"»", E_INVALIDARG);
    });
}

// ---- trips

HRESULT Dispatcher::BeginComputation(const std::string &groupKey, int device, double begin, double end, bool own)
{
    pending_ = {groupKey, device, begin, end, own};
    status_ = 1;
    trips_.clear();
    tripCursor_ = entryCursor_ = 0;
    SetTimer(events_, kComputeTimer, static_cast<UINT>(opt_.computeMs > 0 ? opt_.computeMs : 1), nullptr);
    return S_OK;
}

void Dispatcher::FinishComputation(bool refresh)
{
    KillTimer(events_, kComputeTimer);
    if (status_ != 1) return;
    const kxfleet::Group *g = fleet_.FindGroup(pending_.group);
    const kxfleet::Vehicle *v = pending_.device ? fleet_.FindVehicle(pending_.device) : nullptr;
    bool computed = !std::exchange(failNextComputation_, false);  // a failure ordered through the control
    if (computed) try {
            kxfleet::DeriveOptions d;
            d.speedLimitKmh = opt_.speedLimitKmh;
            trips_ = v && g ? kxfleet::ComputeTrips(*v, g->checkpoints, pending_.begin, pending_.end, d)
                            : std::vector<kxfleet::Trip>();
            PadEntryLists(trips_, opt_.busyLists);
        } catch (...) {
            computed = false;
        }
    if (!computed) trips_.clear();
    status_ = computed ? 0 : 2;
    if (pending_.own) {
        serverGroup_ = pending_.group;
        serverCar_ = pending_.device;
    }
    last_ = pending_;
    haveLast_ = true;
    if (!refresh || static_cast<size_t>(tripCursor_) > trips_.size()) tripCursor_ = entryCursor_ = 0;
    Log::Line(L"расчёт окончен: " + kx::ToWide(pending_.group) + L", прибор " + Num(pending_.device) + L", рейсов " +
              Num(static_cast<long long>(trips_.size())));
    Fire(205);
}

void Dispatcher::EndAbruptly()
{
    if (revokeForAbruptExit_) revokeForAbruptExit_();
    TerminateProcess(GetCurrentProcess(), 3);
}

void Dispatcher::OnlineTick()
{
    // New data from the vehicles: the dispatcher says so, then recomputes
    // what was last computed and says that too.
    Fire(202);
    if (haveLast_ && status_ == 0) {
        pending_ = last_;
        pending_.own = false;
        status_ = 1;
        FinishComputation(true);
    }
}

STDMETHODIMP Dispatcher::ComputeTrips(BSTR groupKey, LONG device, BSTR begin, BSTR end, BSTR channel, LONG mode)
{
    return Call(L"ComputeTrips", {BstrText(groupKey), Num(device), BstrText(begin), BstrText(end), BstrText(channel), Num(mode)},
                [&](std::wstring &) {
        const std::string key = kx::ToUtf8(BstrText(groupKey));
        const kxfleet::Group *g = fleet_.FindGroup(key);
        if (!g) Throw(L"Нет группы с ключом «" + BstrText(groupKey) + L"»", E_INVALIDARG);
        if (device != 0) {
            bool found = false;
            for (int vi : g->vehicles) found |= fleet_.vehicles[static_cast<size_t>(vi)].device == device;
            if (!found) Throw(L"В группе «" + kx::ToWide(g->name) + L"» нет ТС с номером прибора " + Num(device), E_INVALIDARG);
        }
        double b = 0, e = 0;
        if (!ParseDateTimeText(BstrText(begin), b)) Throw(L"Неверное начало периода: «" + BstrText(begin) + L"»", E_INVALIDARG);
        if (!ParseDateTimeText(BstrText(end), e)) Throw(L"Неверный конец периода: «" + BstrText(end) + L"»", E_INVALIDARG);
        if (BstrText(channel).empty()) Throw(L"Канал данных не задан", E_INVALIDARG);
        if (mode != 0 && mode != 1) Throw(L"Неверный режим расчёта " + Num(mode), E_INVALIDARG);
        return BeginComputation(key, device, b, e, false);
    });
}

STDMETHODIMP Dispatcher::get_ComputeStatus(LONG *v)
{
    return Long(L"ComputeStatus", v, [&] { return status_; });
}

STDMETHODIMP Dispatcher::get_TripsCount(LONG *v)
{
    return Long(L"TripsCount", v, [&] { return status_ == 0 ? static_cast<long>(trips_.size()) : 0L; }, true);
}

STDMETHODIMP Dispatcher::put_TripIndex(LONG v)
{
    return Call(L"TripIndex", {Num(v)}, [&](std::wstring &) {
        if (status_ == 1) Throw(L"Идёт расчёт рейсов");
        CheckIndex(v, trips_.size(), L"Номер рейса");
        tripCursor_ = v;
        entryCursor_ = 0;
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::get_TripBegin(BSTR *v)
{
    return Str(L"TripBegin", v, [&] { return DateText(CurrentTrip().begin); });
}

STDMETHODIMP Dispatcher::get_TripEnd(BSTR *v)
{
    return Str(L"TripEnd", v, [&] { return DateText(CurrentTrip().end); });
}

STDMETHODIMP Dispatcher::get_TripDuration(BSTR *v)
{
    return Str(L"TripDuration", v, [&] { return DurationText(CurrentTrip().end - CurrentTrip().begin); });
}

STDMETHODIMP Dispatcher::get_TrackPointsCount(LONG *v)
{
    return Long(L"TrackPointsCount", v, [&] { return static_cast<long>(CurrentTrip().track.size()); }, true);
}

STDMETHODIMP Dispatcher::get_TrackCrdsArray(VARIANT *v)
{
    if (!v) return E_POINTER;
    VariantInit(v);
    return Call(L"TrackCrdsArray", {}, [&](std::wstring &r) {
        const DWORD began = GetTickCount();
        const auto &track = CurrentTrip().track;
        if (Malformed(L"not-array")) {
            V_VT(v) = VT_BSTR;
            V_BSTR(v) = Bstr(L"нет данных").Detach();
            r = L"не массив";
            return S_OK;
        }
        ULONG n = static_cast<ULONG>(track.size() * 5);
        if (Malformed(L"short-array") && n >= 2) n -= 2;
        if (Malformed(L"long-array") && n > 0) n += 5;  // the last point twice
        const bool strings = Malformed(L"wrong-type-array");
        const bool variants = Malformed(L"text-in-array");
        const VARTYPE type = strings ? VT_BSTR : variants ? VT_VARIANT : VT_R8;
        SAFEARRAYBOUND bound = {n, 1};
        SAFEARRAY *sa = SafeArrayCreate(type, 1, &bound);
        if (!sa) throw std::bad_alloc();
        void *data = nullptr;
        SafeArrayAccessData(sa, &data);
        // Asked once, not for each of millions of numbers.
        const bool nan = Malformed(L"nan");
        for (ULONG i = 0; i < n; ++i) {
            const kxfleet::TrackPoint &p = track[std::min<size_t>(i / 5, track.size() - 1)];
            double x = 0;
            switch (i % 5) {
            case 0: x = p.time; break;
            case 1: x = p.lon; break;
            case 2: x = p.lat; break;
            case 3: x = p.distance; break;
            default: x = p.speed; break;
            }
            if (nan && i % 5 == 1 && i / 5 == track.size() / 2) x = std::numeric_limits<double>::quiet_NaN();
            if (strings) {
                static_cast<BSTR *>(data)[i] = Bstr(std::to_wstring(x)).Detach();
            } else if (variants) {
                VARIANT &item = static_cast<VARIANT *>(data)[i];
                if (i % 5 == 2 && i / 5 == track.size() / 2) {  // the middle point's latitude
                    V_VT(&item) = VT_BSTR;
                    V_BSTR(&item) = Bstr(std::to_wstring(x)).Detach();
                } else {
                    V_VT(&item) = VT_R8;
                    V_R8(&item) = x;
                }
            } else {
                static_cast<double *>(data)[i] = x;
            }
        }
        SafeArrayUnaccessData(sa);
        V_VT(v) = static_cast<VARTYPE>(VT_ARRAY | type);
        V_ARRAY(v) = sa;
        // How long the array took to make, apart from its way to the client.
        r = Num(n) + L" чисел, собраны за " + Num(GetTickCount() - began) + L" мс";
        return S_OK;
    });
}

// ---- entries

STDMETHODIMP Dispatcher::put_TripEntriesListTypeName(BSTR name)
{
    return Call(L"TripEntriesListTypeName", {BstrText(name)}, [&](std::wstring &) {
        const std::string t = kx::ToUtf8(BstrText(name));
        static const char *known[] = {"checkpoints", "parks", "blinds", "power_off", "over_speed", "tank", "sensor_on"};
        bool ok = false;
        for (const char *k : known) ok |= t == k;
        if (!ok) Throw(L"Неизвестный тип списка «" + BstrText(name) + L"»", E_INVALIDARG);
        listType_ = t;
        entryCursor_ = 0;
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::put_TripEntriesListKindName(BSTR name)
{
    return Call(L"TripEntriesListKindName", {BstrText(name)}, [&](std::wstring &) {
        listKind_ = kx::ToUtf8(BstrText(name));
        entryCursor_ = 0;
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::get_TripEntriesCount(LONG *v)
{
    return Long(L"TripEntriesCount", v, [&] { return static_cast<long>(CurrentList().size()); }, true);
}

STDMETHODIMP Dispatcher::put_TripEntryIndex(LONG v)
{
    return Call(L"TripEntryIndex", {Num(v)}, [&](std::wstring &) {
        CheckIndex(v, CurrentList().size(), L"Номер записи");
        entryCursor_ = v;
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::get_TripEntryBegin(BSTR *v)
{
    return Str(L"TripEntryBegin", v, [&] {
        return Malformed(L"bad-last-entry") && entryCursor_ == static_cast<int>(CurrentList().size())
                   ? std::wstring(kImpossibleDate)
                   : DateText(CurrentEntry().begin);
    });
}

STDMETHODIMP Dispatcher::get_TripEntryEnd(BSTR *v)
{
    return Str(L"TripEntryEnd", v, [&] { return DateText(CurrentEntry().end); });
}

STDMETHODIMP Dispatcher::get_TripEntryDuration(BSTR *v)
{
    return Str(L"TripEntryDuration", v, [&] { return DurationText(CurrentEntry().end - CurrentEntry().begin); });
}

STDMETHODIMP Dispatcher::get_TripEntryLongitude(double *v)
{
    return Dbl(L"TripEntryLongitude", v,
               [&] { return Malformed(L"no-position") ? kxfleet::kNoPosition : CurrentEntry().lon; });
}
STDMETHODIMP Dispatcher::get_TripEntryLatitude(double *v)
{
    return Dbl(L"TripEntryLatitude", v,
               [&] { return Malformed(L"no-position") ? kxfleet::kNoPosition : CurrentEntry().lat; });
}
STDMETHODIMP Dispatcher::get_TripEntrySpeed(double *v)
{
    return Dbl(L"TripEntrySpeed", v, [&] { return std::round(CurrentEntry().speed * 10) / 10; });
}
STDMETHODIMP Dispatcher::get_TripEntryTank1Begin(double *v)
{
    return Dbl(L"TripEntryTank1Begin", v, [&] { return CurrentEntry().tank1Begin; });
}
STDMETHODIMP Dispatcher::get_TripEntryTank1End(double *v)
{
    return Dbl(L"TripEntryTank1End", v, [&] { return CurrentEntry().tank1End; });
}
STDMETHODIMP Dispatcher::get_TripEntryTank2Begin(double *v)
{
    return Dbl(L"TripEntryTank2Begin", v, [&] { return CurrentEntry().tank2Begin; });
}
STDMETHODIMP Dispatcher::get_TripEntryTank2End(double *v)
{
    return Dbl(L"TripEntryTank2End", v, [&] { return CurrentEntry().tank2End; });
}

// ---- checkpoints

STDMETHODIMP Dispatcher::get_CheckpointsKey(BSTR *v)
{
    return Str(L"CheckpointsKey", v, [&] { return L"CP-" + kx::ToWide(serverGroup_); });
}

STDMETHODIMP Dispatcher::LoadCheckpoints(BSTR key)
{
    return Call(L"LoadCheckpoints", {BstrText(key)}, [&](std::wstring &r) {
        const std::string k = kx::ToUtf8(BstrText(key));
        const kxfleet::Group *g = k.rfind("CP-", 0) == 0 ? fleet_.FindGroup(k.substr(3)) : nullptr;
        if (!g) Throw(L"Нет набора контрольных точек «" + BstrText(key) + L"»", E_INVALIDARG);
        checkpoints_ = g->checkpoints;
        checkpointCursor_ = 0;
        r = Num(static_cast<long long>(checkpoints_.size())) + L" точек";
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::get_CheckpointsCount(LONG *v)
{
    return Long(L"CheckpointsCount", v, [&] { return static_cast<long>(checkpoints_.size()); }, true);
}

STDMETHODIMP Dispatcher::put_CheckpointIndex(LONG v)
{
    return Call(L"CheckpointIndex", {Num(v)}, [&](std::wstring &) {
        CheckIndex(v, checkpoints_.size(), L"Номер контрольной точки");
        checkpointCursor_ = v;
        return S_OK;
    });
}

STDMETHODIMP Dispatcher::get_CheckpointName(BSTR *v)
{
    return Str(L"CheckpointName", v, [&] {
        return Malformed(L"markup-texts") ? L"<img src=x>" + kx::ToWide(CurrentCheckpoint().name) : kx::ToWide(CurrentCheckpoint().name);
    });
}
STDMETHODIMP Dispatcher::get_CheckpointAddress(BSTR *v)
{
    return Str(L"CheckpointAddress", v, [&] {
        return Malformed(L"markup-texts") ? L"<b>" + kx::ToWide(CurrentCheckpoint().address) + L"</b> & co"
                                          : kx::ToWide(CurrentCheckpoint().address);
    });
}
STDMETHODIMP Dispatcher::get_CheckpointLongitude(double *v)
{
    return Dbl(L"CheckpointLongitude", v, [&] { return CurrentCheckpoint().centre.lon; });
}
STDMETHODIMP Dispatcher::get_CheckpointLatitude(double *v)
{
    return Dbl(L"CheckpointLatitude", v, [&] { return Malformed(L"pole") ? 90.0 : CurrentCheckpoint().centre.lat; });
}
STDMETHODIMP Dispatcher::get_CheckpointRadius(LONG *v)
{
    return Long(L"CheckpointRadius", v, [&] { return static_cast<long>(CurrentCheckpoint().radius); });
}

void Dispatcher::CloseForShutdown()
{
    Log::Line(L"диспетчер закрывается");
    Fire(203);
    cp_.ReleaseAll();
}

std::wstring Dispatcher::Status() const
{
    return L"Клиентов: " + Num(clients_) + L", подписчиков: " + Num(cp_.Count()) + L", вызовов: " + Num(calls_) +
           L", состояние расчёта: " + Num(status_);
}

// ---------------------------------------------------------------- control

STDMETHODIMP Control::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IKXDispatcherControl || riid == IID_IDispatch) {
        *ppv = static_cast<IKXDispatcherControl *>(this);
        AddRef();
        return S_OK;
    }
    return owner_.QueryInterface(riid, ppv);
}
STDMETHODIMP_(ULONG) Control::AddRef() { return owner_.AddRef(); }
STDMETHODIMP_(ULONG) Control::Release() { return owner_.Release(); }

STDMETHODIMP Control::GetTypeInfoCount(UINT *n)
{
    if (!n) return E_POINTER;
    *n = 1;
    return S_OK;
}

STDMETHODIMP Control::GetTypeInfo(UINT i, LCID, ITypeInfo **ti)
{
    if (!ti) return E_POINTER;
    *ti = nullptr;
    if (i != 0) return DISP_E_BADINDEX;
    owner_.controlInfo_->AddRef();
    *ti = owner_.controlInfo_;
    return S_OK;
}

STDMETHODIMP Control::GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT n, LCID, DISPID *ids)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return DispGetIDsOfNames(owner_.controlInfo_, names, n, ids);
}

STDMETHODIMP Control::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                             EXCEPINFO *ei, UINT *argErr)
{
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return DispInvoke(static_cast<IKXDispatcherControl *>(this), owner_.controlInfo_, id, flags, params, result, ei,
                      argErr);
}

STDMETHODIMP Control::FailNextCall(BSTR message)
{
    owner_.opt_.failNext = BstrText(message);
    Log::Line(L"управление: следующий вызов завершится ошибкой «" + owner_.opt_.failNext + L"»");
    return S_OK;
}

STDMETHODIMP Control::SetCallDelay(LONG ms)
{
    if (ms < 0) return owner_.Error(L"Задержка не может быть отрицательной", E_INVALIDARG);
    owner_.opt_.delayMs = ms;
    Log::Line(L"управление: задержка вызовов " + Num(ms) + L" мс");
    return S_OK;
}

STDMETHODIMP Control::SetMalformed(BSTR kind)
{
    static const wchar_t *kinds[] = {L"none", L"short-array", L"wrong-type-array", L"not-array", L"nan",
                                     L"bad-dates", L"negative-counts", L"huge-counts", L"no-position",
                                     L"markup-texts", L"empty-texts", L"huge-texts", L"pole", L"long-array",
                                     L"text-in-array", L"bad-last-entry"};
    const std::wstring k = BstrText(kind);
    for (const wchar_t *x : kinds)
        if (k == x) {
            owner_.opt_.malformed = k;
            Log::Line(L"управление: искажённые данные «" + k + L"»");
            return S_OK;
        }
    return owner_.Error(L"Неизвестный вид искажения «" + k + L"»", E_INVALIDARG);
}

STDMETHODIMP Control::ExitDuringCall(LONG n)
{
    owner_.opt_.exitDuringCall = n < 0 ? 0 : n;
    Log::Line(L"управление: аварийный выход на вызове " + Num(n));
    return S_OK;
}

STDMETHODIMP Control::FireEvent(LONG dispid)
{
    PostMessageW(owner_.eventWindow(), WM_KXD_FIRE, static_cast<WPARAM>(dispid), 0);
    return S_OK;
}

STDMETHODIMP Control::ComputeServerChoice(BSTR groupKey, LONG device, BSTR begin, BSTR end)
{
    std::string key = kx::ToUtf8(BstrText(groupKey));
    double b = 0, e = 0;
    if (key.empty()) {
        // The next vehicle with data after the current choice, on its last day.
        const auto &vs = owner_.fleet_.vehicles;
        size_t start = 0;
        for (size_t i = 0; i < vs.size(); ++i)
            if (vs[i].device == owner_.serverCar_) start = i + 1;
        for (size_t k = 0; k < vs.size(); ++k) {
            const kxfleet::Vehicle &v = vs[(start + k) % vs.size()];
            kxfleet::Sample last;
            if (!kxfleet::LastKnownPosition(v, last)) continue;
            key = v.groupKey;
            device = v.device;
            b = std::floor(last.time);
            e = b + 1;
            break;
        }
        if (key.empty()) return owner_.Error(L"Нет ТС с данными", E_FAIL);
    } else {
        if (!owner_.fleet_.FindGroup(key)) return owner_.Error(L"Нет группы «" + BstrText(groupKey) + L"»", E_INVALIDARG);
        if (!ParseDateTimeText(BstrText(begin), b) || !ParseDateTimeText(BstrText(end), e))
            return owner_.Error(L"Неверный период", E_INVALIDARG);
    }
    Log::Line(L"управление: собственный расчёт " + kx::ToWide(key) + L", прибор " + Num(device));
    return owner_.BeginComputation(key, device, b, e, true);
}

STDMETHODIMP Control::SetOnlineInterval(LONG ms)
{
    owner_.opt_.onlineMs = ms < 0 ? 0 : ms;
    KillTimer(owner_.eventWindow(), kOnlineTimer);
    if (ms > 0) SetTimer(owner_.eventWindow(), kOnlineTimer, static_cast<UINT>(ms), nullptr);
    return S_OK;
}

STDMETHODIMP Control::SetComputeDelay(LONG ms)
{
    owner_.opt_.computeMs = ms < 1 ? 1 : ms;
    return S_OK;
}

STDMETHODIMP Control::Shutdown()
{
    if (owner_.programWindow()) PostMessageW(owner_.programWindow(), WM_KXD_SHUTDOWN, 0, 0);
    return S_OK;
}

STDMETHODIMP Control::RestartAfter(LONG milliseconds)
{
    if (!owner_.programWindow()) return E_NOTIMPL;  // a test's own process is not ours to end
    // This program's command line, less the delay an earlier restart added.
    std::wstring command = GetCommandLineW();
    for (size_t at; (at = command.find(L" /start-delay:")) != std::wstring::npos;)
        command.erase(at, command.find(L' ', at + 1) == std::wstring::npos ? std::wstring::npos
                                                                            : command.find(L' ', at + 1) - at);
    command += L" /start-delay:" + Num(milliseconds < 0 ? 0 : milliseconds);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return HRESULT_FROM_WIN32(GetLastError());
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Log::Line(L"перезапуск: копия запущена, этот процесс завершается без закрытия");
    // After the answer: the caller is told the copy is on its way.
    SetTimer(owner_.eventWindow(), kEndTimer, 50, nullptr);
    return S_OK;
}

STDMETHODIMP Control::get_CommandLine(BSTR *value)
{
    if (!value) return E_POINTER;
    *value = SysAllocString(GetCommandLineW());
    return *value ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP Control::get_ProcessId(LONG *v)
{
    if (!v) return E_POINTER;
    *v = static_cast<LONG>(GetCurrentProcessId());
    return S_OK;
}

STDMETHODIMP Control::get_CallCount(LONG *v)
{
    if (!v) return E_POINTER;
    *v = owner_.calls();
    return S_OK;
}

STDMETHODIMP Control::get_SinkCount(LONG *v)
{
    if (!v) return E_POINTER;
    *v = owner_.sinkCount();
    return S_OK;
}

STDMETHODIMP Control::get_ClientCount(LONG *v)
{
    if (!v) return E_POINTER;
    *v = owner_.Clients();
    return S_OK;
}

STDMETHODIMP Control::FailCall(BSTR operation, BSTR message)
{
    const std::wstring name = BstrText(operation);
    if (name.empty()) return owner_.Error(L"Операция не названа", E_INVALIDARG);
    owner_.failCalls_[name] = BstrText(message);
    Log::Line(L"управление: следующий вызов " + name + L" завершится ошибкой «" + BstrText(message) + L"»");
    return S_OK;
}

STDMETHODIMP Control::FailNextComputation()
{
    owner_.failNextComputation_ = true;
    Log::Line(L"управление: следующий расчёт завершится ошибкой");
    return S_OK;
}

STDMETHODIMP Control::FireDuringCall(BSTR operation, LONG n, LONG dispid)
{
    const std::wstring name = BstrText(operation);
    if (name.empty()) return owner_.Error(L"Операция не названа", E_INVALIDARG);
    if (n < 1) return owner_.Error(L"Номер вызова должен быть не меньше 1", E_INVALIDARG);
    owner_.eventsDuringCalls_.push_back({name, n, static_cast<DISPID>(dispid)});
    Log::Line(L"управление: событие " + Num(static_cast<long>(dispid)) + L" во время вызова " + Num(static_cast<long>(n)) +
              L" операции " + name);
    return S_OK;
}

}  // namespace kxd
