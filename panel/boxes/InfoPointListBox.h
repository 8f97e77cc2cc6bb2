// The box "Информационные точки": the category combo cmbInfoPoints switches
// the shared list ListView1 between the trips of the period and the entries
// of one category of the current trip, filtered by the minimum duration in
// txtCont (its up-down UpDown2 steps the text, which raises txtContChange).
//
// The form makes one for each handler call: it holds no state of its own.
// The controls are the form's; the category table (the settings values) and
// the current trip (the trip's part) are the panel state's, which this box
// only reads; listing the trips is the form's.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct TSettingsValues;
struct TTripState;

struct TInfoPointListControls {
    HWND cmbInfoPoints = nullptr;
    HWND ListView1 = nullptr;
    HWND txtCont = nullptr;
};

class TInfoPointListBox {
public:
    TInfoPointListBox(const TInfoPointListControls &controls, const TSettingsValues &settings,
                      const TTripState &trip, std::function<void()> fillTrips);

    // Rebuilds the combo: "Список рейсов", then every row offered in the
    // list; selects the trips and lists them.
    void FillInfoPointCategories();
    // Lists the trips (item 0) or the chosen category's entries.
    void cmbInfoPointsChange();
    // Digits and backspace only; a key other than a digit turns an empty
    // box into "0".
    void txtContKeyPress(wchar_t &key);
    // An emptied box shows "0" (selected, so that the next digit replaces
    // it); a changed minimum refills a category's list.
    void txtContChange();

    // The category row (1-based) shown, 0 for the trips, -1 with nothing chosen.
    int ShownCategory() const;
    // The minimum duration in seconds typed in txtCont; a clear error for
    // anything but a whole number.
    long long MinimumSeconds() const;

private:
    void ListEntries(int row);

    TInfoPointListControls c_;
    const TSettingsValues &settings_;
    const TTripState &trip_;
    std::function<void()> fillTrips_;
};
