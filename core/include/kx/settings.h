#pragma once
// Settings values, their stored texts and the default documents. The XML
// itself is read and written by the platform's parser.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kx/datetime.h"
#include "kx/infopoints.h"

namespace kx {

constexpr const char* kSettingsFileName = "KXSettings.xml";
constexpr const char* kSettingsNamespace = "urn:kxplayer:settings:1";

// Element and attribute names of the file.
namespace settings_names {
constexpr const char* kRoot = "AppSettings";
constexpr const char* kSettings = "Settings";
constexpr const char* kLoadKT = "LoadKT";
constexpr const char* kLoadIT = "LoadIT";
constexpr const char* kIconNum = "IconNum";
constexpr const char* kGroupID = "GroupID";
constexpr const char* kCarID = "CarID";
constexpr const char* kDateTimeBegin = "DateTimeBegin";
constexpr const char* kDateTimeEnd = "DateTimeEnd";
constexpr const char* kSpeed = "Speed";
constexpr const char* kStops = "Stops";
constexpr const char* kCont = "Cont";
constexpr const char* kInfoPointsCount = "InfoPointsCount";
constexpr const char* kInfoPoints = "InfoPoints";
constexpr const char* kName = "name";
constexpr const char* kVisibleList = "VisibleList";
constexpr const char* kVisibleIcon = "VisibleIcon";
constexpr const char* kQuery = "query";
constexpr const char* kIcon = "Icon";
// The trip report window's place on the screen, after the categories.
constexpr const char* kReportLeft = "ReportLeft";
constexpr const char* kReportTop = "ReportTop";
constexpr const char* kReportWidth = "ReportWidth";
constexpr const char* kReportHeight = "ReportHeight";
}  // namespace settings_names

// "InfoPoints" followed by the 1-based row number.
std::string CategoryElementName(int row);

// A window's place on the screen, in pixels.
struct WindowPlace {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
};
bool operator==(const WindowPlace& a, const WindowPlace& b);

struct SettingsValues {
    bool loadKT = false;
    bool loadIT = false;
    std::int32_t iconNum = 0;
    std::int32_t groupId = 7;
    std::int32_t carId = 0;
    TDateTime begin = 0.0;
    TDateTime end = 0.0;
    std::string speed = "60x";
    bool stops = true;
    std::string cont = "60";
    std::vector<TInfoPoints> categories;
    std::optional<WindowPlace> reportPlace;  // none: the file keeps none
};

SettingsValues DefaultSettings();

// Conversions between stored texts and values; each throws kx::Error naming
// the element and the offending text.
bool ParseSettingsBool(std::string_view text, std::string_view element);
std::string FormatSettingsBool(bool value);
std::int32_t ParseSettingsInt(std::string_view text, std::string_view element);
std::string FormatSettingsInt(std::int32_t value);
TDateTime ParseSettingsDateTime(std::string_view text, std::string_view element);
std::string FormatSettingsDateTime(TDateTime value);
// Digits with every x removed; "25X" gives 25. Any integer is accepted here;
// the player clamps it.
std::int32_t ParseSettingsSpeed(std::string_view text);
// The minimum duration is stored as decimal digits only.
std::string ValidateSettingsCont(std::string_view text);

// Directory of the host executable (trailing separators ignored) +
// "\Plugins\KXSettings.xml".
std::string SettingsFilePath(std::string_view exeDirectory);

// 31 lines, UTF-8 with byte-order mark, CR LF line ends.
std::string DefaultSettingsDocument();
// One ASCII line: declaration, root element with an empty Settings.
std::string MinimalSettingsDocument();

}  // namespace kx
