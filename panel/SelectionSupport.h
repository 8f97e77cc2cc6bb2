// Small helpers shared by the selection and trip handlers: text conversions, the combo, list and picker controls, and the
// server's date texts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "kx/infopoints.h"

#include "kx/datetime.h"

class TKarvexAutomation;

namespace selection {

int ComboCount(HWND combo);
int ComboIndex(HWND combo);  // -1: nothing selected
std::wstring ComboItemText(HWND combo, int index);
void ComboSelect(HWND combo, int index);  // an index past the list selects none
void ComboAdd(HWND combo, const std::wstring &text);
void ComboClear(HWND combo);  // items and text

// A check button of a tool bar, by its command id.
bool ToolButtonDown(HWND toolBar, UINT button);
void SetToolButtonDown(HWND toolBar, UINT button, bool down);

int ListRows(HWND list);
int ListSelectedRow(HWND list);  // -1: none
void ListSelectRow(HWND list, int row);
void ListClear(HWND list);
std::wstring ListCellText(HWND list, int row, int column);
std::wstring ListColumnCaption(HWND list, int column);
void SetListColumnCaption(HWND list, int column, const std::wstring &caption);
// Appends a row: the first cell is its caption, the others its sub-items.
void ListAddRow(HWND list, const std::vector<std::wstring> &cells);

void SetText(HWND control, const std::wstring &text);
std::wstring WindowText(HWND control);

// The picker's value as a date-time (days since 30.12.1899).
double PickerValue(HWND picker);
// Sets it, without the change notification; a clear error for a date the
// picker cannot show.
void SetPickerValue(HWND picker, double value);

// The user's regional settings, read on each call: the date and time
// patterns, the decimal separator (one character; "." otherwise), and a
// date-time as the panel shows it (short date, a blank, long time).
kx::LocaleDateFormat UserDateFormat();
char UserDecimalSeparator();
std::wstring DisplayDateTime(double value);

// A date-time text of the dispatcher, read with the user's short date and
// time formats (the dispatcher writes them so), or in the fixed
// "dd.mm.yyyy hh:mm:ss" form; a clear error for anything else.
double ParseServerDateTime(const std::wstring &text);


// The numbers of the current entry that a category shows (speed, or one
// tank's levels), read from the dispatcher; the duration text is given.
kx::EntryValues ReadEntryValues(TKarvexAutomation &server, kx::EntryValue value, const std::wstring &duration);
// An entry's value as the list or the map shows it: the duration text as
// the dispatcher wrote it, numbers with the user's decimal separator.
std::wstring EntryValueText(kx::EntryValue value, const kx::EntryValues &v, bool forMap);

// Selects the dispatcher's entries list of the current trip for a category
// query: "tank-num1" sends the type "tank" and the kind "num1"; a query
// without "-" sends only the type, and the dispatcher keeps the kind.
void SelectEntriesList(TKarvexAutomation &server, const std::wstring &query);

// The query of an info point category row (1-based), from the panel's table
// or, before the settings filled it, the default table.
std::wstring CategoryQuery(const std::vector<kx::TInfoPoints> &categories, int row);

}  // namespace selection

// How long the last track load took in its three parts, for the figures the
// benchmarks print; the panel itself does not read them.
struct TTrackLoadTimes {
    int points = 0;
    double transferMs = 0;    // the array from the dispatcher, checked
    double conversionMs = 0;  // every point to map coordinates
    double indexMs = 0;       // the segment index of the search from the track line
    double shapesMs = 0;      // the layer's track shapes
};
TTrackLoadTimes &LastTrackLoadTimes();
