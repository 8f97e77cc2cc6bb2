#include "kx/datetime.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "kx/error.h"

namespace kx {
namespace {

constexpr std::int64_t kMsPerDay = kSecondsPerDay * 1000;
// Serial day numbers of 1 Jan 0001 and 31 Dec 9999.
constexpr std::int64_t kMinSerial = -693593;
constexpr std::int64_t kMaxSerial = 2958465;

// Days since 1 Jan 1970 of a proleptic Gregorian date.
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

// A constant, so that dates made while other files initialise their statics
// are right too.
constexpr std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

std::string Quote(std::string_view text) {
    std::string r = "\"";
    r.append(text.data(), text.size());
    r += '"';
    return r;
}

[[noreturn]] void BadDateTime(std::string_view text) {
    throw Error("не является датой и временем: " + Quote(text));
}

// Splits a pattern into runs of one letter and literal characters; quoted
// parts are literal.
struct Token {
    char letter;  // 0 for a literal
    int count;
    std::string literal;
};

std::vector<Token> Tokenize(std::string_view pattern) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = pattern.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            tokens.push_back({0, 0, std::string(pattern.substr(i + 1, end - i - 1))});
            i = end == pattern.size() ? end : end + 1;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            std::size_t j = i;
            while (j < pattern.size() && pattern[j] == c) ++j;
            tokens.push_back({c, static_cast<int>(j - i), {}});
            i = j;
        } else {
            tokens.push_back({0, 0, std::string(1, c)});
            ++i;
        }
    }
    return tokens;
}

void AppendNumber(std::string& out, int value, int minDigits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", minDigits, value);
    out += buf;
}

std::string FormatPattern(const CivilDateTime& c, std::string_view pattern, bool datePattern,
                          const LocaleDateFormat& fmt) {
    const std::vector<Token> tokens = Tokenize(pattern);
    std::string out;
    for (const Token& t : tokens) {
        const int n = t.count;
        switch (t.letter) {
        case 0: out += t.literal; break;
        case 'd': AppendNumber(out, c.day, n >= 2 ? 2 : 1); break;
        case 'M': AppendNumber(out, c.month, n >= 2 ? 2 : 1); break;
        case 'm':
            AppendNumber(out, datePattern ? c.month : c.minute, n >= 2 ? 2 : 1);
            break;
        case 'y':
            if (n <= 2) AppendNumber(out, c.year % 100, 2);
            else AppendNumber(out, c.year, 4);
            break;
        case 'H': AppendNumber(out, c.hour, n >= 2 ? 2 : 1); break;
        case 'h': {
            int h = c.hour % 12;
            if (h == 0) h = 12;
            AppendNumber(out, h, n >= 2 ? 2 : 1);
            break;
        }
        case 's': AppendNumber(out, c.second, n >= 2 ? 2 : 1); break;
        case 't': out += c.hour < 12 ? fmt.am : fmt.pm; break;
        default: out.append(static_cast<std::size_t>(n), t.letter); break;
        }
    }
    return out;
}

// Cursor over text being parsed.
struct Scanner {
    std::string_view text;
    std::size_t pos = 0;

    bool AtEnd() const { return pos >= text.size(); }
    bool SkipSpaces() {
        const std::size_t start = pos;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        return pos > start;
    }
    // 1..maxDigits digits; false when none.
    bool Number(int maxDigits, int& value, int& digits) {
        value = 0;
        digits = 0;
        while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        return digits > 0;
    }
    bool Literal(std::string_view lit) {
        if (text.substr(pos, lit.size()) != lit) return false;
        pos += lit.size();
        return true;
    }
    bool LiteralIgnoreCase(std::string_view lit) {
        if (lit.empty() || text.size() - pos < lit.size()) return false;
        for (std::size_t i = 0; i < lit.size(); ++i) {
            char a = text[pos + i], b = lit[i];
            if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
            if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
            if (a != b) return false;
        }
        pos += lit.size();
        return true;
    }
};

int ExpandYear(int value, int digits) {
    if (digits > 2) return value;
    return value < 50 ? 2000 + value : 1900 + value;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) throw Error("нет месяца с номером " + std::to_string(month));
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

TDateTime EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        throw Error("нет такой даты: " + std::to_string(day) + "." + std::to_string(month) + "." +
                    std::to_string(year));
    }
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                             static_cast<unsigned>(day)) -
                               kEpochOffset);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999) {
        throw Error("нет такого времени: " + std::to_string(hour) + ":" + std::to_string(minute) + ":" +
                    std::to_string(second));
    }
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

