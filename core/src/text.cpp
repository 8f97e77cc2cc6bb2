#include "kx/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "kx/datetime.h"
#include "kx/error.h"

namespace kx {
namespace {

// Decodes one code point at i; returns false (and the length of the bad
// sequence to skip, at least 1) for invalid, overlong or surrogate input.
bool DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp, std::size_t& len) {
    const unsigned char b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        cp = b0;
        len = 1;
        return true;
    }
    int need;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) { need = 1; cp = b0 & 0x1F; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { need = 2; cp = b0 & 0x0F; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { need = 3; cp = b0 & 0x07; min = 0x10000; }
    else { len = 1; return false; }
    std::size_t j = 1;
    for (; j <= static_cast<std::size_t>(need); ++j) {
        if (i + j >= s.size()) break;
        const unsigned char b = static_cast<unsigned char>(s[i + j]);
        if ((b & 0xC0) != 0x80) break;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (j <= static_cast<std::size_t>(need)) {  // truncated: skip what was consumed
        len = j;
        return false;
    }
    len = j;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    return true;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::u16string ConvertUtf8(std::string_view text, bool strict) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        std::size_t len = 1;
        if (DecodeUtf8(text, i, cp, len)) {
            AppendUtf16(out, cp);
        } else {
            if (strict)
                throw Error("неверный текст UTF-8 в байте " + std::to_string(i));
            out += kReplacementChar;
        }
        i += len;
    }
    return out;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp;
        std::size_t len;
        if (!DecodeUtf8(text, i, cp, len)) return false;
        i += len;
    }
    return true;
}

std::u16string Utf8ToUtf16(std::string_view text) { return ConvertUtf8(text, false); }

std::u16string Utf8ToUtf16Strict(std::string_view text) { return ConvertUtf8(text, true); }

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                                (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacementChar);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string Trim(std::string_view text) {
    std::size_t b = 0, e = text.size();
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (b < e && space(text[b])) ++b;
    while (e > b && space(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
    if (what.empty()) return std::string(text);
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = text.find(what, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.data() + pos, hit - pos);
        out.append(with.data(), with.size());
        pos = hit + what.size();
    }
    out.append(text.data() + pos, text.size() - pos);
    return out;
}

std::string RemoveAll(std::string_view text, std::string_view what) { return ReplaceAll(text, what, ""); }

bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::int32_t ParseInt32(std::string_view text) {
    auto bad = [&]() -> std::int32_t {
        throw Error("\"" + std::string(text) + "\" не является целым числом");
    };
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return bad();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return bad();
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return bad();
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return bad();
    return static_cast<std::int32_t>(value);
}

std::string FormatGeneral(double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";
    // 15 significant digits in scientific form: d.ddddddddddddddE+xx.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14E", value);
    const std::string s = buf;
    const bool negative = s[0] == '-';
    const std::size_t epos = s.find('E');
    const int exp15 = std::atoi(s.c_str() + epos + 1);
    const std::string mantissa = s.substr(negative ? 1 : 0, epos - (negative ? 1 : 0));
    std::string digits = mantissa.substr(0, 1) + mantissa.substr(2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = negative ? "-" : "";
    const int n = static_cast<int>(digits.size());
    if (exp15 >= 15 || exp15 < -5) {
        out += digits.substr(0, 1);
        if (n > 1) out += decimalSeparator + digits.substr(1);
        out += 'E';
        out += std::to_string(exp15);
    } else if (exp15 < 0) {
        out += '0';
        out += decimalSeparator;
        out.append(static_cast<std::size_t>(-exp15 - 1), '0');
        out += digits;
    } else if (n <= exp15 + 1) {
        out += digits;
        out.append(static_cast<std::size_t>(exp15 + 1 - n), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(exp15 + 1));
        out += decimalSeparator;
        out += digits.substr(static_cast<std::size_t>(exp15 + 1));
    }
    return out;
}

std::string FormatFixed(double value, int decimals, char decimalSeparator) {
    if (!std::isfinite(value)) return FormatGeneral(value, decimalSeparator);
    if (decimals < 0) decimals = 0;
    if (decimals > 15) decimals = 15;
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;  // halves away from zero
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded == 0 ? 0.0 : rounded);
    std::string s = buf;
    const std::size_t dot = s.find('.');
    if (dot != std::string::npos) s[dot] = decimalSeparator;
    return s;
}

double RoundToDecimals(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.0e18) return value;
    return static_cast<double>(RoundHalfEven(scaled)) / scale;
}

}  // namespace kx
