#include "Text.h"

#include "kxfleet/Fleet.h"

#include <oleauto.h>

namespace kxd {

std::wstring Wide(const std::string &utf8)
{
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

std::string Utf8(const std::wstring &wide)
{
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring FormatDateTimeText(double oleDate)
{
    const kxfleet::CivilTime c = kxfleet::SplitDateTime(oleDate);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(c.year);
    st.wMonth = static_cast<WORD>(c.month);
    st.wDay = static_cast<WORD>(c.day);
    st.wHour = static_cast<WORD>(c.hour);
    st.wMinute = static_cast<WORD>(c.minute);
    st.wSecond = static_cast<WORD>(c.second);
    wchar_t date[80] = L"", time[40] = L"";
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 80))
        return Wide(kxfleet::FormatDotDateTime(oleDate));
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, L"HH':'mm':'ss", time, 40);
    return std::wstring(date) + L" " + time;
}

bool ParseDateTimeText(const std::wstring &text, double &out)
{
    if (kxfleet::ParseDotDateTime(Utf8(text), out)) return true;
    if (text.empty()) return false;
    DATE d = 0;
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    const HRESULT hr = VarDateFromStr(b, LOCALE_USER_DEFAULT, 0, &d);
    SysFreeString(b);
    if (FAILED(hr)) return false;
    out = d;
    return true;
}

}  // namespace kxd
