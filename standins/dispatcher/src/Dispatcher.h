// The stand-in dispatcher's automation object: one per process, shared by
// every client, living on the thread that creates it (a single-threaded
// apartment with a message loop). KXDispatcher.exe creates it at start and
// releases it at exit; tests that need a dispatcher in their own process
// create one over a fleet of their own and release it when done. It owns its
// fleet, the computed trips, its event window (timers and events raised from
// the message loop) and the journal of the calls it served; the options stay
// the creator's and are read and changed through the reference it keeps.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "Karvex.h"
#include "KXDispatcherControl.h"
#include "kxfleet/Fleet.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kxd {

struct Options {
    bool embedding = false;
    bool hidden = false;
    bool defaultFleet = true;
    std::vector<std::wstring> gpxFiles;
    int longTrackPoints = 0;
    double longTrackStepSeconds = 1.0;
    std::wstring logPath;
    std::wstring failNext;
    int delayMs = 0;
    std::wstring malformed = L"none";
    int exitDuringCall = 0;
    int onlineMs = 60000;
    int computeMs = 150;
    int idleExitSec = -1;  // -1: the default for how the process was started
    double speedLimitKmh = 80;
    double glitchSpeedKmh = 250;  // GPX points implying a faster move are skipped
    int busyLists = 0;  // every entries list of a trip padded to at least this many
};

// Messages the object posts so that events are raised from the message
// loop, never inside an incoming call: WM_KXD_FIRE to its own event window,
// the others to the program's window.
enum : UINT {
    WM_KXD_FIRE = WM_APP + 1,      // wParam: dispatch id
    WM_KXD_LASTCLIENT,
    WM_KXD_SHUTDOWN,
    WM_KXD_LOG,                    // lParam: std::wstring* to show, owned by the window
};

class Log {
public:
    static void Open(const std::wstring &path, HWND window);
    static void SetWindow(HWND window);
    static void Line(const std::wstring &text);
};

// The type information of the two interfaces, from type libraries (the
// program's own resources, or the built .tlb files in tests). Owns what it
// loads; a dispatcher keeps references of its own.
class TypeInfos {
public:
    TypeInfos() = default;
    TypeInfos(const TypeInfos &) = delete;
    TypeInfos &operator=(const TypeInfos &) = delete;
    ~TypeInfos();
    HRESULT Load(const std::wstring &automationLibrary, const std::wstring &controlLibrary);

    ITypeInfo *automation = nullptr;
    ITypeInfo *control = nullptr;

private:
    ITypeLib *libraries_[2] = {};
};

// One call as the dispatcher received it: the log file has the same as text.
struct CallRecord {
    long serial;                      // the call's number, from 1
    std::wstring name;
    std::vector<std::wstring> args;
    HRESULT result;
};

class Dispatcher;

class ConnectionPoint : public IConnectionPoint {
public:
    explicit ConnectionPoint(Dispatcher &owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID *iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **cpc) override;
    STDMETHODIMP Advise(IUnknown *sink, DWORD *cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections **e) override;

    void Fire(DISPID id);
    void ReleaseAll();
    long Count() const { return static_cast<long>(sinks_.size()); }

private:
    struct Sink {
        DWORD cookie;
        IDispatch *disp;
    };
    Dispatcher &owner_;
    std::vector<Sink> sinks_;
    DWORD next_ = 1;
};

class Control : public IKXDispatcherControl {
public:
    explicit Control(Dispatcher &owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT *n) override;
    STDMETHODIMP GetTypeInfo(UINT i, LCID lcid, ITypeInfo **ti) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT n, LCID lcid, DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *ei, UINT *argErr) override;
    STDMETHODIMP FailNextCall(BSTR message) override;
    STDMETHODIMP SetCallDelay(LONG ms) override;
    STDMETHODIMP SetMalformed(BSTR kind) override;
    STDMETHODIMP ExitDuringCall(LONG n) override;
    STDMETHODIMP FireEvent(LONG dispid) override;
    STDMETHODIMP ComputeServerChoice(BSTR groupKey, LONG device, BSTR begin, BSTR end) override;
    STDMETHODIMP SetOnlineInterval(LONG ms) override;
    STDMETHODIMP SetComputeDelay(LONG ms) override;
    STDMETHODIMP Shutdown() override;
    STDMETHODIMP get_ProcessId(LONG *value) override;
    STDMETHODIMP get_CallCount(LONG *value) override;
    STDMETHODIMP get_SinkCount(LONG *value) override;
    STDMETHODIMP get_ClientCount(LONG *value) override;
    STDMETHODIMP FailCall(BSTR operation, BSTR message) override;
    STDMETHODIMP FailNextComputation() override;
    STDMETHODIMP FireDuringCall(BSTR operation, LONG n, LONG dispid) override;
    STDMETHODIMP RestartAfter(LONG milliseconds) override;
    STDMETHODIMP get_CommandLine(BSTR *value) override;

