// Hot paths: the track-line hit test, the per-tick time lookup and marker
// build, and the date texts of the lists and labels.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "kx/datetime.h"
#include "kx/geometry.h"
#include "kx/player.h"
#include "kx/report.h"

namespace {

constexpr int kPoints = 1000000;
constexpr double kSec = 1.0 / 86400;

// A million points of a drive: a random walk in map metres, a report about
// every second with the same second repeated now and then.
const kx::Track& BigTrack() {
    static const kx::Track track = [] {
        std::vector<double> crds;
        crds.reserve(kPoints * 5);
        double x = 4.2e6, y = 7.5e6, heading = 0, second = 0;
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> turn(-0.3, 0.3);
        for (int k = 0; k < kPoints; ++k) {
            heading += turn(rng);
            x += 10 * std::cos(heading);
            y += 10 * std::sin(heading);
            if (rng() % 20 != 0) second += 1;
            crds.insert(crds.end(), {39850.0 + second * kSec, x, y, k * 10.0, 36.0});
        }
        return kx::Track::FromCrds(std::move(crds));
    }();
    return track;
}

const kx::SegmentIndex& BigIndex() {
    static const kx::SegmentIndex index(BigTrack().mapPoints());
    return index;
}

std::vector<kx::TMapPoint> Probes(int n) {
    const kx::Track& t = BigTrack();
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> off(-40, 40);
    std::vector<kx::TMapPoint> probes;
    for (int i = 0; i < n; ++i) {
        const kx::TMapPoint& p = t.mapPoints()[rng() % t.mapPoints().size()];
        probes.push_back({p.X + off(rng), p.Y + off(rng)});
    }
    return probes;
}

std::vector<double> Times() {
    const kx::Track& t = BigTrack();
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> when(t.startTime(), t.endTime());
    std::vector<double> times(1024);
    for (double& v : times) v = when(rng);
    return times;
}

// The player's own work per tick: the point for the time, then the labels,
// the pose, the marker and the recentring test.
void BM_TickWork(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    const std::vector<double> times = Times();
    const kx::TShapeBounds visible{4.19e6, 7.49e6, 4.21e6, 7.51e6};
    std::size_t i = 0;
    int current = 0;
    for (auto _ : state) {
        const double when = times[i++ & 1023];
        const kx::PositionView v = kx::ViewAt(t, current, when, visible, ',');
        current = v.pointIndex;
        benchmark::DoNotOptimize(v);
    }
    state.counters["points"] = kPoints;
}
BENCHMARK(BM_TickWork)->Unit(benchmark::kMicrosecond);

void BM_FindPointByTime(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    const std::vector<double> times = Times();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(t.FindPointByTime(times[i++ & 1023], 0));
}
BENCHMARK(BM_FindPointByTime);

void BM_LocateOnTrackScan(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    const std::vector<kx::TMapPoint> probes = Probes(64);
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(kx::NearestOnTrack(t.mapPoints(), probes[i++ & 63]));
    state.counters["points"] = kPoints;
}
BENCHMARK(BM_LocateOnTrackScan)->Unit(benchmark::kMicrosecond);

void BM_LocateOnTrackIndexed(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    const kx::SegmentIndex& index = BigIndex();
    const std::vector<kx::TMapPoint> probes = Probes(1024);
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(index.Nearest(t.mapPoints(), probes[i++ & 1023]));
    state.counters["points"] = kPoints;
    state.counters["index_bytes_per_point"] = static_cast<double>(index.MemoryBytes()) / kPoints;
}
BENCHMARK(BM_LocateOnTrackIndexed)->Unit(benchmark::kMicrosecond);

void BM_BuildSegmentIndex(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    for (auto _ : state) benchmark::DoNotOptimize(kx::SegmentIndex(t.mapPoints()));
    state.counters["points"] = kPoints;
}
BENCHMARK(BM_BuildSegmentIndex)->Unit(benchmark::kMillisecond);

// What the track load does to the numbers in the plug-in, for the index's share.
void BM_TrackFromNumbers(benchmark::State& state) {
    const std::vector<double> crds = BigTrack().crds();
    for (auto _ : state) {
        kx::Track t = kx::Track::FromCrds(crds);
        for (int k = 0; k < t.count(); ++k) t.SetMapPoint(k, {t.x(k) + 1, t.y(k) + 1});
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_TrackFromNumbers)->Unit(benchmark::kMillisecond);

// The trip report's profile and totals, and its chart's columns.
void BM_TripProfile(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    for (auto _ : state) benchmark::DoNotOptimize(kx::TripProfile::FromTrack(t, {}, nullptr));
    state.counters["points"] = kPoints;
}
BENCHMARK(BM_TripProfile)->Unit(benchmark::kMillisecond);

void BM_ChartColumns(benchmark::State& state) {
    static const kx::TripProfile profile = kx::TripProfile::FromTrack(BigTrack(), {}, nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(kx::ChartColumns(profile, 600));
}
BENCHMARK(BM_ChartColumns)->Unit(benchmark::kMillisecond);

void BM_FormatFixedDateTime(benchmark::State& state) {
    double t = 39850.123456;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kx::FormatFixedDateTime(t));
        t += kSec;
    }
}
BENCHMARK(BM_FormatFixedDateTime);

void BM_FormatDisplayDateTime(benchmark::State& state) {
    const auto fmt = kx::LocaleDateFormat::Russian();
    double t = 39850.123456;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kx::FormatDisplayDateTime(t, fmt));
        t += kSec;
    }
}
BENCHMARK(BM_FormatDisplayDateTime);

void BM_ParseFixedDateTime(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(kx::ParseFixedDateTime("06.02.2009 15:04:05"));
}
BENCHMARK(BM_ParseFixedDateTime);

void BM_ParseLocaleDateTime(benchmark::State& state) {
    const auto fmt = kx::LocaleDateFormat::EnglishUs();
    for (auto _ : state)
        benchmark::DoNotOptimize(kx::ParseLocaleDateTime("2/6/2009 3:04:05 PM", fmt));
}
BENCHMARK(BM_ParseLocaleDateTime);

void BM_ParseDuration(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(kx::ParseDurationSeconds("2 03:04:05"));
}
BENCHMARK(BM_ParseDuration);

void BM_BuildMarker(benchmark::State& state) {
    double a = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kx::BuildMarker(1000, 2000, a, 100));
        a += 0.01;
    }
}
BENCHMARK(BM_BuildMarker);

}  // namespace

BENCHMARK_MAIN();
