// The built-in fleet: four groups of vehicles driving the streets of central
// Moscow for a few days. Everything comes from a seeded generator, so every
// run serves the same data. Motion is simulated second by second (speed
// limited by the street, by turns ahead and by planned stops) and reported
// every 5 s, so speeds agree with the distances between reports.
#include "City.h"
#include "kxfleet/Fleet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kxfleet {

namespace {

class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed * 2654435761u + 12345u) {}
    uint32_t Next() { s_ ^= s_ << 13; s_ ^= s_ >> 17; s_ ^= s_ << 5; return s_; }
    double Uniform(double a, double b) { return a + (b - a) * (Next() % 1000000) / 1000000.0; }
    int Int(int a, int b) { return a + static_cast<int>(Next() % static_cast<uint32_t>(b - a + 1)); }
    bool Chance(double p) { return Uniform(0, 1) < p; }

private:
    uint32_t s_;
};

struct Poi {
    const char *node;
    const char *name;
    const char *address;
    int radius;
};

enum class Kind { Van, Car, Truck, Municipal };

struct VehiclePlan {
    const char *name;
    const char *number;
    int device;
    bool aggressive;
    bool noData;
};

struct GroupPlan {
    const char *key;
    const char *name;
    Kind kind;
    std::vector<Poi> pois;  // [0] the depot, [1] the filling station, then destinations
    std::vector<VehiclePlan> vehicles;
};

const std::vector<GroupPlan> &FleetPlan()
{
    static const std::vector<GroupPlan> plans = {
        {"G1", "Доставка продуктов", Kind::Van,
         {{"Sokol", "Склад «Север»", "Ленинградский пр-т, 77", 150},
          {"Aeroport", "АЗС на Ленинградском", "Ленинградский пр-т, 62", 80},
          {"Taganskaya", "Магазин на Таганке", "Таганская пл., 12", 100},
          {"Kurskaya", "Магазин у Курского вокзала", "ул. Земляной Вал, 33", 120},
          {"Pushkinskaya", "Супермаркет на Пушкинской", "Тверская ул., 17", 100},
          {"Rizhskaya", "Магазин у Рижского вокзала", "пр-т Мира, 79", 100}},
         {{"ГАЗель NEXT", "А123ВС77", 10101, false, false},
          {"ГАЗель Бизнес", "В456ЕК77", 10102, true, false},
          {"Ford Transit", "Е789МН99", 10103, false, false},
          {"ГАЗель NEXT", "К321ОР177", 10104, false, false},
          {"Mercedes Sprinter", "М654РС197", 10105, true, false}}},
        {"G2", "Такси", Kind::Car,
         {{"Nagatinskaya", "Таксопарк №3", "Варшавское ш., 74", 150},
          {"Tulskaya", "АЗС на Варшавском", "Варшавское ш., 9", 80},
          {"Belorussky", "Белорусский вокзал", "пл. Тверская Застава, 7", 150},
          {"Kurskaya", "Курский вокзал", "ул. Земляной Вал, 29", 150},
          {"Paveletskaya", "Павелецкий вокзал", "Павелецкая пл., 1", 150},
          {"ParkPobedy", "Парк Победы", "Кутузовский пр-т, 36", 200}},
         {{"Hyundai Solaris", "О111ОО77", 20201, true, false},
          {"Kia Rio", "Р222РР77", 20202, true, false},
          {"Škoda Octavia", "С333СС99", 20203, false, false},
          {"Renault Logan", "Т444ТТ177", 20204, false, false}}},
        {"G3", "Спецтехника", Kind::Truck,
         {{"VDNKh", "База механизации", "пр-т Мира, 119", 200},
          {"Alexeevskaya", "АЗС на проспекте Мира", "пр-т Мира, 101", 80},
          {"Vernadskogo", "Стройплощадка на Вернадского", "пр-т Вернадского, 6", 200},
          {"Avtozavodskaya", "Бетонный узел", "ул. Автозаводская, 23", 180},
          {"Luzhniki", "Стройплощадка в Лужниках", "Лужнецкая наб., 24", 200}},
         {{"КамАЗ-65115", "У555ХА77", 30301, false, false},
          {"КамАЗ-6520", "Х666УК77", 30302, false, false},
          {"Автокран Ивановец", "А777АМ99", 30303, false, false},
          {"КамАЗ-6520 (новый)", "В888ВН797", 30304, false, true}}},
        {"G4", "Коммунальные службы", Kind::Municipal,
         {{"Lefortovo", "Гараж коммунальной службы", "ул. Лефортовский Вал, 5", 150},
          {"Tulskaya", "АЗС на Варшавском", "Варшавское ш., 9", 80},
          {"Sukharevskaya", "Участок на Сухаревской", "Сухаревская пл., 6", 120},
          {"KitayGorod", "Участок в Китай-городе", "ул. Солянка, 1", 120},
          {"Smolenskaya", "Участок на Смоленской", "Смоленская пл., 3", 120}},
         {{"МАЗ-5337 поливомоечная", "Е909КХ77", 40401, false, false},
          {"ЗИЛ-433362 мусоровоз", "Н010НН77", 40402, false, false},
          {"ГАЗ-САЗ-3507", "Р121РМ77", 40403, false, true}}},
    };
    return plans;
}

