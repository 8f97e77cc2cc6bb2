#include "InfoPointListBox.h"

#include "DispatcherConnection.h"
#include "Karvex_TLB.h"
#include "SettingsValues.h"
#include "TripState.h"
#include "Seams.h"
#include "SelectionSupport.h"

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/infopoints.h"
#include "kx/text.h"

using namespace selection;

namespace {

constexpr int kValueColumn = 3;

}  // namespace

TInfoPointListBox::TInfoPointListBox(const TInfoPointListControls &controls, const TSettingsValues &settings,
                                     TTripState &trip, const TDispatcherConnection &link,
                                     TInfoPointListActions actions)
    : c_(controls), settings_(settings), trip_(trip), link_(link), actions_(std::move(actions))
{
}

void TInfoPointListBox::Attach(IMap *map, IGrymObjectFactory *factory, TLayer *layer)
{
    map_ = map;
    factory_ = factory;
    layer_ = layer;
}

void TInfoPointListBox::FillInfoPointCategories()
{
    ComboClear(c_.cmbInfoPoints);
    ComboAdd(c_.cmbInfoPoints, kx::ToWide(kx::kTripsListItem));
    SendMessageW(c_.cmbInfoPoints, CB_SETITEMDATA, 0, 0);
    for (int row = 1; row <= settings_.InfoPointCategoryCount(); ++row) {
        const kx::TInfoPoints &category = settings_.InfoPointCategories[static_cast<size_t>(row) - 1];
        if (!category.VisibleList)
            continue;
        ComboAdd(c_.cmbInfoPoints, kx::ToWide(category.name));
        SendMessageW(c_.cmbInfoPoints, CB_SETITEMDATA, ComboCount(c_.cmbInfoPoints) - 1, row);
    }
    ComboSelect(c_.cmbInfoPoints, 0);
    cmbInfoPointsChange();
}

int TInfoPointListBox::ShownCategory() const
{
    const int item = ComboIndex(c_.cmbInfoPoints);
    if (item < 0)
        return -1;
    const LRESULT row = SendMessageW(c_.cmbInfoPoints, CB_GETITEMDATA, item, 0);
    return row == CB_ERR ? -1 : static_cast<int>(row);
}

void TInfoPointListBox::cmbInfoPointsChange()
{
    const int row = ShownCategory();
    // Without a client (its creation failed) there are no trips to list.
    if (row < 0 || !link_.HasServer())
        return;
    if (link_.Server().TripsCount() < 1)
        return;
    if (row == 0) {
        FillTrips();
        return;
    }
    ListEntries(row);
}

long long TInfoPointListBox::MinimumSeconds() const
{
    const std::wstring text = WindowText(c_.txtCont);
    try {
        return kx::ParseThresholdText(kx::ToUtf8(text));
    } catch (const kx::Error &) {
        throw EPanelError(L"Продолжительность задаётся целым числом секунд, а не «" + text + L"»", E_INVALIDARG);
    }
}

void TInfoPointListBox::ListEntries(int row)
{
    if (row > settings_.InfoPointCategoryCount())
        throw EPanelError(L"Нет категории информационных точек №" + std::to_wstring(row), E_INVALIDARG);
    const kx::TInfoPoints &category = settings_.InfoPointCategories[static_cast<size_t>(row) - 1];
    const kx::EntryValue value = kx::EntryValueFor(category.query);
    const long long minimum = MinimumSeconds();

    TKarvexAutomation &server = link_.Server();
    server.TripIndex(trip_.CurrentTrip);
    ListClear(c_.ListView1);
    selection::SelectEntriesList(server, kx::ToWide(category.query));
    SetListColumnCaption(c_.ListView1, kValueColumn, kx::ToWide(kx::FourthColumnCaption(category.query)));

    // The filter holds for every category; the rows are numbered as listed,
    // so a row's number is not the dispatcher's entry number.
    const int n = server.TripEntriesCount();
    int listed = 0;
    for (int j = 1; j <= n; ++j) {
        server.TripEntryIndex(j);
        const std::wstring duration = server.TripEntryDuration();
        long long seconds = 0;
        try {
            seconds = kx::ParseDurationSeconds(kx::ToUtf8(duration));
        } catch (const kx::Error &) {
            throw EPanelError(L"ПО Карвекс передало неверную продолжительность записи " + std::to_wstring(j) +
                                  L": «" + duration + L"»",
                              DISP_E_TYPEMISMATCH);
        }
        if (seconds < minimum)
            continue;
        const std::wstring begin = server.TripEntryBegin();
        const std::wstring end = server.TripEntryEnd();
        const std::wstring shown = EntryValueText(value, ReadEntryValues(server, value, duration), false);
        ListAddRow(c_.ListView1, {std::to_wstring(++listed), begin, end, shown});
    }
}

void TInfoPointListBox::txtContKeyPress(wchar_t &key)
{
    const bool digit = key >= L'0' && key <= L'9';
    if (!kx::ThresholdKeyAllowed(static_cast<char16_t>(key)))
        key = 0;
    // A digit typed into an empty box is the new text by itself; "0" put in
    // first would stand after it.
    if (!digit && GetWindowTextLengthW(c_.txtCont) == 0)
        SetText(c_.txtCont, L"0");
}

void TInfoPointListBox::txtContChange()
{
    if (GetWindowTextLengthW(c_.txtCont) == 0) {
        // Setting the text raises this handler again, which refills the list.
        SetText(c_.txtCont, L"0");
        SendMessageW(c_.txtCont, EM_SETSEL, 0, -1);
        return;
    }
    if (ShownCategory() > 0)
        cmbInfoPointsChange();
}
