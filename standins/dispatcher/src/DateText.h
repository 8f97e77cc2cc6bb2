// The date forms the stand-in dispatcher serves and accepts. Every date text
// the dispatcher gives is made here.
#pragma once

#include <windows.h>

#include <string>

namespace kxd {

// The machine's short date form, a blank and "hh:mm:ss".
std::wstring FormatDateTimeText(double oleDate);
// "dd.mm.yyyy hh:mm:ss" first, then the machine's own form; false when
// neither reads.
bool ParseDateTimeText(const std::wstring &text, double &out);

}  // namespace kxd
