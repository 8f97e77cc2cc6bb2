// The settings file at start-up and shut-down: its values moved between
// TSettingsFile's plain structures and the panel's controls and state.
#include "KXActiveXForm.h"

#include "PanelState.h"
#include "SelectionSupport.h"
#include "SettingsFile.h"

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/infopoints.h"
#include "kx/player.h"
#include "kx/text.h"

namespace {

using namespace selection;

// The speed as the player takes it (0 and below play at 1x) and as the
// speed box shows it.
void ApplyPlaySpeed(TKXActiveXForm &form, const std::string &text)
{
    PanelState().PlaySpeed = kx::ParseSpeedText(text);
    SetText(form.cmbSpeed, kx::ToWide(kx::SpeedText(PanelState().PlaySpeed)));
}

// The saved group, vehicle and period, and the trips they stand for. Any
// failure ends the block quietly: an index past the lists or a dispatcher
// that fails here must not keep the rest of the settings from the panel.
void RestoreSelection(TKXActiveXForm &form, const TSettingsRead &read)
{
    TPanelState &data = PanelState();
    try {
        const auto &r = read.restore;
        if (!r.groupId)
            return;
        ComboSelect(form.cmbGroupName, *r.groupId);  // an index past the list selects none
        form.cmbGroupNameChange();
        data.ComputeRequested = true;  // the picker and vehicle changes below ask for nothing
        if (ComboIndex(form.cmbGroupName) >= 0) {
            if (!r.carId)
                return;
            ComboSelect(form.cmbCarDevice, *r.carId);
        }
        if (!r.begin)
            return;
        SetPickerValue(form.DateBegin, kx::DateOf(*r.begin));
        SetPickerValue(form.TimeBegin, *r.begin);
        if (!r.end)
            return;
        SetPickerValue(form.DateEnd, kx::DateOf(*r.end));
        SetPickerValue(form.TimeEnd, *r.end);
        data.ComputeRequested = false;
        if (ComboIndex(form.cmbCarDevice) >= 0)
            form.cmbChange(form.cmbCarDevice);
    } catch (...) {
        // Ignored by design; the flag keeps the value it had.
    }
}

void ReadSettings(TKXActiveXForm &form, const TSettingsFile &file)
{
    TPanelState &data = PanelState();
    data.SettingsRead = true;
    const TSettingsRead r = file.Read();
    if (r.absent)
        return;

    // Each value that was read reaches the panel, in the file's order; the
    // first bad one ends the read and is reported after them.
    using Step = TSettingsStep;
    if (r.Reached(Step::LoadKT))
        data.LoadKT = r.values.loadKT;
    if (r.Reached(Step::LoadIT))
        form.SetToolButtonDown(TKXActiveXForm::ToolButton2, r.values.loadIT);
    if (r.Reached(Step::IconNum))
        form.IconNum = r.values.iconNum;
    if (r.Reached(Step::Restore))
        RestoreSelection(form, r);
    if (r.Reached(Step::Speed))
        ApplyPlaySpeed(form, r.values.speed);
    if (r.Reached(Step::Stops))
        form.SetToolButtonDown(TKXActiveXForm::ToolButton3, r.values.stops);
    if (r.Reached(Step::Cont)) {
        SetText(form.txtCont, kx::ToWide(r.values.cont));
        form.SetToolButtonDown(TKXActiveXForm::ToolButton1, data.LoadKT);
    }
    if (r.TableCounted()) {
        data.InfoPointCategories = r.values.categories;
        data.InfoPointCategoriesRead = r.stoppedAt == Step::Done;
        // Menu items of rows 2 on show whether the row's points are drawn.
        for (int row = 2; row <= r.rowsRead; ++row) {
            TMenuItem *item = form.FindMenuItem(L"mnu" + std::to_wstring(row));
            if (!item)
                continue;
            const bool shown = r.values.categories[static_cast<size_t>(row - 1)].VisibleIcon;
            form.SetMenuItemChecked(*item, shown);
            form.SetMenuItemImage(*item, kx::MenuImageIndex(row, shown));
        }
    }
    if (!r.error.empty())
        throw EPanelError(kx::ToWide(r.error), E_INVALIDARG);
}

void WriteSettings(TKXActiveXForm &form, const TSettingsFile &file)
{
    const TPanelState &data = PanelState();
    // A panel that never started holds its layout's defaults, not the user's
    // settings: writing them would wipe the file.
    if (!data.SettingsRead)
        return;
    kx::SettingsValues v;
    v.loadKT = data.LoadKT;
    v.loadIT = form.ToolButtonDown(TKXActiveXForm::ToolButton2);
    v.groupId = ComboIndex(form.cmbGroupName);
    v.iconNum = form.IconNum;
    v.carId = ComboIndex(form.cmbCarDevice);
    v.begin = kx::CombineDateTime(PickerValue(form.DateBegin), PickerValue(form.TimeBegin));
    v.end = kx::CombineDateTime(PickerValue(form.DateEnd), PickerValue(form.TimeEnd));
    v.speed = kx::ToUtf8(TKXActiveXForm::Text(form.cmbSpeed));
    v.stops = form.ToolButtonDown(TKXActiveXForm::ToolButton3);
    v.cont = kx::ToUtf8(TKXActiveXForm::Text(form.txtCont));
    v.categories = data.InfoPointCategories;
    file.Write(v, !data.InfoPointCategoriesRead);
}

}  // namespace

void TKXActiveXForm::ProcessSettings(int mode)
{
    try {
        const std::wstring path = SettingsPath();
        if (path.empty())
            return;
        const TSettingsFile file(path);
        if (mode == 1)
            WriteSettings(*this, file);
        else
            ReadSettings(*this, file);
    } catch (...) {
        ShowMessage(hwnd_, CurrentExceptionText(), L"", MB_OK);
    }
}
