#include <gtest/gtest.h>

#include <cmath>

#include "kx/error.h"
#include "kx/infopoints.h"
#include "kx/settings.h"
#include "kx/text.h"

using namespace kx;

TEST(InfoPoints, DefaultTableAndQueries) {
    const auto rows = DefaultInfoPointCategories();
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[1].query, "parks");  // stops for skipping come from row 2
    EXPECT_EQ(rows[5].Icon, "IcZ");
    EXPECT_EQ(rows[12].name, "Включения датчика №6");
    for (const auto& r : rows) EXPECT_TRUE(r.VisibleList && r.VisibleIcon);

    const EntriesQuery tank = SplitQuery("tank-num1");
    EXPECT_EQ(tank.type, "tank");
    EXPECT_EQ(tank.kind, "num1");
    EXPECT_TRUE(tank.hasKind);
    EXPECT_FALSE(SplitQuery("power_off").hasKind);
    EXPECT_EQ(SplitQuery("a-b-c").kind, "b-c");

    EXPECT_EQ(FourthColumnCaption("over_speed"), "Скорость");
    EXPECT_EQ(FourthColumnCaption("tank-num2"), "Объем, л");
    EXPECT_EQ(FourthColumnCaption("Over_Speed"), "Прод-ть");  // exact comparison
}

TEST(InfoPoints, ValueTexts) {
    EntryValues v;
    v.duration = "00:05:00";
    v.speed = 87.125;
    v.tank1Begin = 50;
    v.tank1End = 37.75;  // -12.25: halves go to even
    EXPECT_EQ(EntryMapText(EntryValue::Speed, v), "87.12 км/ч");
    EXPECT_EQ(EntryMapText(EntryValue::Tank1, v), "-12.2 л");
    EXPECT_EQ(EntryMapText(EntryValue::Duration, v), "00:05:00");
    EXPECT_EQ(EntryListValue(EntryValue::Speed, v, ','), "87,125");
    EXPECT_EQ(EntryListValue(EntryValue::Tank2, v), "0");
    // A drain of a tank row shows the drain icon.
    EXPECT_EQ(IconKeyFor("IcZ", EntryMapText(EntryValue::Tank1, v)), "IcX");
    EXPECT_EQ(IconKeyFor("IcZ", "12.4 л"), "IcZ");
    EXPECT_EQ(IconKeyFor("IcP", "-"), "IcP");
}

TEST(InfoPoints, DurationFilter) {
    EXPECT_TRUE(PassesDurationFilter("00:00:00", 0));
    EXPECT_TRUE(PassesDurationFilter("02:46:39", 9999));
    EXPECT_FALSE(PassesDurationFilter("02:46:38", 9999));
    EXPECT_TRUE(PassesDurationFilter("1 00:00:05", 86405));
    EXPECT_EQ(FilteredEntryNumbers({"00:00:10", "00:01:00", "00:00:59", "00:02:00"}, 60),
              (std::vector<int>{2, 4}));
    EXPECT_THROW(PassesDurationFilter("soon", 0), Error);
    EXPECT_EQ(ParseThresholdText(""), 0);
    EXPECT_EQ(ParseThresholdText("60"), 60);
    EXPECT_THROW(ParseThresholdText("6a"), Error);
    EXPECT_EQ(NormaliseThresholdText(""), "0");
    EXPECT_TRUE(ThresholdKeyAllowed(u'0'));
    EXPECT_FALSE(ThresholdKeyAllowed(u'x'));
}

TEST(InfoPoints, MenuAndPositions) {
    EXPECT_EQ(MenuItemRow("mnu5"), 5);
    EXPECT_EQ(MenuItemRow("mnu13"), 13);
    EXPECT_THROW(MenuItemRow("mnu"), Error);
    EXPECT_THROW(MenuItemRow("mnu-1"), Error);
    EXPECT_THROW(MenuItemRow("btn5"), Error);
    EXPECT_EQ(MenuImageIndex(5, true), 3);
    EXPECT_EQ(MenuImageIndex(5, false), 15);

    EXPECT_FALSE(EntryGeoPosition(-777, 55).has_value());
    EXPECT_FALSE(EntryGeoPosition(37, -777).has_value());
    EXPECT_EQ(EntryGeoPosition(37, 55), (TMapPoint{37, 55}));
    EXPECT_EQ(EntryGeoPosition(0, 0), (TMapPoint{0, 0}));  // a real place, drawn
    EXPECT_TRUE(HasKnownPosition(37.6, 55.7));
    EXPECT_TRUE(HasKnownPosition(-74.0, -33.0));  // western and southern hemispheres
    EXPECT_FALSE(HasKnownPosition(0, 0));
    EXPECT_FALSE(HasKnownPosition(-777, -777));
    EXPECT_FALSE(HasKnownPosition(NAN, 1));
    EXPECT_FALSE(HasKnownPosition(200, 1));
}

