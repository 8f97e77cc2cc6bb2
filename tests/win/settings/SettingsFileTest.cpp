// KXSettings.xml through the platform's XML parser: the default and minimal
// documents, the round trip, category tables of any length, what survives a
// write, the replaced file's backup, and files that are never touched.
#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

#include "SettingsFile.h"
#include "XmlDocument.h"

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/settings.h"
#include "kx/text.h"

using namespace settest;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    TempFolder folder;
    const std::wstring path = folder.File(L"KXSettings.xml");
    TSettingsFile file{path};

    // A file whose InfoPoints holds `rows` default-like categories.
    static std::string WithRows(int rows)
    {
        std::string doc = kx::DefaultSettingsDocument();
        const size_t from = doc.find("<InfoPoints1 "), to = doc.find("</InfoPoints>");
        std::string list;
        for (int i = 1; i <= rows; ++i)
            list += "<InfoPoints" + std::to_string(i) + " name=\"Категория " + std::to_string(i) +
                    "\" VisibleList=\"" + (i % 2 ? "true" : "false") + "\" VisibleIcon=\"1\" query=\"q" +
                    std::to_string(i) + "\" Icon=\"Ic" + std::to_string(i) + "\"/>\r\n";
        return doc.substr(0, from) + list + doc.substr(to);
    }
};

kx::SettingsValues SampleValues()
{
    kx::SettingsValues v;
    v.loadKT = true;
    v.loadIT = false;
    v.iconNum = 166;
    v.groupId = -1;
    v.carId = 12;
    v.begin = kx::EncodeDate(2009, 2, 4) + kx::EncodeTime(8, 30, 5);
    v.end = kx::EncodeDate(2009, 2, 6) + kx::EncodeTime(23, 59, 0);
    v.speed = "25x";
    v.stops = false;
    v.cont = "125";
    v.categories = kx::DefaultInfoPointCategories();
    v.categories[2].VisibleIcon = false;
    v.categories[4].VisibleList = false;
    // Texts that need escaping in an attribute.
    v.categories[0].name = "Точки <\"A\" & 'B'>";
    v.categories.push_back({"Четырнадцатая", "extra-one", true, false, "IcQ"});
    return v;
}

void ExpectSameValues(const kx::SettingsValues &want, const TSettingsRead &got)
{
    ASSERT_EQ(TSettingsStep::Done, got.stoppedAt) << got.error;
    EXPECT_EQ(want.loadKT, got.values.loadKT);
    EXPECT_EQ(want.loadIT, got.values.loadIT);
    EXPECT_EQ(want.iconNum, got.values.iconNum);
    EXPECT_EQ(want.groupId, got.restore.groupId.value_or(-999));
    EXPECT_EQ(want.carId, got.restore.carId.value_or(-999));
    EXPECT_TRUE(kx::SameWholeSecond(want.begin, got.restore.begin.value_or(0)));
    EXPECT_TRUE(kx::SameWholeSecond(want.end, got.restore.end.value_or(0)));
    EXPECT_EQ(want.speed, got.values.speed);
    EXPECT_EQ(want.stops, got.values.stops);
    EXPECT_EQ(want.cont, got.values.cont);
    EXPECT_EQ(want.categories, got.values.categories);
    EXPECT_EQ(static_cast<int>(want.categories.size()), got.rowsRead);
}

TEST_F(SettingsFile, NoFileGetsTheDefaultDocumentByteForByte)
{
    const TSettingsRead r = file.Read();
    EXPECT_EQ(kx::DefaultSettingsDocument(), ReadBytes(path));
    EXPECT_FALSE(r.replacedByDefault);
    kx::SettingsValues defaults = kx::DefaultSettings();
    ExpectSameValues(defaults, r);
    EXPECT_FALSE(Exists(path + L".tmp"));
}

TEST_F(SettingsFile, FolderThatTakesNoFileReadsNothingAndSaysNothing)
{
    const TSettingsFile nowhere(folder.File(L"missing\\KXSettings.xml"));
    const TSettingsRead r = nowhere.Read();
    EXPECT_TRUE(r.absent);
    EXPECT_FALSE(r.Reached(TSettingsStep::LoadKT));
    EXPECT_TRUE(r.error.empty());
}

TEST_F(SettingsFile, WriteThenReadKeepsEveryValueFromEitherStart)
{
    const kx::SettingsValues v = SampleValues();
    // From no file (the minimal document first) and over the default one.
    for (bool fromDefault : {false, true}) {
        SCOPED_TRACE(fromDefault ? "over the default document" : "from no file");
        DeleteFileW(path.c_str());
        if (fromDefault)
            WriteBytes(path, kx::DefaultSettingsDocument());
        file.Write(v, false);
        ExpectSameValues(v, file.Read());
        // Written again from what was read, the file stays the same.
        const std::string once = ReadBytes(path);
        file.Write(v, false);
        EXPECT_EQ(once, ReadBytes(path));
    }
}

