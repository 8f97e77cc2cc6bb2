#include "kx/settings.h"

#include "kx/error.h"
#include "kx/text.h"

namespace kx {

bool operator==(const WindowPlace& a, const WindowPlace& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
namespace {

// The offending text as the message shows it: a long one is cut (at a
// character boundary), so that a broken file cannot fill the screen.
std::string Quoted(std::string_view s) {
    constexpr std::size_t kShown = 60;
    if (s.size() <= kShown) return "\"" + std::string(s) + "\"";
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return "\"" + std::string(s.substr(0, cut)) + "…\"";
}

std::string XmlAttr(std::string_view s) { return HtmlEscape(s); }

constexpr const char* kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

}  // namespace

std::string CategoryElementName(int row) { return "InfoPoints" + std::to_string(row); }

SettingsValues DefaultSettings() {
    SettingsValues v;
    v.begin = EncodeDate(2007, 2, 6);
    v.end = EncodeDate(2009, 6, 6);
    v.categories = DefaultInfoPointCategories();
    return v;
}

bool ParseSettingsBool(std::string_view text, std::string_view element) {
    if (EqualsIgnoreCaseAscii(text, "true")) return true;
    if (EqualsIgnoreCaseAscii(text, "false")) return false;
    try {
        return ParseInt32(text) != 0;
    } catch (const Error&) {
        throw Error("Параметр " + std::string(element) + ": " + Quoted(text) +
                    " не является логическим значением (true, false или число)");
    }
}

std::string FormatSettingsBool(bool value) { return value ? "true" : "false"; }

std::int32_t ParseSettingsInt(std::string_view text, std::string_view element) {
    try {
        return ParseInt32(text);
    } catch (const Error&) {
        throw Error("Параметр " + std::string(element) + ": " + Quoted(text) +
                    " не является целым числом");
    }
}

std::string FormatSettingsInt(std::int32_t value) { return std::to_string(value); }

TDateTime ParseSettingsDateTime(std::string_view text, std::string_view element) {
    try {
        return ParseFixedDateTime(text);
    } catch (const Error&) {
        throw Error("Параметр " + std::string(element) + ": " + Quoted(text) +
                    " не является датой и временем вида дд.мм.гггг чч:мм:сс");
    }
}

std::string FormatSettingsDateTime(TDateTime value) { return FormatFixedDateTime(value); }

std::int32_t ParseSettingsSpeed(std::string_view text) {
    std::string rest;
    for (char c : text)
        if (c != 'x' && c != 'X') rest += c;
    try {
        return ParseInt32(rest);
    } catch (const Error&) {
        throw Error("Параметр Speed: " + Quoted(text) + " не является скоростью воспроизведения");
    }
}

std::string ValidateSettingsCont(std::string_view text) {
    bool ok = !text.empty() && text.size() <= 9;
    for (char c : text) ok = ok && c >= '0' && c <= '9';
    if (!ok)
        throw Error("Параметр Cont: " + Quoted(text) + " не является целым числом секунд");
    return std::string(text);
}

std::string SettingsFilePath(std::string_view dir) {
    while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.remove_suffix(1);
    return std::string(dir) + "\\Plugins\\" + kSettingsFileName;
}

std::string DefaultSettingsDocument() {
    namespace n = settings_names;
    const SettingsValues v = DefaultSettings();
    std::string doc = "\xEF\xBB\xBF";
    auto line = [&doc](const std::string& s) { doc += s + "\r\n"; };
    auto element = [&line](const char* name, const std::string& value) {
        line(std::string("<") + name + ">" + value + "</" + name + ">");
    };
    line(kDeclaration);
    line(std::string("<") + n::kRoot + " xmlns=\"" + kSettingsNamespace + "\">");
    line(std::string("<") + n::kSettings + ">");
    element(n::kLoadKT, FormatSettingsBool(v.loadKT));
    element(n::kLoadIT, FormatSettingsBool(v.loadIT));
    element(n::kIconNum, FormatSettingsInt(v.iconNum));
    element(n::kGroupID, FormatSettingsInt(v.groupId));
    element(n::kCarID, FormatSettingsInt(v.carId));
    element(n::kDateTimeBegin, FormatSettingsDateTime(v.begin));
    element(n::kDateTimeEnd, FormatSettingsDateTime(v.end));
    element(n::kSpeed, v.speed);
    element(n::kStops, FormatSettingsBool(v.stops));
    element(n::kCont, v.cont);
    element(n::kInfoPointsCount, FormatSettingsInt(static_cast<std::int32_t>(v.categories.size())));
    line(std::string("<") + n::kInfoPoints + ">");
    for (std::size_t i = 0; i < v.categories.size(); ++i) {
        const TInfoPoints& c = v.categories[i];
        line("<" + CategoryElementName(static_cast<int>(i) + 1) + " " + n::kName + "=\"" +
             XmlAttr(c.name) + "\" " + n::kVisibleList + "=\"" + FormatSettingsBool(c.VisibleList) +
             "\" " + n::kVisibleIcon + "=\"" + FormatSettingsBool(c.VisibleIcon) + "\" " +
             n::kQuery + "=\"" + XmlAttr(c.query) + "\" " + n::kIcon + "=\"" + XmlAttr(c.Icon) +
             "\"/>");
    }
    line(std::string("</") + n::kInfoPoints + ">");
    line(std::string("</") + n::kSettings + ">");
    line(std::string("</") + n::kRoot + ">");
    return doc;
}

std::string MinimalSettingsDocument() {
    return std::string(kDeclaration) + "<" + settings_names::kRoot + " xmlns=\"" +
           kSettingsNamespace + "\"><" + settings_names::kSettings + "/></" +
           settings_names::kRoot + ">\r\n";
}

}  // namespace kx