TEST(InfoPoints, CheckpointCircle) {
    const double r = 20015159.0526516052887 / 180.0;  // one degree of latitude
    const TMapPointArray ring = CheckpointCircleGeo(37.0, 60.0, r);
    ASSERT_EQ(ring.size(), 30u);
    EXPECT_NEAR(ring[0].X, 39.0, 1e-9);   // longitude stretched by 1 / cos 60 degrees
    EXPECT_NEAR(ring[0].Y, 60.0, 1e-9);
    EXPECT_NEAR(ring[15].X, 35.0, 1e-9);  // 180 degrees round
    EXPECT_NEAR(ring[7].Y - 60.0, std::sin(84 * M_PI / 180), 1e-9);
    for (const TMapPoint& p : CheckpointCircleGeo(0, 90, 100)) EXPECT_TRUE(std::isfinite(p.X));
    // A negative radius gives the circle of its magnitude, started half-way round.
    const TMapPointArray mirrored = CheckpointCircleGeo(1, 2, -5000), plain = CheckpointCircleGeo(1, 2, 5000);
    for (std::size_t j = 0; j < 30; ++j) {
        EXPECT_NEAR(mirrored[j].X, plain[(j + 15) % 30].X, 1e-12);
        EXPECT_NEAR(mirrored[j].Y, plain[(j + 15) % 30].Y, 1e-12);
    }
    EXPECT_THROW(CheckpointCircleGeo(NAN, 2, 5), Error);
}

TEST(InfoPoints, BalloonTextsEscapeServerData) {
    EXPECT_EQ(CheckpointBalloonText("Склад <1>", "A & B"),
              "<b><u>Контрольная точка</u></b><br />Название: Склад &lt;1&gt;<br />Адрес: A &amp; B");
    const std::string last = LastPointBalloonText("ГАЗ", "<script>", 7, "06.02.2009 10:00:00");
    EXPECT_EQ(last, "ГАЗ &lt;script&gt;<br />(№ КХ: 7,<br />Последняя точка: 06.02.2009 10:00:00)");
    EXPECT_EQ(StripLineBreaks(last), "ГАЗ &lt;script&gt;(№ КХ: 7,Последняя точка: 06.02.2009 10:00:00)");
}

TEST(Settings, ValueConversions) {
    EXPECT_TRUE(ParseSettingsBool("TRUE", "LoadKT"));
    EXPECT_FALSE(ParseSettingsBool("False", "LoadKT"));
    EXPECT_TRUE(ParseSettingsBool("-1", "LoadKT"));
    EXPECT_FALSE(ParseSettingsBool("0", "LoadKT"));
    EXPECT_THROW(ParseSettingsBool("", "LoadKT"), Error);
    try {
        ParseSettingsBool("yes", "Stops");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Stops"), std::string::npos);
    }
    EXPECT_EQ(FormatSettingsBool(true), "true");
    EXPECT_EQ(ParseSettingsInt("-1", "GroupID"), -1);
    EXPECT_THROW(ParseSettingsInt("7a", "GroupID"), Error);
    EXPECT_EQ(ParseSettingsSpeed("25X"), 25);
    EXPECT_EQ(ParseSettingsSpeed("0x"), 0);
    EXPECT_THROW(ParseSettingsSpeed("x"), Error);
    EXPECT_EQ(ValidateSettingsCont("60"), "60");
    EXPECT_THROW(ValidateSettingsCont(""), Error);
    EXPECT_THROW(ValidateSettingsCont("-5"), Error);
    EXPECT_EQ(FormatSettingsDateTime(ParseSettingsDateTime("06.06.2009 00:00:00", "DateTimeEnd")),
              "06.06.2009 00:00:00");
    EXPECT_THROW(ParseSettingsDateTime("2009-06-06", "DateTimeEnd"), Error);
    EXPECT_EQ(SettingsFilePath("C:\\Shell\\"), "C:\\Shell\\Plugins\\KXSettings.xml");
    EXPECT_EQ(CategoryElementName(13), "InfoPoints13");
}