// Rough local metres, for turn angles only.
void Metric(GeoPoint a, GeoPoint b, double &dx, double &dy)
{
    dx = (b.lon - a.lon) * 111320.0 * std::cos(a.lat * 3.14159265358979 / 180);
    dy = (b.lat - a.lat) * 110540.0;
}

enum class HoldKind { Light, Delivery, Fuel };

struct Hold {
    HoldKind kind = HoldKind::Light;
    int seconds = 0;
    unsigned sensors = 0;      // switched on during the middle of the stop
    int powerCut = 0;          // 0 none, 1 with position, 2 without position
    double drainL = 0;
    double refuel1 = 0, refuel2 = 0;
};

class Driver {
public:
    Driver(Vehicle &v, Kind kind, bool aggressive, uint32_t seed, double epoch)
        : v_(v), kind_(kind), aggressive_(aggressive), rng_(seed), epoch_(epoch)
    {
        cap1_ = kind == Kind::Car ? 55 : kind == Kind::Van ? 80 : 250;
        cap2_ = kind == Kind::Truck ? 200 : -1;
        tank1_ = cap1_ * rng_.Uniform(0.45, 0.8);
        tank2_ = cap2_ > 0 ? cap2_ * rng_.Uniform(0.4, 0.7) : -1;
        litresPerKm_ = kind == Kind::Car ? 0.085 : kind == Kind::Van ? 0.14 : kind == Kind::Truck ? 0.34 : 0.30;
        factor_ = rng_.Uniform(0.92, 1.06);
    }

    Rng &rng() { return rng_; }
    void SetClock(long long seconds) { clock_ = seconds; }
    long long Clock() const { return clock_; }
    void SetGap(long long from, long long to) { gapFrom_ = from; gapTo_ = to; }
    void SetDriveSensors(unsigned bits, bool fridge) { driveSensors_ = bits; fridge_ = fridge; }

    // Standing with the engine off, reporting every `interval` seconds.
    void Park(GeoPoint at, int seconds, int interval)
    {
        for (int t = 0; t < seconds; t += interval) {
            Emit(at, 0, true);
            clock_ += interval;
        }
    }

