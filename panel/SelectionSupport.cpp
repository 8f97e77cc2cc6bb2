// The helpers of SelectionSupport.h: the combo, list
// and picker controls, the user's and the server's date texts.
#include "SelectionSupport.h"

#include <commctrl.h>

#include <new>

#include "Karvex_TLB.h"
#include "Seams.h"

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/infopoints.h"
#include "kx/selection.h"
#include "kx/text.h"

namespace selection {

int ComboCount(HWND combo)
{
    const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    return n > 0 ? static_cast<int>(n) : 0;
}

int ComboIndex(HWND combo)
{
    const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return i >= 0 ? static_cast<int>(i) : -1;
}

std::wstring ComboItemText(HWND combo, int index)
{
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return L"";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT n = SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

void ComboSelect(HWND combo, int index)
{
    // An index past the list selects none, as on Windows; Wine's combo box
    // would keep the old selection.
    if (index < 0 || index >= ComboCount(combo))
        index = -1;
    SendMessageW(combo, CB_SETCURSEL, index, 0);
}

void ComboAdd(HWND combo, const std::wstring &text)
{
    const LRESULT r = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (r == CB_ERR || r == CB_ERRSPACE)
        throw EPanelError(L"Не удалось добавить строку в список", E_OUTOFMEMORY);
}

void ComboClear(HWND combo)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
}

int ListRows(HWND list)
{
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

int ListSelectedRow(HWND list)
{
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListSelectRow(HWND list, int row)
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (row < 0 || row >= ListRows(list))
        return;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

bool ToolButtonDown(HWND toolBar, UINT button)
{
    return SendMessageW(toolBar, TB_ISBUTTONCHECKED, button, 0) != 0;
}

void SetToolButtonDown(HWND toolBar, UINT button, bool down)
{
    SendMessageW(toolBar, TB_CHECKBUTTON, button, MAKELPARAM(down ? TRUE : FALSE, 0));
}

void ListClear(HWND list)
{
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

std::wstring ListCellText(HWND list, int row, int column)
{
    wchar_t buffer[512] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

std::wstring ListColumnCaption(HWND list, int column)
{
    wchar_t buffer[128] = L"";
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buffer;
    col.cchTextMax = 128;
    SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
    return buffer;
}

void SetListColumnCaption(HWND list, int column, const std::wstring &caption)
{
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<LPWSTR>(caption.c_str());
    SendMessageW(list, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
}

void ListAddRow(HWND list, const std::vector<std::wstring> &cells)
{
    if (cells.empty())
        return;
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ListRows(list);
    item.pszText = const_cast<LPWSTR>(cells[0].c_str());
    const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        throw EPanelError(L"Не удалось добавить строку в список", E_OUTOFMEMORY);
    for (size_t column = 1; column < cells.size(); ++column) {
        LVITEMW sub{};
        sub.iSubItem = static_cast<int>(column);
        sub.pszText = const_cast<LPWSTR>(cells[column].c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    }
}

void SetText(HWND control, const std::wstring &text)
{
    SetWindowTextW(control, text.c_str());
}

std::wstring WindowText(HWND control)
{
    int n = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(control, &text[0], n + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

double PickerValue(HWND picker)
{
    SYSTEMTIME st{};
    if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
        throw EPanelError(L"Дата периода не задана", E_INVALIDARG);
    try {
        return kx::EncodeDate(st.wYear, st.wMonth, st.wDay) + kx::EncodeTime(st.wHour, st.wMinute, st.wSecond);
    } catch (const kx::Error &e) {
        throw EPanelError(kx::ToWide(e.what()), E_INVALIDARG);
    }
}

void SetPickerValue(HWND picker, double value)
{
    try {
        const kx::CivilDateTime c = kx::DecodeDateTime(value);
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(c.year);
        st.wMonth = static_cast<WORD>(c.month);
        st.wDay = static_cast<WORD>(c.day);
        st.wHour = static_cast<WORD>(c.hour);
        st.wMinute = static_cast<WORD>(c.minute);
        st.wSecond = static_cast<WORD>(c.second);
        if (SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)))
            return;
    } catch (const kx::Error &) {
    }
    throw EPanelError(L"Дата вне допустимого диапазона", E_INVALIDARG);
}

namespace {

std::string LocaleText(LCTYPE what, const char *fallback)
{
    wchar_t buffer[100] = L"";
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, what, buffer, 100) || !buffer[0])
        return fallback;
    return kx::ToUtf8(buffer);
}

// A number text with a "." separator, given the user's separator.
std::wstring WithLocaleSeparator(const std::string &number)
{
    // Read each time, as the dates are: the user may change the settings.
    wchar_t separator[8] = L"";
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) || !separator[0])
        wcscpy(separator, L".");
    std::wstring text = kx::ToWide(number);
    const size_t dot = text.find(L'.');
    if (dot != std::wstring::npos)
        text.replace(dot, 1, separator);
    return text;
}

}  // namespace

kx::LocaleDateFormat UserDateFormat()
{
    kx::LocaleDateFormat format;
    format.shortDate = LocaleText(LOCALE_SSHORTDATE, "dd.MM.yyyy");
    format.longTime = LocaleText(LOCALE_STIMEFORMAT, "H:mm:ss");
    format.am = LocaleText(LOCALE_S1159, "AM");
    format.pm = LocaleText(LOCALE_S2359, "PM");
    return format;
}

char UserDecimalSeparator()
{
    const std::string separator = LocaleText(LOCALE_SDECIMAL, ".");
    return separator.size() == 1 ? separator[0] : '.';
}

std::wstring DisplayDateTime(double value)
{
    return kx::ToWide(kx::FormatDisplayDateTime(value, UserDateFormat()));
}

double ParseServerDateTime(const std::wstring &text)
{
    // Read each time: the user may change the regional settings while the
    // shell runs, and the dispatcher follows them.
    const kx::LocaleDateFormat format = UserDateFormat();
    const std::string utf8 = kx::ToUtf8(text);
    try {
        return kx::ParseLocaleDateTime(utf8, format);
    } catch (const kx::Error &) {
    }
    try {
        return kx::ParseFixedDateTime(utf8);
    } catch (const kx::Error &) {
    }
    throw EPanelError(L"Неверная дата от ПО Карвекс: «" + text + L"»", DISP_E_TYPEMISMATCH);
}

kx::EntryValues ReadEntryValues(TKarvexAutomation &server, kx::EntryValue value, const std::wstring &duration)
{
    kx::EntryValues v;
    v.duration = kx::ToUtf8(duration);
    switch (value) {
    case kx::EntryValue::Speed: v.speed = server.TripEntrySpeed(); break;
    case kx::EntryValue::Tank1:
        v.tank1Begin = server.TripEntryTank1Begin();
        v.tank1End = server.TripEntryTank1End();
        break;
    case kx::EntryValue::Tank2:
        v.tank2Begin = server.TripEntryTank2Begin();
        v.tank2End = server.TripEntryTank2End();
        break;
    default: break;
    }
    return v;
}

std::wstring EntryValueText(kx::EntryValue value, const kx::EntryValues &v, bool forMap)
{
    const std::string text = forMap ? kx::EntryMapText(value, v) : kx::EntryListValue(value, v);
    return value == kx::EntryValue::Duration ? kx::ToWide(text) : WithLocaleSeparator(text);
}

void SelectEntriesList(TKarvexAutomation &server, const std::wstring &query)
{
    const kx::EntriesQuery q = kx::SplitQuery(kx::ToUtf8(query));
    server.TripEntriesListTypeName(kx::ToWide(q.type));
    if (q.hasKind)
        server.TripEntriesListKindName(kx::ToWide(q.kind));
}

std::wstring CategoryQuery(const std::vector<kx::TInfoPoints> &categories, int row)
{
    const std::vector<kx::TInfoPoints> table = categories.empty() ? kx::DefaultInfoPointCategories() : categories;
    if (row < 1 || row > static_cast<int>(table.size()))
        throw EPanelError(L"Нет категории информационных точек №" + std::to_wstring(row), E_INVALIDARG);
    return kx::ToWide(table[static_cast<size_t>(row) - 1].query);
}

}  // namespace selection