TDateTime EncodeDateTime(const CivilDateTime& c) {
    const TDateTime date = EncodeDate(c.year, c.month, c.day);
    const TDateTime time = EncodeTime(c.hour, c.minute, c.second, c.millisecond);
    return date < 0 ? date - time : date + time;
}

CivilDateTime DecodeDateTime(TDateTime value) {
    if (!std::isfinite(value) || value < static_cast<double>(kMinSerial) - 1 ||
        value > static_cast<double>(kMaxSerial) + 1) {
        throw Error("дата и время вне допустимого диапазона");
    }
    double whole = std::trunc(value);
    std::int64_t ms = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kMsPerDay));
    std::int64_t serial = static_cast<std::int64_t>(whole);
    if (ms >= kMsPerDay) {  // rounding carried into the next day
        ms -= kMsPerDay;
        serial += value < 0 ? -1 : 1;
    }
    if (serial < kMinSerial || serial > kMaxSerial) throw Error("дата и время вне допустимого диапазона");
    CivilDateTime c;
    CivilFromDays(serial + kEpochOffset, c.year, c.month, c.day);
    c.millisecond = static_cast<int>(ms % 1000);
    const std::int64_t secs = ms / 1000;
    c.second = static_cast<int>(secs % 60);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.hour = static_cast<int>(secs / 3600);
    return c;
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

TDateTime TimeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }

TDateTime CombineDateTime(TDateTime date, TDateTime timeOfDay) {
    const double d = DateOf(date);
    const double t = TimeOf(timeOfDay);
    return d < 0 ? d - t : d + t;
}

std::int64_t RoundHalfEven(double value) {
    // 2^63 is exactly representable; anything at or beyond it overflows.
    if (!std::isfinite(value) || std::fabs(value) >= 9223372036854775808.0)
        throw Error("число слишком велико для округления");
    const double lower = std::floor(value);
    const double diff = value - lower;
    double r = lower;
    if (diff > 0.5) r = lower + 1;
    else if (diff == 0.5) r = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    return static_cast<std::int64_t>(r);
}

std::int64_t DaysToWholeSeconds(double days) {
    return RoundHalfEven(days * static_cast<double>(kSecondsPerDay));
}

bool SameWholeSecond(TDateTime a, TDateTime b) {
    const CivilDateTime x = DecodeDateTime(a), y = DecodeDateTime(b);
    return x.year == y.year && x.month == y.month && x.day == y.day && x.hour == y.hour &&
           x.minute == y.minute && x.second == y.second;
}

std::string FormatFixedDateTime(TDateTime value) {
    const CivilDateTime c = DecodeDateTime(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", c.day, c.month, c.year, c.hour,
                  c.minute, c.second);
    return buf;
}

TDateTime ParseFixedDateTime(std::string_view text) {
    // Exactly "dd.mm.yyyy hh:mm:ss".
    static const char kShape[] = "99.99.9999 99:99:99";
    if (text.size() != sizeof kShape - 1) BadDateTime(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == '9' ? !digit : text[i] != kShape[i]) BadDateTime(text);
    }
    auto num = [&](std::size_t at, std::size_t len) {
        int v = 0;
        for (std::size_t i = at; i < at + len; ++i) v = v * 10 + (text[i] - '0');
        return v;
    };
    CivilDateTime c;
    c.day = num(0, 2);
    c.month = num(3, 2);
    c.year = num(6, 4);
    c.hour = num(11, 2);
    c.minute = num(14, 2);
    c.second = num(17, 2);
    try {
        return EncodeDateTime(c);
    } catch (const Error&) {
        BadDateTime(text);
    }
}

LocaleDateFormat LocaleDateFormat::Russian() { return {"dd.MM.yyyy", "H:mm:ss", "", ""}; }

LocaleDateFormat LocaleDateFormat::EnglishUs() { return {"M/d/yyyy", "h:mm:ss tt", "AM", "PM"}; }

std::string FormatDate(TDateTime value, const LocaleDateFormat& fmt) {
    return FormatPattern(DecodeDateTime(value), fmt.shortDate, true, fmt);
}

std::string FormatTime(TDateTime value, const LocaleDateFormat& fmt) {
    return FormatPattern(DecodeDateTime(value), fmt.longTime, false, fmt);
}