    void Drive(const std::vector<int> &route, std::vector<Hold> holds)
    {
        const City &city = Moscow();
        const size_t n = route.size();
        std::vector<GeoPoint> pts(n);
        std::vector<double> cum(n, 0.0), cruise(n, 0.0), cap(n, 0.0);
        for (size_t i = 0; i < n; ++i) pts[i] = city.nodes[route[i]].pos;
        for (size_t i = 1; i < n; ++i) cum[i] = cum[i - 1] + DistanceMetres(pts[i - 1], pts[i]);
        for (size_t i = 0; i + 1 < n; ++i) {
            const CityEdge *e = city.EdgeBetween(route[i], route[i + 1]);
            double kmh = (e ? e->cruiseKmh : 40) * factor_;
            if (e && e->fast && aggressive_) kmh = std::max(kmh, rng_.Uniform(86, 97));
            if (kind_ == Kind::Truck || kind_ == Kind::Municipal) kmh = std::min(kmh, 62.0);
            cruise[i] = kmh / 3.6;
        }
        for (size_t i = 1; i + 1 < n; ++i) {
            double ax, ay, bx, by;
            Metric(pts[i - 1], pts[i], ax, ay);
            Metric(pts[i], pts[i + 1], bx, by);
            const double cosA = (ax * bx + ay * by) / (std::hypot(ax, ay) * std::hypot(bx, by) + 1e-9);
            cap[i] = (cosA < 0.5 ? 20 : cosA < 0.9 ? 35 : 55) / 3.6;
        }
        holds.resize(n);
        const double total = cum[n - 1];
        double s = 0, v = 0;
        long long step = 0;
        const long long start = clock_;
        Emit(pts[0], 0, true);
        while (true) {
            size_t seg = std::upper_bound(cum.begin(), cum.end(), s) - cum.begin();
            seg = seg == 0 ? 0 : std::min(seg - 1, n - 2);
            // The next place where the vehicle must stand.
            // Holds are consumed as they are served, so the first one left is next.
            size_t stop = n - 1;
            for (size_t k = 1; k < n; ++k)
                if (holds[k].seconds > 0) { stop = k; break; }
            const double toStop = cum[stop] - s;
            if (toStop < 1.5) {
                s = cum[stop];
                v = 0;
                if (stop == n - 1) break;
                DoHold(pts[stop], holds[stop]);
                holds[stop].seconds = 0;
                continue;
            }
            double target = cruise[seg];
            for (size_t k = seg + 1; k < n; ++k) {
                const double d = cum[k] - s;
                if (d > 500) break;
                const double vc = (k == stop) ? 0 : cap[k];
                target = std::min(target, std::sqrt(vc * vc + 2 * 1.8 * std::max(0.0, d - 1)));
            }
            if (target < 1.2) target = 1.2;  // creep up to the stop line
            double nv = v < target ? std::min(target, v + 1.5) : std::max(target, v - 2.6);
            double ds = (v + nv) / 2;
            if (s + ds > cum[stop]) ds = cum[stop] - s;
            s += ds;
            v = nv;
            Burn(ds);
            ++clock_;
            ++step;
            if (step % 5 == 0) {
                size_t sg = std::upper_bound(cum.begin(), cum.end(), s) - cum.begin();
                sg = sg == 0 ? 0 : std::min(sg - 1, n - 2);
                const double len = cum[sg + 1] - cum[sg];
                const GeoPoint p = Lerp(pts[sg], pts[sg + 1], len > 0 ? (s - cum[sg]) / len : 0);
                sensors_ = driveSensors_;
                if (fridge_ && (clock_ - start) / 600 % 3 == 0) sensors_ |= 1u << 2;
                Emit(p, v * 3.6, true);
                sensors_ = 0;
            }
            if (s >= total - 0.01) break;
        }
        Emit(pts[n - 1], 0, true);
    }

private:
    void Burn(double metres)
    {
        tank1_ = std::max(0.0, tank1_ - metres / 1000 * litresPerKm_ * (tank2_ >= 0 ? 0.5 : 1.0));
        if (tank2_ >= 0) tank2_ = std::max(0.0, tank2_ - metres / 1000 * litresPerKm_ * 0.5);
    }

    void DoHold(GeoPoint at, const Hold &h)
    {
        const int steps = std::max(1, h.seconds / 5);
        const int quarter = steps / 4;
        const double add1 = std::min(h.refuel1, cap1_ - tank1_), add2 = cap2_ > 0 ? std::min(h.refuel2, cap2_ - tank2_) : 0;
        const int rampSteps = std::max(1, steps / 2);
        for (int k = 0; k < steps; ++k) {
            const bool middle = k >= quarter && k < steps - quarter;
            sensors_ = middle ? h.sensors : 0;
            power_ = !(middle && h.powerCut != 0);
            const bool fix = power_ || h.powerCut == 1;
            // Filling and draining happen in the first half of the stop.
            if (k >= 1 && k <= rampSteps) {
                tank1_ += add1 / rampSteps;
                if (tank2_ >= 0) tank2_ += add2 / rampSteps;
                tank1_ = std::max(0.0, tank1_ - h.drainL / rampSteps);
            }
            Emit(at, 0, fix);
            clock_ += 5;
        }
        sensors_ = 0;
        power_ = true;
    }

