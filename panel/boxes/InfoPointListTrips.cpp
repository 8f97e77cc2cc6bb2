// The trips of the info-point box: the end of a computation lists the trips,
// a trip's track comes in one array, is converted to map coordinates once
// and drawn; clicks on the list choose a trip or move the player to an info
// point.
#include "InfoPointListBox.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <new>

#include "DispatcherConnection.h"
#include "GeoToMap.h"
#include "Karvex_TLB.h"
#include "Layer.h"
#include "Seams.h"
#include "ToolBarButtons.h"
#include "TripState.h"
#include "SelectionSupport.h"
#include "SettingsValues.h"

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/infopoints.h"
#include "kx/text.h"
#include "kx/track.h"

using namespace selection;

namespace {

constexpr int kDurationColumn = 3;
const wchar_t kDurationCaption[] = L"Прод-ть";

// Core errors carry UTF-8 texts; the panel shows wide ones.
template <class F>
auto Checked(F &&f) -> decltype(f())
{
    try {
        return f();
    } catch (const kx::Error &e) {
        throw EPanelError(L"ПО Карвекс передало неверный трек: " + kx::ToWide(e.what()), E_UNEXPECTED);
    }
}

}  // namespace

TTrackLoadTimes &LastTrackLoadTimes()
{
    static TTrackLoadTimes times;
    return times;
}

void TInfoPointListBox::ListComputedTrips()
{
    // A new computation's trips are listed from the first.
    trip_.CurrentTrip = 0;
    FillTrips();
}

bool TInfoPointListBox::ListTripRows()
{
    ListClear(c_.ListView1);
    ComboSelect(c_.cmbInfoPoints, 0);
    TKarvexAutomation &server = link_.Server();
    if (server.ComputeStatus() != 0)
        return false;
    const int n = server.TripsCount();
    if (n <= 0) {
        SetText(c_.lblTripNum, L"N/A");
        return false;
    }
    SetText(c_.lblTripNum, std::to_wstring(trip_.CurrentTrip));
    for (int b = 1; b <= n; ++b) {
        server.TripIndex(b);
        SetListColumnCaption(c_.ListView1, kDurationColumn, kDurationCaption);
        const std::wstring begin = server.TripBegin();
        const std::wstring end = server.TripEnd();
        const std::wstring duration = server.TripDuration();
        ListAddRow(c_.ListView1, {std::to_wstring(b), begin, end, duration});
    }
    return ListRows(c_.ListView1) > 0;
}

void TInfoPointListBox::RelistTrips()
{
    if (ComboIndex(c_.cmbInfoPoints) > 0)
        return;
    if (trip_.CurrentTrip <= 0)
        return FillTrips();  // nothing was loaded to keep
    // The row the user chose last, maybe with a click still to run on it.
    const int chosen = ListSelectedRow(c_.ListView1);
    if (!ListTripRows())
        return;
    ListSelectRow(c_.ListView1, chosen >= 0 && chosen < ListRows(c_.ListView1) ? chosen : trip_.CurrentTrip - 1);
    SetText(c_.lblTripNum, ListSelectedRow(c_.ListView1) >= 0 ? std::to_wstring(trip_.CurrentTrip) : L"N/A");
}

void TInfoPointListBox::FillTrips()
{
    if (!ListTripRows())
        return;
    if (trip_.CurrentTrip > 0 && map_) {
        ListSelectRow(c_.ListView1, trip_.CurrentTrip - 1);
        SetText(c_.lblTripNum, ListSelectedRow(c_.ListView1) >= 0 ? std::to_wstring(trip_.CurrentTrip) : L"N/A");
        LoadTrack(trip_.CurrentTrip);
    } else {
        trip_.CurrentTrip = 1;
        ListSelectRow(c_.ListView1, 0);
        SetText(c_.lblTripNum, L"1");
        if (map_)
            LoadTrack(1);
    }
}

void TInfoPointListBox::LoadTrack(int trip)
{
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };

    if (!link_.HasServer())
        return;
    TKarvexAutomation &server = link_.Server();
    server.TripIndex(trip);
    const int count = server.TrackPointsCount();
    // A trip without points has nothing to play: the count drops to 0 so that
    // nothing of the previous trip plays under this trip's number. Its lines
    // and the slider stay as they were, for the user to see what was shown.
    if (count < 1) {
        actions_.StopPlayer();
        trip_.Track = kx::Track();
        return;
    }

    TTrackLoadTimes times;
    auto t0 = Clock::now();
    // One call for the whole track; its size must match the count just given.
    std::vector<double> crds = server.TrackCrdsArray(count);
    kx::Track track = Checked([&] { return kx::Track::FromCrds(std::move(crds)); });
    times.transferMs = ms(Clock::now() - t0);
    SetToolButtonDown(c_.ToolBar1, TMapTool::Track, true);

    t0 = Clock::now();
    const TGeoToMap toMap(map_, factory_);
    if (!toMap.Available())
        throw EPanelError(L"Карта не переводит географические координаты в свои", E_NOINTERFACE);
    // Converted into a new track that replaces the old one only when every
    // point has its map position: a failure leaves the loaded track whole.
    for (int k = 0; k < track.count(); ++k) {
        const std::optional<TMapPoint> p = toMap(track.x(k), track.y(k));
        if (!p)
            throw EPanelError(L"Карта не перевела точку трека " + std::to_wstring(k + 1), E_FAIL);
        track.SetMapPoint(k, *p);
    }
    times.conversionMs = ms(Clock::now() - t0);
    t0 = Clock::now();
    kx::SegmentIndex index(track.mapPoints());
    times.indexMs = ms(Clock::now() - t0);
    trip_.Track = std::move(track);
    trip_.TrackIndex = std::move(index);
    actions_.SetSliderRange(0, static_cast<int>(std::min<std::int64_t>(trip_.Track.RangeSeconds(), INT_MAX)));
    actions_.StopPlayer();

    t0 = Clock::now();
    if (layer_)
        layer_->BuildShapes(TLayer::BuildTrack);
    times.shapesMs = ms(Clock::now() - t0);
    times.points = trip_.Track.count();
    LastTrackLoadTimes() = times;

    if (map_ && factory_) {
        // The second point, as the view has always been brought there; a track
        // of one point has only its first.
        const TMapPoint &centre = trip_.Track.mapPoints()[trip_.Track.count() > 1 ? 1 : 0];
        ComPtr<IMapPoint> point;
        factory_->CreateMapPoint(0, 0, point.Put());
        if (point) {
            point->PutX(centre.X);
            point->PutY(centre.Y);
            map_->ShowPoint(point.Get(), 2000, 0, VARIANT_TRUE);
        }
    }
}

