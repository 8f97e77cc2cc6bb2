#pragma once
// Text helpers: UTF-8 is the core's string encoding, UTF-16 the platform's.
#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

constexpr char16_t kReplacementChar = 0xFFFD;

bool IsValidUtf8(std::string_view text);
// Invalid, overlong or surrogate sequences each become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Throws kx::Error instead of repairing.
std::u16string Utf8ToUtf16Strict(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

#ifdef _WIN32
// Windows keeps its texts as UTF-16 in wchar_t strings.
inline std::wstring ToWide(std::string_view utf8)
{
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}
inline std::string ToUtf8(std::wstring_view wide)
{
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}
#endif

// Escapes & < > " ' so that server texts cannot inject markup into balloons.
std::string HtmlEscape(std::string_view text);

std::string Trim(std::string_view text);
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);
std::string RemoveAll(std::string_view text, std::string_view what);
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);

// Strict decimal integer: optional sign, digits only, 32-bit range.
std::int32_t ParseInt32(std::string_view text);

// Shortest general form, up to 15 significant digits ("12.5", "-3", "1E20").
std::string FormatGeneral(double value, char decimalSeparator = '.');
// Fixed decimals, halves away from zero ("0.0" style display formats).
std::string FormatFixed(double value, int decimals, char decimalSeparator = '.');
// Rounds to the given number of decimals, halves to even.
double RoundToDecimals(double value, int decimals);

}  // namespace kx