TEST(Settings, DefaultDocuments) {
    const std::string doc = DefaultSettingsDocument();
    ASSERT_EQ(doc.substr(0, 3), "\xEF\xBB\xBF");
    std::vector<std::string> lines;
    std::size_t pos = 3;
    for (std::size_t e; (e = doc.find("\r\n", pos)) != std::string::npos; pos = e + 2)
        lines.push_back(doc.substr(pos, e - pos));
    EXPECT_EQ(pos, doc.size());  // every line ends with CR LF
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
    EXPECT_EQ(lines[3], "<LoadKT>false</LoadKT>");
    EXPECT_EQ(lines[6], "<GroupID>7</GroupID>");
    EXPECT_EQ(lines[8], "<DateTimeBegin>06.02.2007 00:00:00</DateTimeBegin>");
    EXPECT_EQ(lines[11], "<Stops>true</Stops>");
    EXPECT_EQ(lines[13], "<InfoPointsCount>13</InfoPointsCount>");
    EXPECT_EQ(lines[20], "<InfoPoints6 name=\"Заправки и сливы бака №1\" VisibleList=\"true\" "
                         "VisibleIcon=\"true\" query=\"tank-num1\" Icon=\"IcZ\"/>");
    EXPECT_EQ(lines[30], "</AppSettings>");
    const std::string minimal = MinimalSettingsDocument();
    EXPECT_EQ(minimal.find("\r\n"), minimal.size() - 2);
    EXPECT_NE(minimal.find(kSettingsNamespace), std::string::npos);
    EXPECT_NE(minimal.find("<Settings/>"), std::string::npos);
}

TEST(Settings, DefaultDocumentByteForByte) {
    const std::string expected =
        "\xEF\xBB\xBF"
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<AppSettings xmlns=\"urn:kxplayer:settings:1\">\r\n"
        "<Settings>\r\n"
        "<LoadKT>false</LoadKT>\r\n"
        "<LoadIT>false</LoadIT>\r\n"
        "<IconNum>0</IconNum>\r\n"
        "<GroupID>7</GroupID>\r\n"
        "<CarID>0</CarID>\r\n"
        "<DateTimeBegin>06.02.2007 00:00:00</DateTimeBegin>\r\n"
        "<DateTimeEnd>06.06.2009 00:00:00</DateTimeEnd>\r\n"
        "<Speed>60x</Speed>\r\n"
        "<Stops>true</Stops>\r\n"
        "<Cont>60</Cont>\r\n"
        "<InfoPointsCount>13</InfoPointsCount>\r\n"
        "<InfoPoints>\r\n"
        "<InfoPoints1 name=\"Контрольные точки\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"checkpoints-stages\" Icon=\"IcC\"/>\r\n"
        "<InfoPoints2 name=\"Список остановок\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"parks\" Icon=\"IcP\"/>\r\n"
        "<InfoPoints3 name=\"Периоды отсутствия сигнала\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"blinds\" Icon=\"IcV\"/>\r\n"
        "<InfoPoints4 name=\"Периоды пропадания питания\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"power_off\" Icon=\"IcB\"/>\r\n"
        "<InfoPoints5 name=\"Периоды превышения скорости\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"over_speed\" Icon=\"IcS\"/>\r\n"
        "<InfoPoints6 name=\"Заправки и сливы бака №1\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"tank-num1\" Icon=\"IcZ\"/>\r\n"
        "<InfoPoints7 name=\"Заправки и сливы бака №2\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"tank-num2\" Icon=\"IcZ\"/>\r\n"
        "<InfoPoints8 name=\"Включения датчика №1\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"sensor_on-num1\" Icon=\"Ic1\"/>\r\n"
        "<InfoPoints9 name=\"Включения датчика №2\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"sensor_on-num2\" Icon=\"Ic2\"/>\r\n"
        "<InfoPoints10 name=\"Включения датчика №3\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"sensor_on-num3\" Icon=\"Ic3\"/>\r\n"
        "<InfoPoints11 name=\"Включения датчика №4\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"sensor_on-num4\" Icon=\"Ic4\"/>\r\n"
        "<InfoPoints12 name=\"Включения датчика №5\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"sensor_on-num5\" Icon=\"Ic5\"/>\r\n"
        "<InfoPoints13 name=\"Включения датчика №6\" VisibleList=\"true\" VisibleIcon=\"true\" query=\"sensor_on-num6\" Icon=\"Ic6\"/>\r\n"
        "</InfoPoints>\r\n"
        "</Settings>\r\n"
        "</AppSettings>\r\n";
    EXPECT_EQ(DefaultSettingsDocument(), expected);
    EXPECT_EQ(MinimalSettingsDocument(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
              "<AppSettings xmlns=\"urn:kxplayer:settings:1\"><Settings/></AppSettings>\r\n");
}

TEST(Settings, MessagesNameTheValueAndStayShort) {
    try {
        ParseSettingsInt(std::string(5000, '7') + "Ж", "IconNum");
        FAIL();
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("IconNum"), std::string::npos);
        EXPECT_LT(text.size(), 200u);
    }
    // A cut never splits a character: "Ж" is two bytes.
    try {
        ParseSettingsBool(std::string(59, 'a') + "ЖЖ", "Stops");
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(IsValidUtf8(e.what()));
    }
}
