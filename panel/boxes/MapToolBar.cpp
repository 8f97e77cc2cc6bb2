#include "MapToolBar.h"

#include <commctrl.h>

#include <new>

#include "DispatcherConnection.h"
#include "GeoToMap.h"
#include "Karvex_TLB.h"
#include "Layer.h"
#include "MapObjects.h"
#include "SettingsValues.h"
#include "TripState.h"
#include "Seams.h"
#include "ToolBarButtons.h"
#include "SelectionSupport.h"

#include "kx/error.h"
#include "kx/infopoints.h"
#include "kx/text.h"

using namespace selection;

namespace {

TGeoToMap Converter(IMap *map, IGrymObjectFactory *factory)
{
    TGeoToMap toMap(map, factory);
    if (!toMap.Available())
        throw EPanelError(L"Карта не переводит географические координаты в свои", E_NOINTERFACE);
    return toMap;
}

TMapPoint ToMap(const TGeoToMap &toMap, double longitude, double latitude)
{
    const std::optional<TMapPoint> p = toMap(longitude, latitude);
    if (!p)
        throw EPanelError(L"Карта не перевела точку " + kx::ToWide(kx::FormatGeneral(longitude)) + L", " +
                              kx::ToWide(kx::FormatGeneral(latitude)),
                          E_FAIL);
    return *p;
}

}  // namespace

TMapToolBar::TMapToolBar(const TMapToolBarControls &controls, TCheckpoints &checkpoints,
                         TInfoPointsOnMap &infoPoints, TSettingsValues &settings, const TTripState &trip,
                         const TDispatcherConnection &link)
    : c_(controls), checkpoints_(checkpoints), infoPoints_(infoPoints), settings_(settings), trip_(trip),
      link_(link)
{
}

void TMapToolBar::Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer)
{
    map_ = map;
    factory_ = factory;
    layer_ = layer;
}

void TMapToolBar::ShowPressed(bool keepCheckpoints)
{
    const bool checkpointsDrawn = layer_ && !layer_->Shapes().Checkpoints.empty();
    if (ToolButtonDown(c_.ToolBar1, TMapTool::Checkpoints) && !(keepCheckpoints && checkpointsDrawn))
        ShowCheckpoints();
    if (ToolButtonDown(c_.ToolBar1, TMapTool::InfoPoints))
        ShowInfoPoints();
}

void TMapToolBar::HideMapPoints()
{
    if (!layer_)
        return;
    layer_->Shapes().Checkpoints.clear();
    layer_->Shapes().InfoPointIcons.clear();
}

void TMapToolBar::Redraw() const
{
    if (map_)
        map_->Invalidate(VARIANT_TRUE);
}

void TMapToolBar::ShowCheckpoints()
{
    // Without the shell's map there is nothing to draw on.
    if (!link_.HasServer() || !map_)
        return;
    TKarvexAutomation &server = link_.Server();
    if (server.ComputeStatus() == 1)
        return;
    if (!settings_.LoadKT) {
        // Stored circles are not drawn while checkpoints are switched off.
        if (layer_)
            layer_->Shapes().Checkpoints.clear();
        Redraw();
        return;
    }
    std::vector<TPlaceOnMap> circles;
    try {
        const TGeoToMap toMap = Converter(map_, factory_);
        server.SelectGroup(server.ServerGroupKey());
        server.SelectServerCar(server.ServerCar());
        server.LoadCheckpoints(server.CheckpointsKey());
        const int n = server.CheckpointsCount();
        for (int i = 1; i <= n; ++i) {
            server.CheckpointIndex(i);
            const int radius = server.CheckpointRadius();
            const double longitude = server.CheckpointLongitude();
            const double latitude = server.CheckpointLatitude();
            const std::wstring name = server.CheckpointName();
            const std::wstring address = server.CheckpointAddress();
            TMapPointArray circle = kx::CheckpointCircleGeo(longitude, latitude, radius);
            for (TMapPoint &p : circle)
                p = ToMap(toMap, p.X, p.Y);
            circles.push_back({std::move(circle),
                               kx::ToWide(kx::CheckpointBalloonText(kx::ToUtf8(name), kx::ToUtf8(address)))});
        }
    } catch (...) {
        // The dispatcher's checkpoints are an extra on the map: a failure
        // leaves those read before it, and nothing says so.
    }
    checkpoints_.Circles = std::move(circles);
    if (layer_)
        layer_->BuildShapes(TLayer::BuildCheckpoints);
    Redraw();
}