TEST_F(SettingsFile, WrittenFormIsOrderedLowerCaseAndInTheRootsNamespace)
{
    file.Write(SampleValues(), false);
    const std::string text = ReadBytes(path);
    const char *order[] = {">true</LoadKT>", ">false</LoadIT>", ">-1</GroupID>", ">166</IconNum>", ">12</CarID>",
                           ">04.02.2009 08:30:05</DateTimeBegin>", ">06.02.2009 23:59:00</DateTimeEnd>",
                           ">25x</Speed>", ">false</Stops>", ">125</Cont>", ">14</InfoPointsCount>", "<InfoPoints",
                           "name=\"Четырнадцатая\" VisibleList=\"true\" VisibleIcon=\"false\" "
                           "query=\"extra-one\" Icon=\"IcQ\""};
    size_t at = 0;
    for (const char *part : order) {
        const size_t found = text.find(part, at);
        ASSERT_NE(std::string::npos, found) << part << " missing or out of order in\n" << text;
        at = found;
    }
    EXPECT_EQ(std::string::npos, text.find("True")) << "booleans are written in lower case";

    TXmlDocument doc;
    doc.Load(path);
    const TXmlElement settings = doc.Root().ChildAt(0);
    ASSERT_TRUE(settings);
    EXPECT_EQ(L"Settings", settings.Name());
    EXPECT_EQ(12, settings.ChildCount());
}

TEST_F(SettingsFile, CategoryTablesOfAnyLengthFollowTheElementsNotTheCount)
{
    for (int rows : {1, 5, 13, 20}) {
        SCOPED_TRACE(rows);
        WriteBytes(path, WithRows(rows));  // InfoPointsCount still says 13
        const TSettingsRead r = file.Read();
        ASSERT_EQ(TSettingsStep::Done, r.stoppedAt) << r.error;
        ASSERT_EQ(static_cast<size_t>(rows), r.values.categories.size());
        const kx::TInfoPoints &last = r.values.categories.back();
        EXPECT_EQ("Категория " + std::to_string(rows), last.name);
        EXPECT_EQ("q" + std::to_string(rows), last.query);
        EXPECT_EQ(rows % 2 == 1, last.VisibleList);
        EXPECT_TRUE(last.VisibleIcon) << "a number counts as a boolean";
    }
}

TEST_F(SettingsFile, ReadDoesNotDependOnWhitespaceLineEndsOrByteOrderMark)
{
    const std::string doc = kx::DefaultSettingsDocument();
    std::string lf = kx::ReplaceAll(doc, "\r\n", "\n");
    std::string oneLine = kx::ReplaceAll(doc, "\r\n", "");
    std::string indented = kx::ReplaceAll(doc, "\r\n<", "\r\n  \t<");
    std::string withComments = kx::ReplaceAll(doc, "</LoadIT>", "</LoadIT><!-- note -->");
    withComments = kx::ReplaceAll(withComments, "<InfoPoints1 ", "<!-- first --><InfoPoints1 ");
    for (const std::string &variant : {lf, lf.substr(3), oneLine, indented, withComments}) {
        WriteBytes(path, variant);
        ExpectSameValues(kx::DefaultSettings(), file.Read());
    }
}

TEST_F(SettingsFile, EverythingOutsideSettingsSurvivesAWriteButExtrasInsideDoNot)
{
    std::string doc = kx::DefaultSettingsDocument();
    doc = Replaced(doc, "<AppSettings ", "<!-- kept -->\r\n<AppSettings version=\"3\" ");
    doc = Replaced(doc, "<Stops>", "<Extra>inside</Extra><Stops>");
    doc = Replaced(doc, "</AppSettings>", "<Other kind=\"a\">beside<Deep>x</Deep></Other></AppSettings>");
    WriteBytes(path, doc);
    file.Write(SampleValues(), false);

    const std::string text = ReadBytes(path);
    EXPECT_NE(std::string::npos, text.find("<!-- kept -->"));
    EXPECT_NE(std::string::npos, text.find("version=\"3\""));
    EXPECT_NE(std::string::npos, text.find("encoding=\"UTF-8\""));
    EXPECT_EQ(std::string::npos, text.find("Extra"));
    TXmlDocument written;
    written.Load(path);
    const TXmlElement other = written.Root().Find(L"Other");
    ASSERT_TRUE(other);
    EXPECT_EQ(L"a", other.Attribute(L"kind").value_or(L""));
    EXPECT_EQ(L"x", other.ChildText(L"Deep").value_or(L""));
    EXPECT_EQ(2, written.Root().ChildCount());
}

