// The box of the vehicle and period: groups and vehicles from the
// dispatcher, the computation request on every change, the last known
// points of the group's vehicles, following the dispatcher's own choice, and
// the saved selection of the settings file.
#include "SelectionBox.h"

#include <commctrl.h>

#include <new>
#include <utility>

#include "DispatcherConnection.h"
#include "GeoToMap.h"
#include "Karvex_TLB.h"
#include "Layer.h"
#include "MapObjects.h"
#include "SelectionState.h"
#include "Seams.h"
#include "SelectionSupport.h"
#include "SettingsFile.h"

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/selection.h"
#include "kx/text.h"

using namespace selection;

TSelectionBox::TSelectionBox(const TSelectionControls &controls, TSelectionState &selection,
                             TLastPoints &lastPoints, TDispatcherConnection &link, TSelectionActions actions)
    : c_(controls), selection_(selection), lastPoints_(lastPoints), link_(link), actions_(std::move(actions))
{
}

void TSelectionBox::Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer)
{
    map_ = map;
    factory_ = factory;
    layer_ = layer;
}

std::wstring TSelectionBox::SelectedGroupKey(int index) const
{
    if (!selection_.GroupKeys || index < 0 || index >= static_cast<int>(selection_.GroupKeys->size()))
        throw EPanelError(L"Для выбранной группы нет ключа", E_UNEXPECTED);
    return (*selection_.GroupKeys)[static_cast<size_t>(index)];
}

void TSelectionBox::FillGroups()
{
    selection_.GroupKeys.emplace();
    // Keys and names stay aligned: a fresh list for both.
    ComboClear(c_.cmbGroupName);
    // Without a client (its creation failed) there is nobody to ask; a client
    // that failed to connect tries again here and reports its own error.
    if (!link_.HasServer())
        return;
    TKarvexAutomation &server = link_.Server();
    const int n = server.GroupsCount();
    for (int i = 1; i <= n; ++i) {
        server.GroupIndex(i);
        std::wstring key = server.GroupKey();
        const std::wstring name = server.GroupName();
        // Both read before either is added: a failed read leaves them aligned.
        ComboAdd(c_.cmbGroupName, name);
        selection_.GroupKeys->push_back(std::move(key));
    }
    if (ComboCount(c_.cmbGroupName) > 0)
        ComboSelect(c_.cmbGroupName, 0);
}

void TSelectionBox::cmbGroupNameChange()
{
    const int group = ComboIndex(c_.cmbGroupName);
    if (group < 0)
        return;
    SelectVehicle(-1, true);
    if (!selection_.SyncingFromServer)
        RequestTrips();
    ShowLastPoints();
    FillVehicles(group);
}

void TSelectionBox::SelectVehicle(int index, bool clear)
{
    // The three combos stay index-aligned.
    for (HWND combo : {c_.cmbCarName, c_.cmbCarNum, c_.cmbCarDevice}) {
        if (clear)
            ComboClear(combo);
        ComboSelect(combo, index);
    }
}

void TSelectionBox::FillVehicles(int group)
{
    TKarvexAutomation &server = link_.Server();
    server.SelectGroup(SelectedGroupKey(group));
    const int n = server.CarsCount();
    for (int i = 1; i <= n; ++i) {
        server.CarIndex(i);
        const std::wstring name = server.CarName();
        const std::wstring number = server.CarNumber();
        const int device = server.CarDevice();
        // All three read first, so that the combos stay index-aligned.
        ComboAdd(c_.cmbCarName, name);
        ComboAdd(c_.cmbCarNum, number);
        ComboAdd(c_.cmbCarDevice, std::to_wstring(device));
    }
}

void TSelectionBox::cmbChange(HWND sender)
{
    SelectVehicle(ComboIndex(sender));
    if (!selection_.ComputeRequested)
        RequestTrips();
}

void TSelectionBox::DateTimeChange(HWND /*sender*/)
{
    if (!selection_.ComputeRequested)
        RequestTrips();
}

void TSelectionBox::RequestTrips()
{
    AskForTrips(false);
}

