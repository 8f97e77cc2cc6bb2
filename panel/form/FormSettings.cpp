// The settings file at start-up and shut-down: its values moved between
// TSettingsFile's plain structures and the panel's controls and state.
#include "KXActiveXForm.h"

#include "PanelState.h"
#include "../boxes/PlayerBox.h"
#include "SelectionSupport.h"
#include "SettingsFile.h"

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/infopoints.h"
#include "kx/player.h"
#include "kx/text.h"

namespace {

using namespace selection;


void ReadSettings(TKXActiveXForm &form, const TSettingsFile &file)
{
    TPanelState &data = form.State();
    data.Settings.SettingsRead = true;
    const TSettingsRead r = file.Read();
    if (r.absent)
        return;
    data.Settings.ReportPlace = r.reportPlace;

    // Each value that was read reaches the panel, in the file's order; the
    // first bad one ends the read and is reported after them.
    using Step = TSettingsStep;
    if (r.Reached(Step::LoadKT))
        data.Settings.LoadKT = r.values.loadKT;
    if (r.Reached(Step::LoadIT))
        form.SetToolButtonDown(TMapTool::InfoPoints, r.values.loadIT);
    if (r.Reached(Step::IconNum))
        form.State().Settings.IconNum = r.values.iconNum;
    if (r.Reached(Step::Restore))
        form.RestoreSelection(r.restore);
    if (r.Reached(Step::Speed))
        form.Player->SetSpeedText(kx::ToWide(r.values.speed));  // 0 and below play at 1x
    if (r.Reached(Step::Stops))
        form.SetToolButtonDown(TMapTool::SkipStops, r.values.stops);
    if (r.Reached(Step::Cont)) {
        SetText(form.Controls().txtCont, kx::ToWide(r.values.cont));
        form.SetToolButtonDown(TMapTool::Checkpoints, data.Settings.LoadKT);
    }
    if (r.TableCounted()) {
        data.Settings.InfoPointCategories = r.values.categories;
        data.Settings.InfoPointCategoriesRead = r.stoppedAt == Step::Done;
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
    const TPanelState &data = form.State();
    // A panel that never started holds its layout's defaults, not the user's
    // settings: writing them would wipe the file.
    if (!data.Settings.SettingsRead)
        return;
    kx::SettingsValues v;
    v.loadKT = data.Settings.LoadKT;
    v.loadIT = form.ToolButtonDown(TMapTool::InfoPoints);
    v.groupId = ComboIndex(form.Controls().cmbGroupName);
    v.iconNum = form.State().Settings.IconNum;
    v.carId = ComboIndex(form.Controls().cmbCarDevice);
    v.begin = kx::CombineDateTime(PickerValue(form.Controls().DateBegin), PickerValue(form.Controls().TimeBegin));
    v.end = kx::CombineDateTime(PickerValue(form.Controls().DateEnd), PickerValue(form.Controls().TimeEnd));
    v.speed = kx::ToUtf8(TKXActiveXForm::Text(form.Controls().cmbSpeed));
    v.stops = form.ToolButtonDown(TMapTool::SkipStops);
    v.cont = kx::ToUtf8(TKXActiveXForm::Text(form.Controls().txtCont));
    v.categories = data.Settings.InfoPointCategories;
    v.reportPlace = data.Settings.ReportPlace;
    file.Write(v, !data.Settings.InfoPointCategoriesRead);
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
