// Hot paths: the track-line hit test, the per-tick time lookup and marker
// build, and the date texts of the lists and labels.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "kx/datetime.h"
#include "kx/geometry.h"
#include "kx/player.h"

namespace {

constexpr int kPoints = 100000;
constexpr double kSec = 1.0 / 86400;

const kx::Track& BigTrack() {
    static const kx::Track track = [] {
        std::vector<double> crds;
        crds.reserve(kPoints * 5);
        double x = 0, y = 0, heading = 0;
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> turn(-0.3, 0.3);
        for (int k = 0; k < kPoints; ++k) {
            heading += turn(rng);
            x += 10 * std::cos(heading);
            y += 10 * std::sin(heading);
            crds.insert(crds.end(), {39850.0 + k * 2 * kSec, x, y, k * 10.0, 36.0});
        }
        return kx::Track::FromCrds(std::move(crds));
    }();
    return track;
}

void BM_NearestOnTrack(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    const kx::TMapPoint probe = t.mapPoints()[kPoints / 2];
    for (auto _ : state) {
        auto hit = kx::NearestOnTrack(t.mapPoints(), {probe.X + 3, probe.Y - 2});
        benchmark::DoNotOptimize(hit);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_NearestOnTrack)->Unit(benchmark::kMicrosecond);

void BM_FindPointByTime(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> when(t.startTime(), t.endTime());
    std::vector<double> times(1024);
    for (double& v : times) v = when(rng);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(t.FindPointByTime(times[i++ & 1023]));
    }
}
BENCHMARK(BM_FindPointByTime);

void BM_PlanTick(benchmark::State& state) {
    const kx::Track& t = BigTrack();
    const std::vector<kx::TStops> stops(50, kx::TStops{39851.0, 39851.01, "00:14:24"});
    kx::PlayClock clock{t.startTime(), 45000.0, 600};
    double now = 45000.0;
    for (auto _ : state) {
        now += 1e-7;
        benchmark::DoNotOptimize(kx::PlanTick(t, stops, clock, now, true, 0, 0));
    }
}
BENCHMARK(BM_PlanTick);

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
