#pragma once
// Info point categories, their lists and map texts, checkpoint circles and
// the balloon texts built from server data.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kx/track.h"

namespace kx {

// One row of the category table; the row number (1-based) is the category.
struct TInfoPoints {
    std::string name;
    std::string query;
    bool VisibleList = false;
    bool VisibleIcon = false;
    std::string Icon;
};

bool operator==(const TInfoPoints& a, const TInfoPoints& b);

constexpr int kDefaultCategoryCount = 13;
constexpr const char* kTripsListItem = "Список рейсов";

// The thirteen default rows, both flags set.
std::vector<TInfoPoints> DefaultInfoPointCategories();

// "tank-num1" -> type "tank", kind "num1"; without "-" there is no kind and
// the server keeps the kind sent before.
struct EntriesQuery {
    std::string type;
    std::string kind;
    bool hasKind = false;
};
EntriesQuery SplitQuery(std::string_view query);

// The query of the speeding periods' category.
constexpr const char* kSpeedingQuery = "over_speed";

// What the fourth list column and the map text show, chosen by query text.
enum class EntryValue { Duration, Speed, Tank1, Tank2 };
EntryValue EntryValueFor(std::string_view query);
std::string FourthColumnCaption(std::string_view query);

// Numeric fields of one server entry that the texts may need.
struct EntryValues {
    std::string duration;
    double speed = 0.0;
    double tank1Begin = 0.0, tank1End = 0.0;
    double tank2Begin = 0.0, tank2End = 0.0;
};
// Fourth column of the entries list: unrounded numbers in general form.
std::string EntryListValue(EntryValue kind, const EntryValues& v, char decimalSeparator = '.');
// Map text: speed to hundredths + " км/ч", tank difference to tenths + " л",
// else the duration text.
std::string EntryMapText(EntryValue kind, const EntryValues& v, char decimalSeparator = '.');

// Minimum duration filter; an empty threshold text counts as 0.
std::int64_t ParseThresholdText(std::string_view text);
bool PassesDurationFilter(std::string_view durationText, std::int64_t thresholdSeconds);
// Row r of a filtered list shows server entry FilteredEntryNumber(...)[r]
// (1-based): only entries passing the filter are listed.
std::vector<int> FilteredEntryNumbers(const std::vector<std::string>& durationTexts,
                                      std::int64_t thresholdSeconds);
// Text of the minimum duration box after an edit: empty becomes "0".
std::string NormaliseThresholdText(std::string_view text);
bool ThresholdKeyAllowed(char16_t key);

// Icon resource for an entry: a drain (text with "-") of an "IcZ" row
// shows "IcX".
std::string IconKeyFor(std::string_view icon, std::string_view entryText);
// Popup menu item of a row ("mnu5" -> 5); throws kx::Error for other names.
int MenuItemRow(std::string_view componentName);
// Menu image of row k: coloured k-2, grey k+10.
int MenuImageIndex(int row, bool shown);

// Entries without a position carry -777 in either coordinate: they are
// listed but not drawn (a point at 0, 0 would put them in the sea).
constexpr double kNoPosition = -777.0;
std::optional<TMapPoint> EntryGeoPosition(double longitude, double latitude);

// A last known vehicle position is usable when it is a finite, in-range
// geographic point that is neither the -777 mark nor exactly (0, 0).
bool HasKnownPosition(double longitude, double latitude);

// Open ring of 30 geographic points (X longitude, Y latitude) around a
// checkpoint centre; radius in metres.
constexpr int kCheckpointCirclePoints = 30;
TMapPointArray CheckpointCircleGeo(double longitude, double latitude, double radiusMetres);

// Balloon (HTML) and hint (plain) texts. Server texts are HTML-escaped.
std::string CheckpointBalloonText(std::string_view name, std::string_view address);
std::string LastPointBalloonText(std::string_view carName, std::string_view carNumber, int device,
                                 std::string_view lastTime);
// The balloon text with every "<br />" removed, for hints.
std::string StripLineBreaks(std::string_view html);

}  // namespace kx
