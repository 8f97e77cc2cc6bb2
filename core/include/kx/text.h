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
