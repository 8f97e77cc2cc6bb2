#include "DateText.h"
#include "Bstr.h"

#include "kx/text.h"
#include "kxfleet/Fleet.h"

#include <oleauto.h>

namespace kxd {

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
        return kx::ToWide(kxfleet::FormatDotDateTime(oleDate));
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, L"HH':'mm':'ss", time, 40);
    return std::wstring(date) + L" " + time;
}

bool ParseDateTimeText(const std::wstring &text, double &out)
{
    if (kxfleet::ParseDotDateTime(kx::ToUtf8(text), out)) return true;
    if (text.empty()) return false;
    DATE d = 0;
    const HRESULT hr = VarDateFromStr(Bstr(text).Get(), LOCALE_USER_DEFAULT, 0, &d);
    if (FAILED(hr)) return false;
    out = d;
    return true;
}

}  // namespace kxd
