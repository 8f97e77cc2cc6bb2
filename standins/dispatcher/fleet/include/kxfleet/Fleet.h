// The stand-in dispatcher's data: a fleet of vehicles with recorded samples,
// and the trips, stops and other entries derived from those samples. Portable
// code (no Windows headers) so that it is tested natively under sanitizers.
//
// Times are OLE date-times: days since 30 December 1899, the time of day as
// the fraction, local wall-clock time.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace kxfleet {

constexpr double kNoPosition = -777.0;
constexpr double kEarthRadiusM = 6371008.8;
constexpr double kSecondsPerDay = 86400.0;

struct GeoPoint {
    double lon = 0;
    double lat = 0;
};

double DistanceMetres(GeoPoint a, GeoPoint b);
// The point a fraction t of the way from a to b (straight in degrees; the
// segments used are short).
GeoPoint Lerp(GeoPoint a, GeoPoint b, double t);

// Civil date and time <-> OLE date-time.
double MakeDateTime(int year, int month, int day, int hour = 0, int minute = 0, double second = 0);
// Whether the day exists in the proleptic Gregorian calendar (no 30 February).
bool IsRealDate(int year, int month, int day);
struct CivilTime {
    int year, month, day, hour, minute, second;
};
// Rounds to the nearest whole second first.
CivilTime SplitDateTime(double t);

// One report of a tracking device.
struct Sample {
    double time = 0;
    GeoPoint pos;
    bool fix = true;          // false: the report has no position
    double speed = -1;        // km/h; negative when the device gave none
    bool power = true;        // main power present
    unsigned sensors = 0;     // bit k: sensor k+1 switched on
    double tank1 = -1;        // litres; negative when the vehicle has no such tank
    double tank2 = -1;
};

struct Checkpoint {
    std::string name;     // UTF-8
    std::string address;  // UTF-8
    GeoPoint centre;
    int radius = 0;       // metres
};

struct TrackPoint {
    double time, lon, lat, distance, speed;
};

struct Entry {
    double begin = 0, end = 0;
    double lon = kNoPosition, lat = kNoPosition;
    double speed = 0;
    double tank1Begin = 0, tank1End = 0, tank2Begin = 0, tank2End = 0;
};

struct Trip {
    double begin = 0, end = 0;
    std::vector<TrackPoint> track;
    // Keyed by query: "checkpoints-stages", "parks", "blinds", "power_off",
    // "over_speed", "tank-num1", "tank-num2", "sensor_on-num1".."-num6".
    std::map<std::string, std::vector<Entry>> lists;
};

struct Vehicle {
    std::string name;     // UTF-8
    std::string number;   // registration number, UTF-8
    int device = 0;
    std::string groupKey;
    std::vector<Sample> samples;  // sorted by time
    // Trips the dispatcher holds ready-made (taken over from another system)
    // rather than derived from samples: when there are any, a computation
    // serves those that overlap its period.
    std::vector<Trip> trips;
    // The device number as the dispatcher's "Car_Device" property writes it
    // (such as "021"); empty: the decimal of `device`.
    std::string deviceText;
};

struct Group {
    std::string key;
    std::string name;     // UTF-8
    std::vector<int> vehicles;     // indices into Fleet::vehicles
    std::vector<Checkpoint> checkpoints;
};

struct Fleet {
    std::vector<Group> groups;
    std::vector<Vehicle> vehicles;

    const Group *FindGroup(const std::string &key) const;
    const Vehicle *FindVehicle(int device) const;
    // Adds a vehicle to the group of this key, creating the group when needed.
    void AddVehicle(Vehicle v, const std::string &groupKey, const std::string &groupName);
};

// The last sample with a position; false when the vehicle never had one.
bool LastKnownPosition(const Vehicle &v, Sample &out);

// ---------------------------------------------------------------- derivation

// The entry-list queries every trip carries, in the panel's category order.
const std::vector<std::string> &ListQueries();

struct DeriveOptions {
    double movingKmh = 3;        // below this a sample is standing
    double parkMinSec = 120;     // a standstill at least this long is a stop
    double tripBreakSec = 900;   // a standstill (or silence) this long ends a trip
    double blindMinSec = 60;     // silence this long is a period without signal
    double speedLimitKmh = 80;   // above this is speeding
    double tankStepL = 0.3;      // per-sample level change that counts as filling or draining
    double tankEventL = 5;       // total change of a refuel or drain
};

// Trips of one vehicle in [from, to], with their tracks and entry lists: its
// ready-made trips that overlap the period, or those its samples make.
std::vector<Trip> ComputeTrips(const Vehicle &v, const std::vector<Checkpoint> &checkpoints,
                               double from, double to, const DeriveOptions &opt = {});

// ---------------------------------------------------------------- sources

struct FleetOptions {
    int startYear = 2009, startMonth = 2, startDay = 4;
    int days = 3;
};
// The built-in fleet: deterministic, the same on every run.
Fleet GenerateDefaultFleet(const FleetOptions &opt = {});

// One synthetic vehicle with a single trip of exactly `points` samples, one
// every `stepSeconds` (a second unless asked), for load tests of track
// delivery and of playback.
Vehicle GenerateLongTrip(int points, int device, double start, double stepSeconds = 1.0);

// GPX recordings: see kxfleet/Gpx.h.

// ---------------------------------------------------------------- texts

// "hh:mm:ss", or "d hh:mm:ss" from one day on; whole seconds, rounded.
std::string FormatDuration(double days);
// Strict "dd.mm.yyyy hh:mm:ss" (seconds optional); false when malformed or
// not a real date.
bool ParseDotDateTime(const std::string &text, double &out);
// "dd.mm.yyyy hh:mm:ss"
std::string FormatDotDateTime(double t);

}  // namespace kxfleet
