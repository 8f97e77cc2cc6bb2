// The cost of talking to the dispatcher program: one call through the
// interface table and one by name, and a 100,000-point track in one array,
// against the stand-in dispatcher in its own process.
#include "Karvex_TLB.h"

#include "DispatcherProcess.h"

#include <cstdio>

using namespace dispatcher_process;

int main()
{
    OleInitialize(nullptr);
    int status = 1;
    {
        OwnDispatcher own(L"/long-track:100000");
        if (!own.ready()) {
            std::fprintf(stderr, "dispatcher_bench: the stand-in dispatcher did not start\n");
        } else {
            TKarvexAutomation k;
            k.Start();
            const int calls = 1000;
            auto t0 = Clock::now();
            for (int i = 0; i < calls; ++i) k.GroupsCount();
            const double perCall = MsSince(t0) / calls;
            t0 = Clock::now();
            for (int i = 0; i < calls / 2; ++i) k.PropertyName(L"Group_Name");
            const double perNamedCall = MsSince(t0) / (calls / 2);
            int ends = 0;
            k.OnEndComputing = [&] { ++ends; };
            k.ComputeTrips(L"LOAD", 990001, L"06.02.2009 00:00:00", L"08.02.2009 00:00:00", L"GSM", 1);
            if (PumpUntil([&] { return ends == 1; }, 20000) && k.TripsCount() == 1) {
                k.TripIndex(1);
                const int n = k.TrackPointsCount();
                t0 = Clock::now();
                const std::vector<double> crds = k.TrackCrdsArray(n);
                const double bulk = MsSince(t0);
                std::printf("dispatcher_bench: one call through the interface table %.3f ms, by name %.3f ms; "
                            "a %d-point TrackCrdsArray (%zu numbers) %.0f ms\n",
                            perCall, perNamedCall, n, crds.size(), bulk);
                status = 0;
            } else {
                std::fprintf(stderr, "dispatcher_bench: the long trip was not computed\n");
            }
        }
    }
    OleUninitialize();
    return status;
}
