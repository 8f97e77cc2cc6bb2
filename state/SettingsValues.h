// The user's settings the panel keeps outside its controls: whether the
// checkpoints are shown, the vehicles' icon, and the info point category
// table.
//
// Filled by the settings read at start-up (panel/form/FormSettings.cpp), which owns
// the part (start-up first sets IconNum to 0); afterwards the user changes
// single choices: the map tool bar sets LoadKT with its checkpoint button and
// a row's VisibleIcon from its menu, the settings button applies the
// dialog's VisibleList flags and icon, the report button the report
// window's place. Read by the info-point list, the map
// tool bar, the layer (the icon of the last points) and the write at
// shut-down.
#pragma once

#include <optional>
#include <vector>

#include "kx/infopoints.h"
#include "kx/settings.h"

struct TSettingsValues {
    bool LoadKT = false;  // checkpoints shown on the map (ToolButton1 down)
    // The vehicles' picture, "TSIcon_<IconNum>"; any number without one
    // (0, -1 for none chosen) shows the default car.
    int IconNum = 0;
    // The category table; the settings file replaces the default rows.
    std::vector<kx::TInfoPoints> InfoPointCategories = kx::DefaultInfoPointCategories();
    int InfoPointCategoryCount() const { return static_cast<int>(InfoPointCategories.size()); }
    // Where the trip's report window was last; the form's report button
    // keeps it as the window moves.
    std::optional<kx::WindowPlace> ReportPlace;

    // Until the read has run, the write at shut-down leaves the file alone
    // (a panel that never started holds only its layout's defaults); until
    // it has read the whole category table, the write keeps the file's own
    // categories.
    bool SettingsRead = false;
    bool InfoPointCategoriesRead = false;
};
