#include "SettingsFile.h"

#include <windows.h>

#include "ReplacedFile.h"
#include "XmlDocument.h"

#include "kx/error.h"
#include "kx/text.h"

namespace {

namespace n = kx::settings_names;

std::wstring W(const char *text)
{
    return kx::ToWide(text);
}

// Settings is the first child of the document element, whatever its name.
TXmlElement SettingsOf(const TXmlDocument &document, const std::wstring &path)
{
    const TXmlElement root = document.Root();
    const TXmlElement settings = root ? root.ChildAt(0) : TXmlElement();
    if (!settings)
        throw kx::Error("В файле " + kx::ToUtf8(path) + " нет раздела настроек: у корневого элемента нет дочерних элементов");
    return settings;
}

std::string Required(const TXmlElement &settings, const char *name)
{
    const std::optional<std::wstring> text = settings.ChildText(W(name));
    if (!text)
        throw kx::Error(std::string("Параметр ") + name +
                        (settings.Find(W(name)) ? " в файле настроек пуст" : " отсутствует в файле настроек"));
    return kx::ToUtf8(*text);
}

template <class T, class F>
std::optional<T> Optional(const TXmlElement &settings, const char *name, F &&convert)
{
    try {
        return convert(Required(settings, name));
    } catch (const kx::Error &) {
        return std::nullopt;
    }
}

std::string RequiredAttribute(const TXmlElement &row, const std::string &rowName, const char *name, bool mayBeEmpty)
{
    const std::optional<std::wstring> value = row.Attribute(W(name));
    if (!value || (!mayBeEmpty && value->empty()))
        throw kx::Error("Категория " + rowName + ": атрибут " + name + (value ? " пуст" : " отсутствует"));
    return kx::ToUtf8(*value);
}

kx::TInfoPoints ReadRow(const TXmlElement &infoPoints, int row)
{
    const std::string rowName = kx::CategoryElementName(row);
    const TXmlElement element = infoPoints.Find(kx::ToWide(rowName));
    if (!element)
        throw kx::Error("В файле настроек нет категории " + rowName);
    kx::TInfoPoints r;
    r.name = RequiredAttribute(element, rowName, n::kName, true);
    r.VisibleList = kx::ParseSettingsBool(RequiredAttribute(element, rowName, n::kVisibleList, false), n::kVisibleList);
    r.VisibleIcon = kx::ParseSettingsBool(RequiredAttribute(element, rowName, n::kVisibleIcon, false), n::kVisibleIcon);
    r.query = RequiredAttribute(element, rowName, n::kQuery, true);
    r.Icon = RequiredAttribute(element, rowName, n::kIcon, true);
    return r;
}

void AppendValue(TXmlElement &settings, const char *name, const std::string &value)
{
    settings.Append(W(name)).SetText(kx::ToWide(value));
}

std::optional<kx::WindowPlace> ReadReportPlace(const TXmlElement &settings)
{
    auto value = [&](const char *name) {
        return Optional<std::int32_t>(settings, name,
                                      [name](const std::string &text) { return kx::ParseSettingsInt(text, name); });
    };
    const auto left = value(n::kReportLeft), top = value(n::kReportTop), width = value(n::kReportWidth),
               height = value(n::kReportHeight);
    if (!left || !top || !width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return kx::WindowPlace{*left, *top, *width, *height};
}

}  // namespace

TSettingsRead TSettingsFile::Read() const
{
    TSettingsRead r;
    if (!FileExists(path_)) {
        try {
            WriteWholeFile(path_, kx::DefaultSettingsDocument());
        } catch (const kx::Error &) {
            // Said nowhere: a folder that takes no file leaves the panel as it is.
        }
        if (!FileExists(path_)) {
            r.absent = true;
            return r;
        }
    }

    TXmlDocument document;
    document.Load(path_);
    TXmlElement settings = SettingsOf(document, path_);
    TXmlElement infoPoints = settings.Find(W(n::kInfoPoints));
    if (!infoPoints || infoPoints.ChildCount() < 1) {
        // No categories: the default document replaces the file. The old one
        // is kept beside it first, so that nothing the user had is lost.
        if (!CopyFileW(path_.c_str(), BackupPath().c_str(), FALSE))
            ThrowFileError("Не удалось сохранить копию файла настроек", BackupPath());
        WriteWholeFile(path_, kx::DefaultSettingsDocument());
        document.Load(path_);
        settings = SettingsOf(document, path_);
        r.replacedByDefault = true;
    }

    r.reportPlace = ReadReportPlace(settings);

    TSettingsStep at = TSettingsStep::LoadKT;
    try {
        kx::SettingsValues &v = r.values;
        v.loadKT = kx::ParseSettingsBool(Required(settings, n::kLoadKT), n::kLoadKT);
        at = TSettingsStep::LoadIT;
        v.loadIT = kx::ParseSettingsBool(Required(settings, n::kLoadIT), n::kLoadIT);
        at = TSettingsStep::IconNum;
        v.iconNum = kx::ParseSettingsInt(Required(settings, n::kIconNum), n::kIconNum);

        at = TSettingsStep::Restore;
        auto integer = [](const char *name) {
            return [name](const std::string &text) { return kx::ParseSettingsInt(text, name); };
        };
        auto dateTime = [](const char *name) {
            return [name](const std::string &text) { return kx::ParseSettingsDateTime(text, name); };
        };
        r.restore.groupId = Optional<std::int32_t>(settings, n::kGroupID, integer(n::kGroupID));
        r.restore.carId = Optional<std::int32_t>(settings, n::kCarID, integer(n::kCarID));
        r.restore.begin = Optional<kx::TDateTime>(settings, n::kDateTimeBegin, dateTime(n::kDateTimeBegin));
        r.restore.end = Optional<kx::TDateTime>(settings, n::kDateTimeEnd, dateTime(n::kDateTimeEnd));

        at = TSettingsStep::Speed;
        v.speed = Required(settings, n::kSpeed);
        kx::ParseSettingsSpeed(v.speed);
        at = TSettingsStep::Stops;
        v.stops = kx::ParseSettingsBool(Required(settings, n::kStops), n::kStops);
        at = TSettingsStep::Cont;
        v.cont = kx::ValidateSettingsCont(Required(settings, n::kCont));

        at = TSettingsStep::Categories;
        infoPoints = settings.Find(W(n::kInfoPoints));
        const int count = infoPoints ? infoPoints.ChildCount() : 0;
        v.categories.assign(static_cast<size_t>(count), kx::TInfoPoints{});
        for (int row = 1; row <= count; ++row) {
            v.categories[static_cast<size_t>(row - 1)] = ReadRow(infoPoints, row);
            r.rowsRead = row;
        }
        at = TSettingsStep::Done;
    } catch (const kx::Error &e) {
        r.error = e.what();
    }
    r.stoppedAt = at;
    return r;
}

void TSettingsFile::Write(const kx::SettingsValues &v, bool keepFileCategories) const
{
    if (!FileExists(path_))
        WriteWholeFile(path_, kx::MinimalSettingsDocument());

    TXmlDocument document;
    document.Load(path_);
    TXmlElement settings = SettingsOf(document, path_);
    TXmlElement kept;
    if (keepFileCategories) {
        const TXmlElement old = settings.Find(W(n::kInfoPoints));
        if (old)
            kept = old.Clone();
    }
    settings.RemoveAllChildren();

    AppendValue(settings, n::kLoadKT, kx::FormatSettingsBool(v.loadKT));
    AppendValue(settings, n::kLoadIT, kx::FormatSettingsBool(v.loadIT));
    AppendValue(settings, n::kGroupID, kx::FormatSettingsInt(v.groupId));
    AppendValue(settings, n::kIconNum, kx::FormatSettingsInt(v.iconNum));
    AppendValue(settings, n::kCarID, kx::FormatSettingsInt(v.carId));
    AppendValue(settings, n::kDateTimeBegin, kx::FormatSettingsDateTime(v.begin));
    AppendValue(settings, n::kDateTimeEnd, kx::FormatSettingsDateTime(v.end));
    AppendValue(settings, n::kSpeed, v.speed);
    AppendValue(settings, n::kStops, kx::FormatSettingsBool(v.stops));
    AppendValue(settings, n::kCont, v.cont);
    const int count = kept ? kept.ChildCount() : static_cast<int>(v.categories.size());
    AppendValue(settings, n::kInfoPointsCount, kx::FormatSettingsInt(count));
    if (kept) {
        settings.AppendExisting(kept);
    } else {
        TXmlElement infoPoints = settings.Append(W(n::kInfoPoints));
        for (int row = 1; row <= count; ++row) {
            const kx::TInfoPoints &c = v.categories[static_cast<size_t>(row - 1)];
            TXmlElement e = infoPoints.Append(kx::ToWide(kx::CategoryElementName(row)));
            e.SetAttribute(W(n::kName), kx::ToWide(c.name));
            e.SetAttribute(W(n::kVisibleList), kx::ToWide(kx::FormatSettingsBool(c.VisibleList)));
            e.SetAttribute(W(n::kVisibleIcon), kx::ToWide(kx::FormatSettingsBool(c.VisibleIcon)));
            e.SetAttribute(W(n::kQuery), kx::ToWide(c.query));
            e.SetAttribute(W(n::kIcon), kx::ToWide(c.Icon));
        }
    }

    if (v.reportPlace) {
        AppendValue(settings, n::kReportLeft, kx::FormatSettingsInt(v.reportPlace->left));
        AppendValue(settings, n::kReportTop, kx::FormatSettingsInt(v.reportPlace->top));
        AppendValue(settings, n::kReportWidth, kx::FormatSettingsInt(v.reportPlace->width));
        AppendValue(settings, n::kReportHeight, kx::FormatSettingsInt(v.reportPlace->height));
    }

    // The new file must read back before it replaces the old one: a writer
    // that gets an encoding wrong (Wine's writes UTF-8 under a UTF-16
    // declaration) must not leave a file that no later start can read.
    try {
        WriteThroughTemporary(path_, [&](const std::wstring &temporary) {
            document.Save(temporary);
            TXmlDocument check;
            check.Load(temporary);
            SettingsOf(check, temporary);
        });
    } catch (const kx::Error &e) {
        throw kx::Error("Настройки не сохранены, файл " + kx::ToUtf8(path_) + " оставлен как был: " + e.what());
    }
}
