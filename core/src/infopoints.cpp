#include "kx/infopoints.h"

#include <algorithm>
#include <cmath>

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/text.h"

namespace kx {
namespace {
constexpr double kPi = 3.14159265358979323846;
// Half the meridian circumference in metres: 180 degrees of latitude.
constexpr double kHalfMeridianMetres = 20015159.0526516052887;
// Keeps the longitude stretch finite at the poles.
constexpr double kMinCosLatitude = 1e-6;
}  // namespace

bool operator==(const TInfoPoints& a, const TInfoPoints& b) {
    return a.name == b.name && a.query == b.query && a.VisibleList == b.VisibleList &&
           a.VisibleIcon == b.VisibleIcon && a.Icon == b.Icon;
}

std::vector<TInfoPoints> DefaultInfoPointCategories() {
    return {
        {"Контрольные точки", "checkpoints-stages", true, true, "IcC"},
        {"Список остановок", "parks", true, true, "IcP"},
        {"Периоды отсутствия сигнала", "blinds", true, true, "IcV"},
        {"Периоды пропадания питания", "power_off", true, true, "IcB"},
        {"Периоды превышения скорости", "over_speed", true, true, "IcS"},
        {"Заправки и сливы бака №1", "tank-num1", true, true, "IcZ"},
        {"Заправки и сливы бака №2", "tank-num2", true, true, "IcZ"},
        {"Включения датчика №1", "sensor_on-num1", true, true, "Ic1"},
        {"Включения датчика №2", "sensor_on-num2", true, true, "Ic2"},
        {"Включения датчика №3", "sensor_on-num3", true, true, "Ic3"},
        {"Включения датчика №4", "sensor_on-num4", true, true, "Ic4"},
        {"Включения датчика №5", "sensor_on-num5", true, true, "Ic5"},
        {"Включения датчика №6", "sensor_on-num6", true, true, "Ic6"},
    };
}

EntriesQuery SplitQuery(std::string_view query) {
    EntriesQuery q;
    const std::size_t dash = query.find('-');
    if (dash == std::string_view::npos) {
        q.type = std::string(query);
    } else {
        q.type = std::string(query.substr(0, dash));
        q.kind = std::string(query.substr(dash + 1));
        q.hasKind = true;
    }
    return q;
}

EntryValue EntryValueFor(std::string_view query) {
    if (query == kSpeedingQuery) return EntryValue::Speed;
    if (query == "tank-num1") return EntryValue::Tank1;
    if (query == "tank-num2") return EntryValue::Tank2;
    return EntryValue::Duration;
}

std::string FourthColumnCaption(std::string_view query) {
    switch (EntryValueFor(query)) {
    case EntryValue::Speed: return "Скорость";
    case EntryValue::Tank1:
    case EntryValue::Tank2: return "Объем, л";
    default: return "Прод-ть";
    }
}

std::string EntryListValue(EntryValue kind, const EntryValues& v, char sep) {
    switch (kind) {
    case EntryValue::Speed: return FormatGeneral(v.speed, sep);
    case EntryValue::Tank1: return FormatGeneral(v.tank1End - v.tank1Begin, sep);
    case EntryValue::Tank2: return FormatGeneral(v.tank2End - v.tank2Begin, sep);
    default: return v.duration;
    }
}

std::string EntryMapText(EntryValue kind, const EntryValues& v, char sep) {
    switch (kind) {
    case EntryValue::Speed: return FormatGeneral(RoundToDecimals(v.speed, 2), sep) + " км/ч";
    case EntryValue::Tank1:
        return FormatGeneral(RoundToDecimals(v.tank1End - v.tank1Begin, 1), sep) + " л";
    case EntryValue::Tank2:
        return FormatGeneral(RoundToDecimals(v.tank2End - v.tank2Begin, 1), sep) + " л";
    default: return v.duration;
    }
}

std::int64_t ParseThresholdText(std::string_view text) {
    const std::string t = Trim(text);
    if (t.empty()) return 0;
    try {
        return ParseInt32(t);
    } catch (const Error&) {
        throw Error("\"" + std::string(text) + "\" не является минимальной продолжительностью");
    }
}

bool PassesDurationFilter(std::string_view durationText, std::int64_t thresholdSeconds) {
    return ParseDurationSeconds(durationText) >= thresholdSeconds;
}

std::vector<int> FilteredEntryNumbers(const std::vector<std::string>& durationTexts,
                                      std::int64_t thresholdSeconds) {
    std::vector<int> numbers;
    for (std::size_t i = 0; i < durationTexts.size(); ++i)
        if (PassesDurationFilter(durationTexts[i], thresholdSeconds))
            numbers.push_back(static_cast<int>(i) + 1);
    return numbers;
}

std::string NormaliseThresholdText(std::string_view text) {
    return text.empty() ? std::string("0") : std::string(text);
}

bool ThresholdKeyAllowed(char16_t key) { return (key >= u'0' && key <= u'9') || key == 8; }

std::string IconKeyFor(std::string_view icon, std::string_view entryText) {
    if (icon == "IcZ" && entryText.find('-') != std::string_view::npos) return "IcX";
    return std::string(icon);
}

int MenuItemRow(std::string_view name) {
    if (name.size() > 3 && name.substr(0, 3) == "mnu") {
        try {
            const std::string digits(name.substr(3));
            if (digits[0] != '+' && digits[0] != '-') {
                const int row = ParseInt32(digits);
                if (row >= 1) return row;
            }
        } catch (const Error&) {
        }
    }
    throw Error("\"" + std::string(name) + "\" не является пунктом меню информационных точек");
}

int MenuImageIndex(int row, bool shown) { return shown ? row - 2 : row + 10; }

std::optional<TMapPoint> EntryGeoPosition(double longitude, double latitude) {
    if (longitude == kNoPosition || latitude == kNoPosition) return std::nullopt;
    return TMapPoint{longitude, latitude};
}

bool HasKnownPosition(double longitude, double latitude) {
    if (!std::isfinite(longitude) || !std::isfinite(latitude)) return false;
    if (longitude == kNoPosition || latitude == kNoPosition) return false;
    if (longitude == 0.0 && latitude == 0.0) return false;
    return std::fabs(longitude) <= 180.0 && std::fabs(latitude) <= 90.0;
}

TMapPointArray CheckpointCircleGeo(double longitude, double latitude, double radiusMetres) {
    if (!std::isfinite(longitude) || !std::isfinite(latitude) || !std::isfinite(radiusMetres))
        throw Error("положение или радиус контрольной точки не является конечным числом");
    // A negative radius walks the same circle from the opposite side.
    const double d = radiusMetres * 180.0 / kHalfMeridianMetres;
    const double cosLat = std::max(std::cos(latitude * kPi / 180.0), kMinCosLatitude);
    TMapPointArray ring(kCheckpointCirclePoints);
    for (int j = 0; j < kCheckpointCirclePoints; ++j) {
        const double theta = 12.0 * j * kPi / 180.0;
        ring[static_cast<std::size_t>(j)] = {longitude + d * std::cos(theta) / cosLat,
                                             latitude + d * std::sin(theta)};
    }
    return ring;
}

std::string CheckpointBalloonText(std::string_view name, std::string_view address) {
    return "<b><u>Контрольная точка</u></b><br />Название: " + HtmlEscape(name) +
           "<br />Адрес: " + HtmlEscape(address);
}

std::string LastPointBalloonText(std::string_view carName, std::string_view carNumber, int device,
                                 std::string_view lastTime) {
    return HtmlEscape(carName) + " " + HtmlEscape(carNumber) + "<br />(№ КХ: " +
           std::to_string(device) + ",<br />Последняя точка: " + HtmlEscape(lastTime) + ")";
}

std::string StripLineBreaks(std::string_view html) { return RemoveAll(html, "<br />"); }

}  // namespace kx
