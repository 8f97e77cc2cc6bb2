// The panel state's one geographic conversion and what shut-down clears.
#include "GeoToMap.h"
#include "PanelState.h"
#include "StandInShell.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(PanelState, GeoToMapGoesThroughTheShellsConverter)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        kxshell::StandInShell shell;
        shell.TakeSnapshot();
        auto point = GeoToMap(shell.MapInterface(), shell.FactoryInterface(), 37.6173, 55.7558);
        ASSERT_TRUE(point.has_value());
        // Spherical Mercator metres of central Moscow.
        EXPECT_NEAR(4187538.7, point->X, 1.0);
        EXPECT_NEAR(7509955.1, point->Y, 1.0);
        EXPECT_EQ(1u, shell.Registry().CountCalls("ICoordinateConverter.ToMap"));

        // Without a map there is no converter, and no point results.
        EXPECT_FALSE(GeoToMap(nullptr, shell.FactoryInterface(), 37.6, 55.7).has_value());
        EXPECT_FALSE(GeoToMap(shell.MapInterface(), nullptr, 37.6, 55.7).has_value());
        for (const auto &leak : shell.Leaks()) ADD_FAILURE() << leak.Describe();
    }
    CoUninitialize();
}

TEST(PanelState, ShutDownClearsTheMapDataItLists)
{
    TPanelState state;
    state.Trip.Track = kx::Track::FromCrds({39848.0, 37.6, 55.7, 0, 0, 39848.001, 37.7, 55.8, 50, 30});
    state.Checkpoints.Circles = {{{{1, 2}}, L"КП"}};
    state.InfoPoints.Categories = {{{{{3, 4}}, L"ИТ"}}};
    state.Player.MarkerPolygons.assign(2, {});
    state.LastPoints.Vehicles = {{{{5, 6}}, L"ТС"}};
    state.ClearForShutdown();
    EXPECT_TRUE(state.Trip.TrackMapPoints().empty());
    EXPECT_EQ(0, state.Trip.TrackPointCount());
    EXPECT_TRUE(state.Checkpoints.Circles.empty());
    EXPECT_TRUE(state.InfoPoints.Categories.empty());
    EXPECT_TRUE(state.Player.MarkerPolygons.empty());
    EXPECT_EQ(1u, state.LastPoints.Vehicles.size()) << "the group overview is not shut-down data";
}

} // namespace
