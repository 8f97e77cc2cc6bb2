#pragma once
// Date-times are day counts: day 0 is 30 December 1899, the time of day is
// the fraction. Values before day 0 keep a positive time of day in the
// magnitude of the fraction (-1.25 is 29 Dec 1899 06:00), as the platform does.
#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

using TDateTime = double;

constexpr std::int64_t kSecondsPerDay = 86400;

struct CivilDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Throw kx::Error for out-of-range fields (years 1..9999).
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
TDateTime EncodeDateTime(const CivilDateTime& c);
// Rounds to the millisecond; throws for non-finite or out-of-range values.
CivilDateTime DecodeDateTime(TDateTime value);

TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
// The date part of one value with the time of day of another (picker pairs).
TDateTime CombineDateTime(TDateTime date, TDateTime timeOfDay);

// Nearest integer, halves to even; throws for NaN/inf or beyond int64.
std::int64_t RoundHalfEven(double value);
// Whole seconds of a day count: x 86400, halves to even.
std::int64_t DaysToWholeSeconds(double days);
// True when both values show the same text to the second.
bool SameWholeSecond(TDateTime a, TDateTime b);

// "dd.mm.yyyy hh:mm:ss": the form sent to the tracking server and stored in
// the settings file.
std::string FormatFixedDateTime(TDateTime value);
// Strict reverse of FormatFixedDateTime; throws kx::Error naming the text.
TDateTime ParseFixedDateTime(std::string_view text);

// The user's locale: short date pattern and long time pattern in the
// platform's notation (d, dd, M, MM, yy, yyyy; H, HH 24-hour, h, hh 12-hour,
// m, mm, s, ss, tt). In a date pattern "m"/"mm" also mean the month.
struct LocaleDateFormat {
    std::string shortDate;
    std::string longTime;
    std::string am = "AM";
    std::string pm = "PM";

    static LocaleDateFormat Russian();    // "dd.MM.yyyy", "H:mm:ss"
    static LocaleDateFormat EnglishUs();  // "M/d/yyyy", "h:mm:ss tt"
};

std::string FormatDate(TDateTime value, const LocaleDateFormat& fmt);
std::string FormatTime(TDateTime value, const LocaleDateFormat& fmt);
// What the panel's date label shows: short date, a blank, long time.
std::string FormatDisplayDateTime(TDateTime value, const LocaleDateFormat& fmt);

// Parses a date-time text of the server by the locale's short date pattern,
// optionally followed by a time "H:mm[:ss[.zzz]]" with an optional AM/PM
// designator. Never yields a silent 0: unparsable text throws kx::Error.
TDateTime ParseLocaleDateTime(std::string_view text, const LocaleDateFormat& fmt);

// The server's duration form: an optional whole day count, a blank, then
// "hh:mm:ss" ("2 03:04:05" is 2 d 3 h 4 min 5 s). Throws kx::Error.
std::int64_t ParseDurationSeconds(std::string_view text);
inline double ParseDurationDays(std::string_view text) {
    return static_cast<double>(ParseDurationSeconds(text)) / kSecondsPerDay;
}

}  // namespace kx
