// Karvex_TLB: the client of the dispatcher program's automation server.
//
// TKarvexAutomation starts unconnected; its first operation attaches to a
// running dispatcher (running object table) or starts one, and subscribes its
// event sink. Operations raise KarvexError on failure, carrying the server's
// own error text (or the system's text for the HRESULT); values the server
// sends that cannot be right (negative or absurd counts, NaN coordinates,
// malformed track arrays) raise KarvexError too, never pass on.
//
// Apartment: create, use and destroy it on one single-threaded-apartment
// thread that pumps messages; events arrive through that thread's message
// loop.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

struct IKarvexAutomation;
struct IConnectionPoint;

class KarvexError : public std::runtime_error {
public:
    KarvexError(const std::wstring &message, HRESULT hr, bool linkLost = false);
    const std::wstring &Message() const { return message_; }
    HRESULT Hr() const { return hr_; }
    // The dispatcher program is gone (not there, disconnected, closed), as
    // opposed to a call it refused.
    bool LinkLost() const { return linkLost_; }

private:
    std::wstring message_;
    HRESULT hr_;
    bool linkLost_;
};

// Raised by the first operation when no dispatcher can be reached.
extern const wchar_t *const kKarvexNotConnected;
// Begins the text of every failure that means the dispatcher program is gone.
extern const wchar_t *const kKarvexLinkLost;

class TKarvexEventSink;

class TKarvexAutomation {
public:
    TKarvexAutomation();
    ~TKarvexAutomation();  // unsubscribes and releases; never throws
    TKarvexAutomation(const TKarvexAutomation &) = delete;
    TKarvexAutomation &operator=(const TKarvexAutomation &) = delete;

    // Event handlers (dispatch ids 205, 203, 202); the other events are
    // ignored. A handler's exception is caught at the COM boundary and handed
    // to OnHandlerError (UTF-8 text) if it is set.
    std::function<void()> OnEndComputing;
    std::function<void()> OnCloseServer;
    std::function<void()> OnReceiveOnlineData;
    std::function<void(const std::string &)> OnHandlerError;

    // Attaches to a running dispatcher or starts one; no-op when connected.
    void Connect();
    // Uses the given server (counted reference taken) instead, e.g. an
    // in-process implementation.
    void ConnectTo(IKarvexAutomation *server);
    // Unsubscribes and releases; the next operation connects again.
    void Disconnect();
    bool Connected() const { return server_ != nullptr; }
    // A call failed because the program is gone, or it announced its close:
    // from then on every operation fails at once with the same news, and
    // nothing connects again; whoever owns the client makes a new one.
    bool Lost() const { return lost_; }
    // Lost because the program announced its close (not found gone by a call).
    bool Closed() const { return closed_; }
    // Not counted; null while unconnected.
    IKarvexAutomation *DefaultInterface() const { return server_; }

    // Session
    void Start();
    // Groups and vehicles
    int GroupsCount();
    void GroupIndex(int index);
    std::wstring GroupKey();
    std::wstring GroupName();
    void SelectGroup(const std::wstring &key);
    int CarsCount();
    void CarIndex(int index);
    std::wstring CarName();
    std::wstring CarNumber();
    int CarDevice();
    double CarLastLongitude();
    double CarLastLatitude();
    std::wstring CarLastTime();
    // The dispatcher's own choice
    std::wstring ServerGroupKey();
    int ServerCar();
    void SelectServerCar(int device);
    void PropertyName(const std::wstring &name);  // by name
    std::wstring PropertyValue();
    // Trips
    void ComputeTrips(const std::wstring &groupKey, int device, const std::wstring &begin, const std::wstring &end,
                      const std::wstring &channel, int mode);
    int ComputeStatus();
    int TripsCount();
    void TripIndex(int index);
    std::wstring TripBegin();
    std::wstring TripEnd();
    std::wstring TripDuration();
    int TrackPointsCount();
    // By name. Five doubles per point: element 5k is point k's date-time,
    // then longitude, latitude, distance (m), speed (km/h); the server's
    // index 1 is element 0 here. With expectedPoints >= 0 the array must
    // hold exactly that many points.
    std::vector<double> TrackCrdsArray(int expectedPoints = -1);
    // Entries of the current trip
    void TripEntriesListTypeName(const std::wstring &name);  // by name
    void TripEntriesListKindName(const std::wstring &name);  // by name
    int TripEntriesCount();
    void TripEntryIndex(int index);
    std::wstring TripEntryBegin();
    std::wstring TripEntryEnd();
    std::wstring TripEntryDuration();
    double TripEntryLongitude();
    double TripEntryLatitude();
    double TripEntrySpeed();
    double TripEntryTank1Begin();
    double TripEntryTank1End();
    double TripEntryTank2Begin();
    double TripEntryTank2End();
    // Checkpoints
    std::wstring CheckpointsKey();
    void LoadCheckpoints(const std::wstring &key);
    int CheckpointsCount();
    void CheckpointIndex(int index);
    std::wstring CheckpointName();
    std::wstring CheckpointAddress();
    double CheckpointLongitude();
    double CheckpointLatitude();
    int CheckpointRadius();

private:
    friend class TKarvexEventSink;
    void Attach(IKarvexAutomation *server);
    IKarvexAutomation *Server();
    template <class F> void Call(F &&f);
    // Runs f; a failure meaning the program is gone marks the client lost.
    template <class F> auto NoteLoss(F &&f) -> decltype(f())
    {
        try {
            return f();
        } catch (const KarvexError &e) {
            lost_ = lost_ || e.LinkLost();
            throw;
        }
    }
    void PutByName(const wchar_t *name, long &cache, const std::wstring &value);
    void GetByName(const wchar_t *name, long &cache, VARIANT *out);
    void Dispatch(long dispid);

    IKarvexAutomation *server_ = nullptr;
    bool lost_ = false;
    bool closed_ = false;
    IConnectionPoint *point_ = nullptr;
    TKarvexEventSink *sink_ = nullptr;
    unsigned long cookie_ = 0;
    long idPropertyName_, idTypeName_, idKindName_, idTrack_;
};

// Date texts as the dispatcher writes them (the machine's short date form
// and "hh:mm:ss", or "dd.mm.yyyy hh:mm:ss") -> OLE date-time. KarvexError
// when the text is not a date.
double KarvexParseDateTime(const std::wstring &text);
// "dd.mm.yyyy hh:mm:ss", the form ComputeTrips takes; whole seconds, rounded.
std::wstring KarvexFormatDateTime(double oleDate);
