#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kx/datetime.h"
#include "kx/error.h"
#include "kx/selection.h"

using namespace kx;

TEST(DateTime, DayZeroAndKnownDates) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);  // 1900 is not a leap year
    EXPECT_EQ(EncodeDate(2009, 2, 6), 39850.0);
    const CivilDateTime c = DecodeDateTime(EncodeDate(2000, 2, 29) + EncodeTime(23, 59, 59));
    EXPECT_EQ(c.year, 2000);
    EXPECT_EQ(c.month, 2);
    EXPECT_EQ(c.day, 29);
    EXPECT_EQ(c.hour, 23);
    EXPECT_EQ(c.second, 59);
    // Before day 0 the fraction's magnitude is the time of day.
    const CivilDateTime before = DecodeDateTime(-1.25);
    EXPECT_EQ(before.day, 29);
    EXPECT_EQ(before.hour, 6);
    EXPECT_EQ(EncodeDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
}

TEST(DateTime, RejectsInvalidFields) {
    EXPECT_THROW(EncodeDate(2001, 2, 29), Error);
    EXPECT_THROW(EncodeDate(2001, 13, 1), Error);
    EXPECT_THROW(EncodeTime(24, 0, 0), Error);
    EXPECT_THROW(DecodeDateTime(std::nan("")), Error);
    EXPECT_THROW(DecodeDateTime(1e12), Error);
}

TEST(DateTime, WholeSecondsRoundHalvesToEven) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.5000001), 3);
    EXPECT_EQ(DaysToWholeSeconds(1.5 / 86400), 2);
    EXPECT_EQ(DaysToWholeSeconds(90.0 / 1440), 5400);
    EXPECT_THROW(RoundHalfEven(std::numeric_limits<double>::infinity()), Error);
}

TEST(DateTime, FixedFormRoundTripsAndIsStrict) {
    const TDateTime t = EncodeDateTime({2009, 2, 6, 7, 5, 9, 0});
    EXPECT_EQ(FormatFixedDateTime(t), "06.02.2009 07:05:09");
    EXPECT_EQ(ParseFixedDateTime("06.02.2009 07:05:09"), t);
    // Millisecond noise from arithmetic must not change the text.
    EXPECT_EQ(FormatFixedDateTime(t + 0.0004 / 86400), "06.02.2009 07:05:09");
    // A time that rounds up to midnight carries into the next day.
    EXPECT_EQ(FormatFixedDateTime(EncodeDate(2009, 2, 6) + 1 - 1e-10), "07.02.2009 00:00:00");
    for (const char* bad : {"", "6.02.2009 07:05:09", "31.02.2009 00:00:00", "06.02.2009 24:00:00",
                            "06-02-2009 07:05:09", "06.02.2009 07:05:09 "}) {
        EXPECT_THROW(ParseFixedDateTime(bad), Error) << bad;
    }
}

TEST(DateTime, LocaleFormatting) {
    const TDateTime t = EncodeDateTime({2009, 2, 6, 15, 4, 5, 0});
    EXPECT_EQ(FormatDisplayDateTime(t, LocaleDateFormat::Russian()), "06.02.2009 15:04:05");
    EXPECT_EQ(FormatDisplayDateTime(t, LocaleDateFormat::EnglishUs()), "2/6/2009 3:04:05 PM");
    EXPECT_EQ(FormatTime(EncodeTime(0, 30, 0), LocaleDateFormat::EnglishUs()), "12:30:00 AM");
    EXPECT_TRUE(SameWholeSecond(t, t + 0.4 / 86400));
    EXPECT_FALSE(SameWholeSecond(t, t + 1.0 / 86400));
}

TEST(DateTime, LocaleParsing) {
    const auto ru = LocaleDateFormat::Russian();
    const auto us = LocaleDateFormat::EnglishUs();
    const TDateTime t = EncodeDateTime({2009, 2, 6, 15, 4, 5, 0});
    EXPECT_EQ(ParseLocaleDateTime("06.02.2009 15:04:05", ru), t);
    EXPECT_EQ(ParseLocaleDateTime("6.2.2009 15:04:05", ru), t);
    EXPECT_EQ(ParseLocaleDateTime("2/6/2009 3:04:05 PM", us), t);
    EXPECT_EQ(ParseLocaleDateTime("2/6/2009 15:04:05", us), t);
    EXPECT_EQ(ParseLocaleDateTime("2/6/2009 12:00:00 am", us), EncodeDate(2009, 2, 6));
    EXPECT_EQ(ParseLocaleDateTime("06.02.2009", ru), EncodeDate(2009, 2, 6));
    EXPECT_EQ(ParseLocaleDateTime("06.02.09 15:04", ru), EncodeDateTime({2009, 2, 6, 15, 4, 0, 0}));
    // Never a silent 0.
    for (const char* bad : {"", "   ", "garbage", "2/6/2009 3:04:05 PM", "06.02.2009 25:00:00",
                            "06.02.2009 13:00:00 PM", "30.02.2009", "06.02.2009x"}) {
        EXPECT_THROW(ParseLocaleDateTime(bad, ru), Error) << bad;
    }
    EXPECT_THROW(ParseLocaleDateTime("13/1/2009", us), Error);
    try {
        ParseLocaleDateTime("abc", ru);
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("\"abc\""), std::string::npos);
    }
}

TEST(DateTime, DurationTexts) {
    EXPECT_EQ(ParseDurationSeconds("03:04:05"), 3 * 3600 + 4 * 60 + 5);
    EXPECT_EQ(ParseDurationSeconds("2 03:04:05"), 2 * 86400 + 3 * 3600 + 4 * 60 + 5);
    EXPECT_EQ(ParseDurationSeconds("1 00:00:05"), 86405);
    EXPECT_EQ(ParseDurationSeconds("12 00:00:00"), 12 * 86400);
    EXPECT_DOUBLE_EQ(ParseDurationDays("12:00:00"), 0.5);
    for (const char* bad : {"", "3:4:5", "x 00:00:05", "00:60:00", "24:00:00", "00:00:05 1", "-1 00:00:00"})
        EXPECT_THROW(ParseDurationSeconds(bad), Error) << bad;
}

TEST(DateTime, CombinesPickerDateAndTime) {
    const TDateTime date = EncodeDate(2009, 2, 6) + EncodeTime(11, 0, 0);
    const TDateTime time = EncodeDate(1999, 1, 1) + EncodeTime(8, 30, 0);
    EXPECT_EQ(FormatFixedDateTime(CombineDateTime(date, time)), "06.02.2009 08:30:00");
}

TEST(Selection, DeviceNumbersAndPeriodTexts) {
    EXPECT_EQ(DeviceFromComboText(""), 0);
    EXPECT_EQ(DeviceFromComboText("1234"), 1234);
    EXPECT_THROW(DeviceFromComboText("12ab"), Error);
    EXPECT_TRUE(SameDevice("7", "007"));
    EXPECT_FALSE(SameDevice("70", "007"));
    EXPECT_THROW(SameDevice("7", "seven"), Error);
    EXPECT_EQ(PeriodText(EncodeDate(2009, 2, 6) + 0.9, EncodeTime(0, 5, 0)), "06.02.2009 00:05:00");
}