TEST_F(SettingsFile, FileWithoutCategoriesIsKeptAsBackupBeforeTheDefaultReplacesIt)
{
    const std::string empty = Replaced(DefaultWith("IconNum", "42"), "<InfoPoints>", "<InfoPoints/><Gone>");
    const std::string missing = Replaced(DefaultWith("IconNum", "43"), "<InfoPoints>", "<Renamed>");
    for (std::string original : {Replaced(empty, "</InfoPoints>", "</Gone>"), Replaced(missing, "</InfoPoints>", "</Renamed>")}) {
        WriteBytes(path + L".bak", "an older backup");
        WriteBytes(path, original);
        const TSettingsRead r = file.Read();
        EXPECT_TRUE(r.replacedByDefault);
        ExpectSameValues(kx::DefaultSettings(), r);
        EXPECT_EQ(original, ReadBytes(path + L".bak"));
        EXPECT_EQ(kx::DefaultSettingsDocument(), ReadBytes(path));
    }
}

TEST_F(SettingsFile, WriteCanKeepTheFilesOwnCategoriesUntouched)
{
    // Rows that do not even read are kept as they are.
    std::string doc = Replaced(Replaced(WithRows(3), "query=\"q2\"", "query=\"q2\" extra=\"z\""), " Icon=\"Ic2\"", "");
    WriteBytes(path, doc);
    kx::SettingsValues v = SampleValues();
    v.categories.clear();  // a read that ended before the table
    file.Write(v, true);
    const std::string text = ReadBytes(path);
    EXPECT_NE(std::string::npos, text.find(">3</InfoPointsCount>"));
    EXPECT_NE(std::string::npos, text.find("extra=\"z\""));
    EXPECT_NE(std::string::npos, text.find(">25x</Speed>"));
    TXmlDocument written;
    written.Load(path);
    EXPECT_EQ(3, written.Root().ChildAt(0).Find(L"InfoPoints").ChildCount());
}

TEST_F(SettingsFile, FilesThatAreNotPlainXmlAreNeverTouched)
{
    const std::string doc = kx::DefaultSettingsDocument();
    const std::string body = doc.substr(doc.find("<AppSettings"));
    const struct {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"cut short", doc.substr(0, doc.size() / 2)},
        {"two roots", doc + "<AppSettings/>"},
        {"internal entity", "<?xml version=\"1.0\"?><!DOCTYPE AppSettings [<!ENTITY v \"true\">]>" +
                                Replaced(body, "<LoadKT>false", "<LoadKT>&v;")},
        {"external entity", "<?xml version=\"1.0\"?><!DOCTYPE AppSettings [<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>" +
                                Replaced(body, "<Cont>60", "<Cont>&x;")},
        {"external DTD", "<?xml version=\"1.0\"?><!DOCTYPE AppSettings SYSTEM \"settings.dtd\">" + body},
        {"entity expansion", "<?xml version=\"1.0\"?><!DOCTYPE AppSettings [<!ENTITY a \"aaaaaaaaaa\">"
                             "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>" +
                                 Replaced(body, "<Cont>60", "<Cont>&c;")},
        {"root without children", "<?xml version=\"1.0\"?><AppSettings xmlns=\"urn:x\"/>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.bytes);
        DeleteFileW((path + L".bak").c_str());
        EXPECT_THROW(file.Read(), kx::Error);
        EXPECT_THROW(file.Write(SampleValues(), false), kx::Error);
        EXPECT_EQ(c.bytes, ReadBytes(path));
        EXPECT_FALSE(Exists(path + L".bak"));
        EXPECT_FALSE(Exists(path + L".tmp"));
    }
}

TEST_F(SettingsFile, AFailedReplaceLeavesTheOldFileWhole)
{
    WriteBytes(path, kx::DefaultSettingsDocument());
    // The temporary file's name is taken by a folder: saving it fails.
    ASSERT_TRUE(CreateDirectoryW((path + L".tmp").c_str(), nullptr));
    EXPECT_THROW(file.Write(SampleValues(), false), kx::Error);
    EXPECT_EQ(kx::DefaultSettingsDocument(), ReadBytes(path));
    RemoveDirectoryW((path + L".tmp").c_str());
}

TEST_F(SettingsFile, AWriteEitherReadsBackOrLeavesTheOldFile)
{
    // Declared and stored as UTF-16: a writer that gets the encoding wrong
    // would leave a file no start can read.
    const std::string utf16 = Utf16Le(Replaced(kx::DefaultSettingsDocument().substr(3), "UTF-8", "UTF-16"), true);
    WriteBytes(path, utf16);
    ASSERT_EQ(TSettingsStep::Done, file.Read().stoppedAt);
    try {
        file.Write(SampleValues(), false);
        ExpectSameValues(SampleValues(), file.Read());
    } catch (const kx::Error &e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("не сохранены")) << e.what();
        EXPECT_EQ(utf16, ReadBytes(path));
    }
    EXPECT_FALSE(Exists(path + L".tmp"));
}

