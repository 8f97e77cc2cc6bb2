// Figures, not assertions on time: every value of a list or of the map is
// one call to the dispatcher, so a fill should cost its calls and nothing
// more. Prints the time of one call, a category list of 200 entries and the
// map's info points over every category of a trip of 200 entries each,
// each against (calls x one call).
#include "InfoPointsTestSupport.h"

#include <algorithm>

using namespace iptest;

namespace {

struct Figure {
    double ms = 0;
    long calls = 0;
};

TEST_F(InfoPointsTest, FiguresOfListAndMapFills)
{
    StartWith(L"/busy-lists:200");
    ChooseTrip(1);
    SetMinimum(L"0");
    ASSERT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
    TKarvexAutomation &server = DispatcherConnection().Server();

    // One call: the mix a fill makes (index, text, number), over a list.
    server.TripIndex(1);
    selection::SelectEntriesList(server, L"over_speed");
    const int n = server.TripEntriesCount();
    ASSERT_GE(n, 200);
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        const long before = CallCount();
        const auto t0 = Clock::now();
        for (int j = 1; j <= n; ++j) {
            server.TripEntryIndex(j);
            server.TripEntryDuration();
            server.TripEntrySpeed();
        }
        rounds.push_back(MsSince(t0) / (CallCount() - before));
    }
    std::sort(rounds.begin(), rounds.end());
    const double call = rounds[rounds.size() / 2];

    auto measure = [&](auto &&fill) {
        std::vector<Figure> runs;
        for (int round = 0; round < 3; ++round) {
            const long before = CallCount();
            const auto t0 = Clock::now();
            fill();
            const double ms = MsSince(t0);
            runs.push_back({ms, CallCount() - before});
        }
        std::sort(runs.begin(), runs.end(), [](const Figure &a, const Figure &b) { return a.ms < b.ms; });
        return runs[runs.size() / 2];
    };
    const Figure list = measure([&] { ChooseCategory(5); });
    ASSERT_GE(Rows(), 200);
    const Figure map = measure([&] { form->ShowInfoPoints(); });
    ASSERT_TRUE(messages.empty()) << kx::ToUtf8(messages[0].text);
    size_t entries = 0;
    for (const std::vector<TPlaceOnMap> &category : State().InfoPoints.Categories)
        entries += category.size();

    std::printf("infopoints figures (stand-in dispatcher in its own process):\n");
    std::printf("  one call:                 %.3f ms\n", call);
    auto line = [&](const char *what, const Figure &f) {
        const double expected = f.calls * call;
        std::printf("  %-25s %8.1f ms, %5ld calls, calls x one call %8.1f ms, ratio %.3f\n", what, f.ms, f.calls,
                    expected, f.ms / expected);
    };
    line("list of 200 entries:", list);
    line(("map, " + std::to_string(entries) + " entries:").c_str(), map);
}

}  // namespace