private:
    Dispatcher &owner_;
};

class Dispatcher : public IKarvexAutomation,
                   public IConnectionPointContainer,
                   public IExternalConnection,
                   public ISupportErrorInfo {
public:
    // `programWindow` hears of the last client leaving and of a shutdown
    // ordered through the control interface; null when nobody needs to.
    Dispatcher(Options &opt, kxfleet::Fleet fleet, const TypeInfos &types, HWND programWindow);
    virtual ~Dispatcher();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT *n) override;
    STDMETHODIMP GetTypeInfo(UINT i, LCID lcid, ITypeInfo **ti) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT n, LCID lcid, DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *ei, UINT *argErr) override;
    // IKarvexAutomation
    STDMETHODIMP Start() override;
    STDMETHODIMP get_GroupsCount(LONG *value) override;
    STDMETHODIMP put_GroupIndex(LONG value) override;
    STDMETHODIMP get_GroupKey(BSTR *value) override;
    STDMETHODIMP get_GroupName(BSTR *value) override;
    STDMETHODIMP SelectGroup(BSTR key) override;
    STDMETHODIMP get_CarsCount(LONG *value) override;
    STDMETHODIMP put_CarIndex(LONG value) override;
    STDMETHODIMP get_CarName(BSTR *value) override;
    STDMETHODIMP get_CarNumber(BSTR *value) override;
    STDMETHODIMP get_CarDevice(LONG *value) override;
    STDMETHODIMP get_CarLastLongitude(double *value) override;
    STDMETHODIMP get_CarLastLatitude(double *value) override;
    STDMETHODIMP get_CarLastTime(BSTR *value) override;
    STDMETHODIMP get_ServerGroupKey(BSTR *value) override;
    STDMETHODIMP get_ServerCar(LONG *value) override;
    STDMETHODIMP put_SelectServerCar(LONG device) override;
    STDMETHODIMP put_PropertyName(BSTR name) override;
    STDMETHODIMP get_PropertyValue(BSTR *value) override;
    STDMETHODIMP ComputeTrips(BSTR groupKey, LONG device, BSTR begin, BSTR end, BSTR channel, LONG mode) override;
    STDMETHODIMP get_ComputeStatus(LONG *value) override;
    STDMETHODIMP get_TripsCount(LONG *value) override;
    STDMETHODIMP put_TripIndex(LONG value) override;
    STDMETHODIMP get_TripBegin(BSTR *value) override;
    STDMETHODIMP get_TripEnd(BSTR *value) override;
    STDMETHODIMP get_TripDuration(BSTR *value) override;
    STDMETHODIMP get_TrackPointsCount(LONG *value) override;
    STDMETHODIMP get_TrackCrdsArray(VARIANT *value) override;
    STDMETHODIMP put_TripEntriesListTypeName(BSTR name) override;
    STDMETHODIMP put_TripEntriesListKindName(BSTR name) override;
    STDMETHODIMP get_TripEntriesCount(LONG *value) override;
    STDMETHODIMP put_TripEntryIndex(LONG value) override;
    STDMETHODIMP get_TripEntryBegin(BSTR *value) override;
    STDMETHODIMP get_TripEntryEnd(BSTR *value) override;
    STDMETHODIMP get_TripEntryDuration(BSTR *value) override;
    STDMETHODIMP get_TripEntryLongitude(double *value) override;
    STDMETHODIMP get_TripEntryLatitude(double *value) override;
    STDMETHODIMP get_TripEntrySpeed(double *value) override;
    STDMETHODIMP get_TripEntryTank1Begin(double *value) override;
    STDMETHODIMP get_TripEntryTank1End(double *value) override;
    STDMETHODIMP get_TripEntryTank2Begin(double *value) override;
    STDMETHODIMP get_TripEntryTank2End(double *value) override;
    STDMETHODIMP get_CheckpointsKey(BSTR *value) override;
    STDMETHODIMP LoadCheckpoints(BSTR key) override;
    STDMETHODIMP get_CheckpointsCount(LONG *value) override;
    STDMETHODIMP put_CheckpointIndex(LONG value) override;
    STDMETHODIMP get_CheckpointName(BSTR *value) override;
    STDMETHODIMP get_CheckpointAddress(BSTR *value) override;
    STDMETHODIMP get_CheckpointLongitude(double *value) override;
    STDMETHODIMP get_CheckpointLatitude(double *value) override;
    STDMETHODIMP get_CheckpointRadius(LONG *value) override;
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **e) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint **cp) override;
    // IExternalConnection
    STDMETHODIMP_(DWORD) AddConnection(DWORD type, DWORD reserved) override;
    STDMETHODIMP_(DWORD) ReleaseConnection(DWORD type, DWORD reserved, BOOL lastReleaseCloses) override;
    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // Called from the message loop.
    void Fire(DISPID id);
    // `refresh`: the last computation done again on new data, whose list a
    // client may be walking; its cursors stay where they still point.
    void FinishComputation(bool refresh = false);
    void OnlineTick();
    // Ends the process as a crash would, its registrations revoked first.
    void EndAbruptly();
    void CloseForShutdown();
    long Clients() const { return clients_; }
    bool HadClient() const { return hadClient_; }
    std::wstring Status() const;

    // The data it serves. A change shows from the next call or computation
    // on, as new data from the vehicles would.
    kxfleet::Fleet &fleet() { return fleet_; }
    // The latest calls served (the most recent kJournalSize), oldest first.
    static constexpr size_t kJournalSize = 20000;
    const std::deque<CallRecord> &journal() const { return journal_; }
    // Events raised with this dispatch id so far, to any number of subscribers.
    long raised(DISPID id) const;
    bool computing() const { return status_ == 1; }

    // Used by the control part.
    Options &options() { return opt_; }
    long calls() const { return calls_; }
    long sinkCount() const { return cp_.Count(); }
    HWND eventWindow() const { return events_; }
    HWND programWindow() const { return program_; }
    HRESULT BeginComputation(const std::string &groupKey, int device, double begin, double end, bool own);
    HRESULT Error(const std::wstring &text, HRESULT hr = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x201));
    std::function<void()> revokeForAbruptExit_;

