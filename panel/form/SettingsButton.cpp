// The settings tool button: the dialog edits the category table and the
// vehicle icon; whichever button closed it, the panel then shows what may
// have changed.
#include "KXActiveXForm.h"

#include "Module.h"
#include "PanelState.h"
#include "Pictures.h"
#include "SelectionSupport.h"
#include "SettingsDialog.h"

void TKXActiveXForm::btnSettingsClick()
{
    // Modal to the shell's window, which holds the docked panel. Closed, the
    // dialog is hidden; its window goes when the panel has caught up.
    TFormSettings dialog(GetAncestor(hwnd_, GA_ROOT), state_->Settings.InfoPointCategories,
                         state_->Settings.IconNum, [](const kx::TDisplayScale &scale) {
                             return LoadPictureStrip(ModuleInstance(), L"IconsList", 48, scale);
                         });
    dialog.Show();
    RunModal(L"TFormSettings", [&] { return dialog.RunModalLoop(); });
    dialog.RethrowFailure();
    // What follows asks the dispatcher: the way back to it if it went.
    WithDispatcher(TLinkUse::Ask, [this] {
        // The group overview shows the chosen icon.
        if (selection::ComboIndex(c_.cmbGroupName) >= 0 && selection::ComboIndex(c_.cmbCarDevice) < 0)
            ShowLastPoints();
        FillInfoPointCategories();
        if (ToolButtonDown(TMapTool::Checkpoints))
            ShowCheckpoints();
        if (ToolButtonDown(TMapTool::InfoPoints))
            ShowInfoPoints();
    });
}