std::string FormatDisplayDateTime(TDateTime value, const LocaleDateFormat& fmt) {
    const CivilDateTime c = DecodeDateTime(value);
    return FormatPattern(c, fmt.shortDate, true, fmt) + " " +
           FormatPattern(c, fmt.longTime, false, fmt);
}

TDateTime ParseLocaleDateTime(std::string_view text, const LocaleDateFormat& fmt) {
    Scanner s{text};
    s.SkipSpaces();
    int day = -1, month = -1, year = -1;
    for (const Token& t : Tokenize(fmt.shortDate)) {
        if (t.letter == 0) {
            for (char ch : t.literal) {
                if (ch == ' ') s.SkipSpaces();
                else if (!s.Literal(std::string_view(&ch, 1))) BadDateTime(text);
            }
            continue;
        }
        int value = 0, digits = 0;
        switch (t.letter) {
        case 'd':
            if (t.count > 2 || !s.Number(2, value, digits)) BadDateTime(text);
            day = value;
            break;
        case 'M':
        case 'm':
            if (t.count > 2 || !s.Number(2, value, digits)) BadDateTime(text);
            month = value;
            break;
        case 'y':
            if (!s.Number(4, value, digits) || digits == 3) BadDateTime(text);
            year = ExpandYear(value, digits);
            break;
        default:
            throw Error("краткий формат даты не поддерживается: " + Quote(fmt.shortDate));
        }
    }
    if (day < 0 || month < 0 || year < 0)
        throw Error("краткий формат даты не поддерживается: " + Quote(fmt.shortDate));

    CivilDateTime c;
    c.year = year;
    c.month = month;
    c.day = day;
    const bool spaced = s.SkipSpaces();
    if (!s.AtEnd()) {
        if (!spaced) BadDateTime(text);
        int digits = 0;
        if (!s.Number(2, c.hour, digits) || !s.Literal(":") || !s.Number(2, c.minute, digits) ||
            digits != 2)
            BadDateTime(text);
        if (s.Literal(":")) {
            if (!s.Number(2, c.second, digits) || digits != 2) BadDateTime(text);
            if (s.Literal(".")) {
                if (!s.Number(3, c.millisecond, digits)) BadDateTime(text);
                for (; digits < 3; ++digits) c.millisecond *= 10;
            }
        }
        s.SkipSpaces();
        const std::string am = fmt.am.empty() ? "AM" : fmt.am;
        const std::string pm = fmt.pm.empty() ? "PM" : fmt.pm;
        bool isPm = false, designated = false;
        if (s.LiteralIgnoreCase(am)) designated = true;
        else if (s.LiteralIgnoreCase(pm)) designated = isPm = true;
        if (designated) {
            if (c.hour < 1 || c.hour > 12) BadDateTime(text);
            c.hour = c.hour % 12 + (isPm ? 12 : 0);
        }
        s.SkipSpaces();
        if (!s.AtEnd()) BadDateTime(text);
    }
    try {
        return EncodeDateTime(c);
    } catch (const Error&) {
        BadDateTime(text);
    }
}

std::int64_t ParseDurationSeconds(std::string_view text) {
    auto bad = [&]() -> std::int64_t { throw Error("не является продолжительностью: " + Quote(text)); };
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    std::string_view timePart = t, dayPart;
    const std::size_t blank = t.rfind(' ');
    if (blank != std::string_view::npos) {
        dayPart = t.substr(0, blank);
        timePart = t.substr(blank + 1);
        while (!dayPart.empty() && dayPart.back() == ' ') dayPart.remove_suffix(1);
    }
    std::int64_t days = 0;
    if (!dayPart.empty()) {
        if (dayPart.size() > 9) return bad();
        for (char ch : dayPart) {
            if (ch < '0' || ch > '9') return bad();
            days = days * 10 + (ch - '0');
        }
    }
    Scanner s{timePart};
    int h = 0, m = 0, sec = 0, digits = 0;
    if (!s.Number(2, h, digits) || !s.Literal(":") || !s.Number(2, m, digits) || digits != 2 ||
        !s.Literal(":") || !s.Number(2, sec, digits) || digits != 2 || !s.AtEnd())
        return bad();
    if (h > 23 || m > 59 || sec > 59) return bad();
    return days * kSecondsPerDay + h * 3600 + m * 60 + sec;
}

}  // namespace kx