void TInfoPointListBox::SelectEntriesList(const std::wstring &query)
{
    selection::SelectEntriesList(link_.Server(), query);
}

void TInfoPointListBox::TripsListBoxClick()
{
    const int row = ListSelectedRow(c_.ListView1);
    const int shown = ComboIndex(c_.cmbInfoPoints);
    if (row < 0 || shown < 0)
        return;

    if (shown == 0) {
        trip_.CurrentTrip = row + 1;
        actions_.ShowMapPoints();
        LoadTrack(trip_.CurrentTrip);
        SetText(c_.lblTripNum, ListSelectedRow(c_.ListView1) >= 0 ? std::to_wstring(trip_.CurrentTrip) : L"N/A");

        // The trip's stops, which the player skips.
        SelectEntriesList(CategoryQuery(settings_.InfoPointCategories, 2));
        TKarvexAutomation &server = link_.Server();
        const int n = server.TripEntriesCount();
        try {
            trip_.TripStops.assign(static_cast<size_t>(n), kx::TStops());
        } catch (const std::bad_alloc &) {
            throw EPanelError(L"ПО Карвекс сообщило о " + std::to_wstring(n) + L" остановках: столько не разместить",
                              E_OUTOFMEMORY);
        }
        for (int i = 1; i <= n; ++i) {
            server.TripEntryIndex(i);
            kx::TStops &stop = trip_.TripStops[static_cast<size_t>(i) - 1];
            stop.begin = ParseServerDateTime(server.TripEntryBegin());
            stop.end = ParseServerDateTime(server.TripEntryEnd());
            stop.text = kx::ToUtf8(server.TripEntryDuration());
        }
        return;
    }

    // An info point row: move the player to the entry's start.
    auto seek = [&] {
        TKarvexAutomation &server = link_.Server();
        // Only entries passing the duration filter are listed, in server order.
        const int n = server.TripEntriesCount();
        std::vector<std::string> durations;
        durations.reserve(static_cast<size_t>(n));
        for (int i = 1; i <= n; ++i) {
            server.TripEntryIndex(i);
            durations.push_back(kx::ToUtf8(server.TripEntryDuration()));
        }
        const std::vector<int> numbers = Checked([&] {
            return kx::FilteredEntryNumbers(durations, kx::ParseThresholdText(kx::ToUtf8(WindowText(c_.txtCont))));
        });
        if (row >= static_cast<int>(numbers.size()))
            throw EPanelError(L"Строки " + std::to_wstring(row + 1) + L" нет в списке ПО Карвекс", E_UNEXPECTED);
        server.TripEntryIndex(numbers[static_cast<size_t>(row)]);
        const double t = ParseServerDateTime(server.TripEntryBegin());
        const std::int64_t second = Checked([&] { return kx::RoundHalfEven((t - trip_.Track.startTime()) * 86400); });
        actions_.MoveSlider(static_cast<int>(std::clamp<std::int64_t>(second, INT_MIN, INT_MAX)));
    };
    try {
        actions_.StopPlayer();
        seek();
    } catch (...) {
        // One retry, with the trip, its map points and the category's list
        // fetched afresh; its failure reaches the user.
        actions_.ShowMapPoints();
        LoadTrack(trip_.CurrentTrip);
        const LRESULT category = SendMessageW(c_.cmbInfoPoints, CB_GETITEMDATA, shown, 0);
        SelectEntriesList(CategoryQuery(settings_.InfoPointCategories, static_cast<int>(category)));
        seek();
    }
}

void TInfoPointListBox::ToolButton4Click()
{
    if (ListRows(c_.ListView1) == 0)
        return;
    if (ToolButtonDown(c_.ToolBar1, TMapTool::Track))
        LoadTrack(trip_.CurrentTrip);
    else
        HideTrack();
    if (map_)
        map_->Invalidate(VARIANT_TRUE);
}

void TInfoPointListBox::HideTrack()
{
    if (layer_)
        layer_->Shapes().TrackLines.clear();
}