TEST_F(SettingsFile, ABadValueEndsTheReadAtItsStepAndTheRestoreBlockOnlyLosesItsOwn)
{
    using Step = TSettingsStep;
    const struct {
        std::string bytes;
        Step stoppedAt;
        const char *named;  // the message names the element
    } cases[] = {
        {DefaultWith("LoadKT", "yes"), Step::LoadKT, "LoadKT"},
        {Replaced(kx::DefaultSettingsDocument(), "<LoadIT>false</LoadIT>", ""), Step::LoadIT, "LoadIT"},
        {DefaultWith("IconNum", "7a"), Step::IconNum, "IconNum"},
        {DefaultWith("IconNum", "99999999999"), Step::IconNum, "IconNum"},
        {DefaultWith("Speed", "x"), Step::Speed, "Speed"},
        {DefaultWith("Speed", "6.5x"), Step::Speed, "Speed"},
        {DefaultWith("Stops", ""), Step::Stops, "Stops"},
        {DefaultWith("Cont", "-5"), Step::Cont, "Cont"},
        {Replaced(kx::DefaultSettingsDocument(), "VisibleIcon=\"true\" query=\"blinds\"", "VisibleIcon=\"\" query=\"blinds\""),
         Step::Categories, "InfoPoints3"},
        {Replaced(kx::DefaultSettingsDocument(), "InfoPoints5 name", "InfoPoints50 name"), Step::Categories, "InfoPoints5"},
        {DefaultWith("GroupID", "seven"), Step::Done, ""},
        {DefaultWith("DateTimeEnd", "31.02.2009 00:00:00"), Step::Done, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 0) + c.named);
        WriteBytes(path, c.bytes);
        const TSettingsRead r = file.Read();
        EXPECT_EQ(static_cast<int>(c.stoppedAt), static_cast<int>(r.stoppedAt)) << r.error;
        EXPECT_NE(std::string::npos, r.error.find(c.named)) << r.error;
        EXPECT_EQ(c.bytes, ReadBytes(path)) << "a read never rewrites a file it can parse";
    }
    // A bad row leaves the rows before it filled and the table its length.
    WriteBytes(path, cases[8].bytes);
    const TSettingsRead partial = file.Read();
    EXPECT_EQ(2, partial.rowsRead);
    ASSERT_EQ(13u, partial.values.categories.size());
    EXPECT_EQ("parks", partial.values.categories[1].query);
    EXPECT_EQ(kx::TInfoPoints{}, partial.values.categories[2]);
    // The restore block's values go one by one.
    WriteBytes(path, cases[10].bytes);
    const TSettingsRead restore = file.Read();
    EXPECT_FALSE(restore.restore.groupId.has_value());
    EXPECT_EQ(0, restore.restore.carId.value_or(-1));
}

}  // namespace

namespace {

TEST_F(SettingsFile, TheReportWindowsPlaceFollowsTheCategoriesAndIsOptional)
{
    // A file without it reads as before, to its end.
    WriteBytes(path, kx::DefaultSettingsDocument());
    TSettingsRead r = file.Read();
    EXPECT_EQ(TSettingsStep::Done, r.stoppedAt);
    EXPECT_FALSE(r.reportPlace.has_value());
    // Written, it reads back, and so does everything else, in full.
    kx::SettingsValues v = SampleValues();
    v.reportPlace = kx::WindowPlace{-20, 40, 700, 450};
    file.Write(v, false);
    r = file.Read();
    EXPECT_EQ(TSettingsStep::Done, r.stoppedAt) << r.error;
    ASSERT_TRUE(r.reportPlace.has_value());
    EXPECT_EQ(*v.reportPlace, *r.reportPlace);
    ExpectSameValues(v, r);
    const std::string text = ReadBytes(path);
    ASSERT_NE(std::string::npos, text.find(">-20</ReportLeft>")) << text;
    EXPECT_LT(text.find("</InfoPoints>"), text.find("<ReportLeft")) << text;
    // A size that is no size, or a value that is no number, loses the place and nothing else.
    for (const char *bad : {">0</ReportWidth>", ">wide</ReportWidth>"}) {
        std::string changed = text;
        const size_t at = changed.find(">700</ReportWidth>");
        ASSERT_NE(std::string::npos, at) << changed;
        changed.replace(at, std::string(">700</ReportWidth>").size(), bad);
        WriteBytes(path, changed);
        r = file.Read();
        EXPECT_FALSE(r.reportPlace.has_value()) << bad;
        EXPECT_EQ(TSettingsStep::Done, r.stoppedAt) << bad;
    }
}

}  // namespace