    void Emit(GeoPoint p, double kmh, bool fix)
    {
        if (clock_ >= gapFrom_ && clock_ < gapTo_) return;
        if (clock_ <= lastEmit_) return;  // one report a second at most
        lastEmit_ = clock_;
        Sample s;
        s.time = epoch_ + clock_ / kSecondsPerDay;
        s.pos = {std::round(p.lon * 1e6) / 1e6, std::round(p.lat * 1e6) / 1e6};
        s.fix = fix;
        s.speed = std::round(kmh * 10) / 10;
        s.power = power_;
        s.sensors = sensors_;
        s.tank1 = std::round(tank1_ * 10) / 10;
        s.tank2 = tank2_ < 0 ? -1 : std::round(tank2_ * 10) / 10;
        v_.samples.push_back(s);
    }

    Vehicle &v_;
    Kind kind_;
    bool aggressive_;
    Rng rng_;
    double epoch_;
    long long clock_ = 0;
    long long gapFrom_ = -1, gapTo_ = -1;
    long long lastEmit_ = -1;
    double cap1_, cap2_, tank1_, tank2_, litresPerKm_, factor_;
    unsigned sensors_ = 0, driveSensors_ = 0;
    bool fridge_ = false;
    bool power_ = true;
};

void GenerateVehicle(Vehicle &v, const GroupPlan &g, const VehiclePlan &plan, int serial, const FleetOptions &opt)
{
    const City &city = Moscow();
    const double epoch = MakeDateTime(opt.startYear, opt.startMonth, opt.startDay);
    Driver d(v, g.kind, plan.aggressive, static_cast<uint32_t>(plan.device), epoch);
    Rng &rng = d.rng();
    const int depot = city.Find(g.pois[0].node);
    const int fuel = city.Find(g.pois[1].node);
    for (int day = 0; day < opt.days; ++day) {
        long long clk = day * 86400LL + 7 * 3600 + (serial * 17 % 90) * 60 + rng.Int(0, 300);
        d.SetClock(clk);
        int here = depot;
        d.Park(city.nodes[here].pos, 600, 30);
        const int legs = 4;
        for (int leg = 0; leg < legs; ++leg) {
            int dest = leg == legs - 1 ? depot
                                       : city.Find(g.pois[2 + (serial + day + leg) % (g.pois.size() - 2)].node);
            if (dest == here) dest = city.Find(g.pois[2 + (serial + day + leg + 1) % (g.pois.size() - 2)].node);
            std::vector<int> route;
            std::vector<Hold> holds;
            const bool refuelLeg = leg == 0 && (day + serial) % 2 == 0;
            if (refuelLeg && fuel != here && fuel != dest) {
                route = city.Route(here, fuel);
                std::vector<int> rest = city.Route(fuel, dest);
                route.insert(route.end(), rest.begin() + 1, rest.end());
                holds.resize(route.size());
                for (size_t k = 0; k < route.size(); ++k)
                    if (route[k] == fuel && k > 0 && k + 1 < route.size()) {
                        holds[k].kind = HoldKind::Fuel;
                        holds[k].seconds = rng.Int(300, 480);
                        holds[k].refuel1 = rng.Uniform(25, 60);
                        holds[k].refuel2 = (day % 2) ? rng.Uniform(30, 80) : 0;
                        break;
                    }
            } else {
                route = city.Route(here, dest);
                holds.resize(route.size());
            }
            // Traffic lights and one errand stop on the way.
            for (size_t k = 1; k + 1 < route.size(); ++k)
                if (holds[k].seconds == 0 && rng.Chance(0.35)) holds[k].seconds = rng.Int(15, 75);
            if (route.size() >= 3 && (leg == 1 || rng.Chance(0.4))) {
                const size_t k = 1 + rng.Next() % (route.size() - 2);
                if (holds[k].kind == HoldKind::Light) {
                    Hold &h = holds[k];
                    h.kind = HoldKind::Delivery;
                    h.seconds = rng.Int(180, 480);
                    if (g.kind != Kind::Car) h.sensors |= 1u;                        // door or lift
                    if (g.kind == Kind::Truck) h.sensors |= 1u << 4;                  // power take-off
                    if (g.kind == Kind::Municipal && leg == 1) h.sensors |= 1u << 5;  // water pump
                    if (leg == 1 && (serial + day) % 3 == 1) h.powerCut = 1 + (serial + day) % 2;
                    if (g.kind == Kind::Truck && day == 1 && serial % 2 == 0) h.drainL = rng.Uniform(25, 40);
                    if (g.kind == Kind::Municipal && day == 0 && serial == 1) h.drainL = rng.Uniform(15, 25);
                }
            }
            unsigned driveBits = 0;
            if (g.kind == Kind::Municipal && leg == 1) driveBits |= 1u << 1;  // flashing beacon
            if (g.kind == Kind::Car && leg % 2 == 0) driveBits |= 1u << 3;    // taxi meter
            d.SetDriveSensors(driveBits, g.kind == Kind::Van);
            if (rng.Chance(0.4)) {
                const long long from = d.Clock() + rng.Int(120, 600);
                d.SetGap(from, from + rng.Int(90, 240));
            } else {
                d.SetGap(-1, -1);
            }
            d.Drive(route, holds);
            d.SetGap(-1, -1);
            here = dest;
            d.Park(city.nodes[here].pos, leg == legs - 1 ? 600 : rng.Int(20, 45) * 60, 30);
        }
    }
}

}  // namespace