private:
    friend class Control;
    // Runs one dispatcher operation: logs it, applies the faults asked for,
    // turns C++ exceptions into COM errors.
    HRESULT Call(const wchar_t *name, std::vector<std::wstring> args,
                 const std::function<HRESULT(std::wstring &)> &body);
    HRESULT Serve(const wchar_t *name, const std::wstring &head, const std::function<HRESULT(std::wstring &)> &body);
    HRESULT Str(const wchar_t *name, BSTR *out, const std::function<std::wstring()> &get);
    HRESULT Long(const wchar_t *name, LONG *out, const std::function<long()> &get, bool isCount = false);
    HRESULT Dbl(const wchar_t *name, double *out, const std::function<double()> &get);
    bool Malformed(const wchar_t *kind) const { return opt_.malformed == kind; }
    std::wstring DateText(double t) const;
    std::wstring DurationText(double days) const;

    const kxfleet::Group &CurrentGroup() const;
    const kxfleet::Vehicle &CurrentCar() const;
    const kxfleet::Trip &CurrentTrip() const;
    const std::vector<kxfleet::Entry> &CurrentList() const;
    const kxfleet::Entry &CurrentEntry() const;
    const kxfleet::Checkpoint &CurrentCheckpoint() const;

    LONG refs_ = 1;
    Options &opt_;
    kxfleet::Fleet fleet_;
    HWND program_;
    HWND events_;
    ITypeInfo *info_;
    ITypeInfo *controlInfo_;
    ConnectionPoint cp_;
    Control control_;
    long clients_ = 0;
    bool hadClient_ = false;
    long calls_ = 0;
    std::deque<CallRecord> journal_;
    std::map<std::wstring, std::wstring> failCalls_;  // operation -> the text its next call fails with
    bool failNextComputation_ = false;  // the next computation ends with status 2
    struct EventDuringCall {
        std::wstring operation;
        long callsLeft;  // raised inside the call that brings this to 0
        DISPID id;
    };
    std::vector<EventDuringCall> eventsDuringCalls_;
    std::map<DISPID, long> raised_;

    // Cursors.
    int group_ = 0;    // index into fleet_.groups
    int groupCursor_ = 0, carCursor_ = 0, tripCursor_ = 0, entryCursor_ = 0, checkpointCursor_ = 0;
    std::wstring property_;
    std::string listType_, listKind_;
    // The dispatcher's own choice.
    std::string serverGroup_;
    int serverCar_ = 0;
    // Computation.
    long status_ = 3;
    std::vector<kxfleet::Trip> trips_;
    struct Pending {
        std::string group;
        int device = 0;
        double begin = 0, end = 0;
        bool own = false;
    } pending_, last_;
    bool haveLast_ = false;
    std::vector<kxfleet::Checkpoint> checkpoints_;
};

}  // namespace kxd