void TMapToolBar::ShowInfoPoints()
{
    if (!link_.HasServer() || !map_)
        return;
    TKarvexAutomation &server = link_.Server();
    if (server.ComputeStatus() == 1 || !ToolButtonDown(c_.ToolBar1, TMapTool::InfoPoints))
        return;
    if (layer_)
        layer_->Shapes().InfoPointIcons.clear();
    const size_t rows = settings_.InfoPointCategories.size();
    infoPoints_.Categories.resize(rows);
    // Without a chosen trip there are no entries to show.
    const bool haveTrip = trip_.CurrentTrip >= 1;
    if (haveTrip)
        server.TripIndex(trip_.CurrentTrip);
    const TGeoToMap toMap = Converter(map_, factory_);
    infoPoints_.Speeding.reset();

    // Index 0 is row 1, the checkpoints, drawn as circles instead.
    for (size_t c = 1; c < rows; ++c) {
        const kx::TInfoPoints &category = settings_.InfoPointCategories[c];
        if (!category.VisibleIcon)
            continue;
        std::vector<TPlaceOnMap> entries;
        // The speeding periods' times too, for the trip's report.
        const bool speeding = haveTrip && category.query == kx::kSpeedingQuery;
        std::vector<kx::TimePeriod> periods;
        bool periodsRead = true;
        if (haveTrip) {
            SelectEntriesList(server, kx::ToWide(category.query));
            const kx::EntryValue value = kx::EntryValueFor(category.query);
            // Grown as the entries come, not sized by the count the
            // dispatcher claims.
            const int n = server.TripEntriesCount();
            for (int j = 1; j <= n; ++j) {
                server.TripEntryIndex(j);
                const double longitude = server.TripEntryLongitude();
                const double latitude = server.TripEntryLatitude();
                TMapPointArray position;
                // An entry without a position is listed but has no place on the map.
                if (const std::optional<TMapPoint> geo = kx::EntryGeoPosition(longitude, latitude))
                    position.push_back(ToMap(toMap, geo->X, geo->Y));
                const std::wstring duration =
                    value == kx::EntryValue::Duration ? server.TripEntryDuration() : std::wstring();
                entries.push_back(
                    {std::move(position), EntryValueText(value, ReadEntryValues(server, value, duration), true)});
                if (speeding && periodsRead) {
                    // A period without real dates leaves the speeding
                    // uncounted, not the icons undrawn.
                    try {
                        periods.push_back({ParseServerDateTime(server.TripEntryBegin()),
                                           ParseServerDateTime(server.TripEntryEnd())});
                    } catch (...) {
                        periodsRead = false;
                    }
                }
            }
        }
        if (speeding && periodsRead)
            infoPoints_.Speeding = std::move(periods);
        infoPoints_.Categories[c] = std::move(entries);
    }
    if (layer_)
        layer_->BuildShapes(TLayer::BuildInfoPoints);
    Redraw();
}

void TMapToolBar::ToolButton1Click()
{
    // The flag the settings file keeps follows the button.
    settings_.LoadKT = ToolButtonDown(c_.ToolBar1, TMapTool::Checkpoints);
    if (settings_.LoadKT)
        ShowCheckpoints();
    else if (layer_)
        layer_->Shapes().Checkpoints.clear();
    Redraw();
}

void TMapToolBar::ToolButton2Click()
{
    // The button has toggled all the same; the map waits for a list.
    if (ListRows(c_.ListView1) == 0)
        return;
    if (ToolButtonDown(c_.ToolBar1, TMapTool::InfoPoints))
        ShowInfoPoints();
    else if (layer_)
        layer_->Shapes().InfoPointIcons.clear();
    Redraw();
}

void TMapToolBar::SpeedButton1Click()
{
    RECT button{};
    GetWindowRect(c_.SpeedButton1, &button);
    if (c_.popup)
        c_.popup(POINT{button.left, button.top});
}

void TMapToolBar::mnuClick(TMenuItem &item)
{
    int row = 0;
    try {
        row = kx::MenuItemRow(kx::ToUtf8(item.Name));
    } catch (const kx::Error &) {
        return;
    }
    // A settings file with fewer rows leaves some items without a category.
    if (row < 2 || row > settings_.InfoPointCategoryCount())
        return;
    item.Checked = !item.Checked;
    CheckMenuItem(c_.PopupMenu1, item.Command, MF_BYCOMMAND | (item.Checked ? MF_CHECKED : MF_UNCHECKED));
    item.ImageIndex = kx::MenuImageIndex(row, item.Checked);
    settings_.InfoPointCategories[static_cast<size_t>(row) - 1].VisibleIcon = item.Checked;
    ShowInfoPoints();
}