Fleet GenerateDefaultFleet(const FleetOptions &opt)
{
    Fleet fleet;
    int serial = 0;
    for (const GroupPlan &g : FleetPlan()) {
        for (const VehiclePlan &plan : g.vehicles) {
            Vehicle v;
            v.name = plan.name;
            v.number = plan.number;
            v.device = plan.device;
            if (!plan.noData) GenerateVehicle(v, g, plan, serial, opt);
            fleet.AddVehicle(std::move(v), g.key, g.name);
            ++serial;
        }
        Group &group = fleet.groups.back();
        for (const Poi &p : g.pois)
            group.checkpoints.push_back({p.name, p.address, Moscow().nodes[Moscow().Find(p.node)].pos, p.radius});
    }
    return fleet;
}

Vehicle GenerateLongTrip(int points, int device, double start, double stepSeconds)
{
    // Laps of the Garden Ring at a smoothly varying speed, one report a step.
    const City &city = Moscow();
    const char *ring[] = {"Triumfalnaya", "Samotechnaya", "Sukharevskaya", "KrasnyeVorota", "Kurskaya",
                          "Taganskaya", "Paveletskaya", "Dobryninskaya", "Kaluzhskaya", "ParkKultury",
                          "Smolenskaya", "Novinsky", "Kudrinskaya", "Triumfalnaya"};
    std::vector<GeoPoint> pts;
    std::vector<double> cum;
    for (const char *name : ring) {
        const GeoPoint p = city.nodes[city.Find(name)].pos;
        cum.push_back(pts.empty() ? 0 : cum.back() + DistanceMetres(pts.back(), p));
        pts.push_back(p);
    }
    const double lap = cum.back();
    Vehicle v;
    v.name = "Нагрузочный тест";
    v.number = "Т000ТТ00";
    v.device = device;
    double s = 0;
    for (int i = 0; i < points; ++i) {
        const double kmh = 45 + 10 * std::sin(i / 90.0);
        const double pos = std::fmod(s, lap);
        size_t k = std::upper_bound(cum.begin(), cum.end(), pos) - cum.begin();
        k = k == 0 ? 0 : std::min(k - 1, pts.size() - 2);
        const GeoPoint p = Lerp(pts[k], pts[k + 1], (pos - cum[k]) / (cum[k + 1] - cum[k]));
        Sample smp;
        smp.time = start + i * stepSeconds / kSecondsPerDay;
        smp.pos = p;
        smp.speed = kmh;
        v.samples.push_back(smp);
        s += kmh / 3.6 * stepSeconds;
    }
    return v;
}

}  // namespace kxfleet