void TSelectionBox::AskForTrips(bool keepShownTrip)
{
    // Nothing to compute for: no group chosen (a dispatcher without groups).
    const int group = ComboIndex(c_.cmbGroupName);
    if (group < 0)
        return;
    const std::wstring key = SelectedGroupKey(group);
    const double begin = kx::CombineDateTime(PickerValue(c_.DateBegin), PickerValue(c_.TimeBegin));
    const double end = kx::CombineDateTime(PickerValue(c_.DateEnd), PickerValue(c_.TimeEnd));
    TKarvexAutomation &server = link_.Server();
    std::int32_t device = 0;
    try {
        device = kx::DeviceFromComboText(kx::ToUtf8(WindowText(c_.cmbCarDevice)));
    } catch (const kx::Error &e) {
        throw EPanelError(kx::ToWide(e.what()), E_INVALIDARG);
    }
    selection_.ComputeRequested = true;
    selection_.KeepShownTrip = keepShownTrip;
    try {
        server.ComputeTrips(key, device, kx::ToWide(kx::FormatFixedDateTime(begin)), kx::ToWide(kx::FormatFixedDateTime(end)),
                            L"GSM", 1);
    } catch (...) {
        // No computation runs, so no end event will clear the flag: without
        // this the panel would never ask again.
        selection_.ComputeRequested = false;
        selection_.KeepShownTrip = false;
        throw;
    }
    if (keepShownTrip)
        return;  // the list stays until the same trips come back
    ComboSelect(c_.cmbInfoPoints, -1);
    ListClear(c_.ListView1);
}

void TSelectionBox::ShowLastPoints()
{
    if (ComboIndex(c_.cmbCarDevice) >= 0)
        return;
    ListClear(c_.ListView1);
    ComboSelect(c_.cmbInfoPoints, 0);
    SetText(c_.lblTripNum, L"N/A");
    actions_.StopPlayer();

    // Online data arrives every minute even for a dispatcher without groups.
    const int group = ComboIndex(c_.cmbGroupName);
    if (group < 0)
        return;
    TKarvexAutomation &server = link_.Server();
    server.SelectGroup(SelectedGroupKey(group));
    const int n = server.CarsCount();
    try {
        lastPoints_.Vehicles.assign(static_cast<size_t>(n), TPlaceOnMap{TMapPointArray(1), std::wstring()});
    } catch (const std::bad_alloc &) {
        throw EPanelError(L"ПО Карвекс сообщило о " + std::to_wstring(n) + L" ТС в группе: столько не разместить",
                          E_OUTOFMEMORY);
    }
    actions_.HideTrack();
    actions_.HideMapPoints();
    // The vehicles' list holds the last points (and the marker, which the
    // player's stop has cleared).
    if (layer_)
        layer_->Shapes().Vehicles.clear();
    const TGeoToMap toMap(map_, factory_);
    for (int i = 1; i <= n; ++i) {
        server.CarIndex(i);
        lastPoints_.Index = i - 1;
        const double x = server.CarLastLongitude();
        const double y = server.CarLastLatitude();
        // Both <= 0: the dispatcher does not know where the vehicle is. Values
        // that are no geographic position at all are treated the same.
        if (!(x > 0 || y > 0) || !kx::HasKnownPosition(x, y))
            continue;
        const std::optional<TMapPoint> point = toMap(x, y);
        if (!point)
            throw EPanelError(L"Карта не переводит географические координаты в свои", E_NOINTERFACE);
        const std::wstring name = server.CarName();
        const std::wstring number = server.CarNumber();
        const int device = server.CarDevice();
        const std::wstring lastTime = server.CarLastTime();
        TPlaceOnMap &vehicle = lastPoints_.Vehicles[static_cast<size_t>(i) - 1];
        vehicle.Points[0] = *point;
        // Names and numbers are the dispatcher's texts: escaped for the balloon.
        vehicle.Text = kx::ToWide(kx::LastPointBalloonText(kx::ToUtf8(name), kx::ToUtf8(number), device, kx::ToUtf8(lastTime)));
        if (layer_)
            layer_->BuildShapes(TLayer::BuildLastPoint);
    }
    if (map_)
        map_->Invalidate(VARIANT_TRUE);
}

void TSelectionBox::SyncSelectionFromServer()
{
    selection_.SyncingFromServer = true;
    TKarvexAutomation &server = link_.Server();

    server.SelectGroup(server.ServerGroupKey());
    server.PropertyName(L"Group_Name");
    const std::wstring groupName = server.PropertyValue();
    for (int i = 0; i < ComboCount(c_.cmbGroupName); ++i)
        if (ComboItemText(c_.cmbGroupName, i) == groupName) {
            ComboSelect(c_.cmbGroupName, i);
            cmbGroupNameChange();
        }

    server.SelectServerCar(server.ServerCar());
    server.PropertyName(L"Car_Device");
    const std::string device = kx::ToUtf8(server.PropertyValue());
    for (int i = 0; i < ComboCount(c_.cmbCarDevice); ++i) {
        bool same = false;
        try {
            same = kx::SameDevice(kx::ToUtf8(ComboItemText(c_.cmbCarDevice, i)), device);
        } catch (const kx::Error &e) {
            throw EPanelError(kx::ToWide(e.what()), DISP_E_TYPEMISMATCH);
        }
        if (same) {
            ComboSelect(c_.cmbCarDevice, i);
            selection_.ComputeRequested = true;
            cmbChange(c_.cmbCarDevice);
        }
    }
}

void TSelectionBox::OnEndComputing()
{
    if (selection_.SkipNextEndComputing) {
        selection_.SkipNextEndComputing = false;
        return;
    }
    // Events come from a client; one without operations has nothing to list.
    if (!link_.HasServer())
        return;
    // Run after the work in hand, an end can belong to a computation that a
    // request made meanwhile has replaced (the restore asks twice): while the
    // dispatcher computes again, that request's own end is still to come.
    if (link_.Server().ComputeStatus() == 1)
        return;
    try {
        if (!selection_.ComputeRequested)
            SyncSelectionFromServer();
        selection_.ComputeRequested = false;
        if (std::exchange(selection_.KeepShownTrip, false)) {
            actions_.RelistTrips();
            selection_.SyncingFromServer = false;
            return;
        }
        actions_.ListComputedTrips();
        actions_.RefreshMapObjects();
        selection_.SyncingFromServer = false;
    } catch (...) {
        // The computation has ended whatever went wrong here: a flag left set
        // would keep every later change from asking for a new one.
        selection_.SyncingFromServer = false;
        selection_.ComputeRequested = false;
        selection_.KeepShownTrip = false;
        throw;
    }
}

// The saved group, vehicle and period, and the trips they stand for. Any
// failure ends the block quietly: an index past the lists or a dispatcher
// that fails here must not keep the rest of the settings from the panel.
void TSelectionBox::RestoreSelection(const TSavedSelection &r)
{
    try {
        if (!r.groupId)
            return;
        ComboSelect(c_.cmbGroupName, *r.groupId);  // an index past the list selects none
        cmbGroupNameChange();
        selection_.ComputeRequested = true;  // the picker and vehicle changes below ask for nothing
        if (ComboIndex(c_.cmbGroupName) >= 0) {
            if (!r.carId)
                return;
            ComboSelect(c_.cmbCarDevice, *r.carId);
        }
        if (!r.begin)
            return;
        SetPickerValue(c_.DateBegin, kx::DateOf(*r.begin));
        SetPickerValue(c_.TimeBegin, *r.begin);
        if (!r.end)
            return;
        SetPickerValue(c_.DateEnd, kx::DateOf(*r.end));
        SetPickerValue(c_.TimeEnd, *r.end);
        selection_.ComputeRequested = false;
        if (ComboIndex(c_.cmbCarDevice) >= 0)
            cmbChange(c_.cmbCarDevice);
    } catch (...) {
        // Ignored by design; the flag keeps the value it had.
    }
}

TShownSelection TSelectionBox::Shown() const
{
    return {ComboIndex(c_.cmbGroupName), ComboIndex(c_.cmbCarDevice)};
}

bool TSelectionBox::Rechoose(const TShownSelection &shown, bool askTrips)
{
    // What the old link was waiting for will not come from the new one.
    selection_.ComputeRequested = selection_.SyncingFromServer = selection_.SkipNextEndComputing = false;
    selection_.KeepShownTrip = false;
    FillGroups();
    if (shown.group < 0 || shown.group >= ComboCount(c_.cmbGroupName))
        return false;
    ComboSelect(c_.cmbGroupName, shown.group);
    SelectVehicle(-1, true);
    FillVehicles(shown.group);
    if (shown.vehicle < 0 || shown.vehicle >= ComboCount(c_.cmbCarDevice))
        return false;
    SelectVehicle(shown.vehicle);
    if (!askTrips)
        return false;
    AskForTrips(true);
    return true;
}

void TSelectionBox::OnReceiveOnlineData()
{
    selection_.SkipNextEndComputing = true;
    if (ComboIndex(c_.cmbCarDevice) < 0)
        ShowLastPoints();
}

void TSelectionBox::OnCloseKarvex()
{
    // Freed, not only forgotten: the client holds the proxy, the event sink
    // and the subscription. The client is built to be freed from inside its
    // own event.
    if (link_.Client) {
        std::unique_ptr<IDispatcherLink> client = std::move(link_.Client);
        link_.EventsOwner = nullptr;
        client.reset();
    }
    EnableWindow(c_.ListView1, FALSE);
}

