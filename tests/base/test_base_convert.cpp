// Text forms of numbers, dates and times, and the regional formats from the user locale.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

#include "base/Convert.h"
#include "base/DateTime.h"
#include "base/ScratchPlaces.h"

namespace {

std::string LocaleText(LCTYPE type) {
    char buffer[256];
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n - 1)) : std::string();
}

TDateTime MakeDateTime(int y, int mo, int d, int h, int mi, int s) {
    TDateTime date = 0, time = 0;
    EXPECT_TRUE(TryEncodeDate(y, mo, d, date));
    EXPECT_TRUE(TryEncodeTime(h, mi, s, 0, time));
    return date >= 0 ? date + time : date - time;
}

TFormatSettings German() {
    TFormatSettings f = TFormatSettings::FromUserLocale();
    f.DecimalSeparator = ',';
    f.DateSeparator = '.';
    f.ShortDateFormat = "dd.MM.yyyy";
    f.LongTimeFormat = "HH:mm:ss";
    f.TimeAMString = "";
    f.TimePMString = "";
    f.TwelveHourClock = false;
    return f;
}

} // namespace

TEST(TryStrToInt, AcceptsDecimalHexSignsAndLeadingBlanks) {
    const struct {
        const char* text;
        int32_t value;
    } good[] = {{"22", 22},
                {" 22", 22},
                {"   +22", 22},
                {"-22", -22},
                {"0x16", 22},
                {"0X16", 22},
                {"$16", 22},
                {"x16", 22},
                {"X16", 22},
                {"-$10", -16},
                {"0", 0},
                {"007", 7},
                {"2147483647", INT32_MAX},
                {"-2147483648", INT32_MIN},
                {"0xFFFFFFFF", -1},
                {"$80000000", INT32_MIN},
                {"0x00000000000000FF", 255},
                {"$abcdef", 0xABCDEF}};
    for (const auto& c : good) {
        int32_t v = 12345;
        EXPECT_TRUE(TryStrToInt(c.text, v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST(TryStrToInt, RejectsEverythingElse) {
    const char* bad[] = {"",
                         " ",
                         "22a",
                         "22 ",
                         "2 2",
                         "+",
                         "-",
                         "- 5",
                         "0x",
                         "$",
                         "x",
                         "0x1G",
                         "2147483648",
                         "-2147483649",
                         "99999999999999999999",
                         "0x123456789",
                         "$100000000",
                         "1.0",
                         "1e3",
                         "true",
                         "\t22",
                         "++1",
                         "0b101"};
    for (const char* text : bad) {
        int32_t v = 77;
        EXPECT_FALSE(TryStrToInt(text, v)) << text;
        EXPECT_EQ(v, 77) << text;
    }
}

TEST(FloatToStr, GeneralFormWithFifteenDigits) {
    TFormatSettings f = TFormatSettings::FromUserLocale();
    f.DecimalSeparator = '.';
    EXPECT_EQ(FloatToStr(0.0, f), "0");
    EXPECT_EQ(FloatToStr(1.5, f), "1.5");
    EXPECT_EQ(FloatToStr(-2.25, f), "-2.25");
    EXPECT_EQ(FloatToStr(100.0, f), "100");
    EXPECT_EQ(FloatToStr(1.0 / 3.0, f), "0.333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3.0, f), "0.666666666666667");
    EXPECT_EQ(FloatToStr(1e14, f), "100000000000000");
    EXPECT_EQ(FloatToStr(999999999999999.0, f), "999999999999999");
    EXPECT_EQ(FloatToStr(1e15, f), "1E15");
    EXPECT_EQ(FloatToStr(1e20, f), "1E20");
    EXPECT_EQ(FloatToStr(123456789012345678.0, f), "1.23456789012346E17");
    EXPECT_EQ(FloatToStr(0.00001, f), "0.00001");
    EXPECT_EQ(FloatToStr(0.000015, f), "0.000015");
    EXPECT_EQ(FloatToStr(1.5e-6, f), "1.5E-6");
    EXPECT_EQ(FloatToStr(-1e-300, f), "-1E-300");
    EXPECT_EQ(FloatToStr(0.1 + 0.2, f), "0.3");
    EXPECT_EQ(FloatToStr(1.5, German()), "1,5");
    EXPECT_EQ(FloatToStr(2.5e-7, German()), "2,5E-7");
}

TEST(TryStrToFloat, AcceptsTheGeneralFormOnly) {
    TFormatSettings f = TFormatSettings::FromUserLocale();
    f.DecimalSeparator = '.';
    const struct {
        const char* text;
        double value;
    } good[] = {{"1.5", 1.5},   {" -2.25 ", -2.25}, {"+3", 3},       {".5", 0.5}, {"5.", 5},
                {"1E20", 1e20}, {"1e-3", 1e-3},     {"1.5E+2", 150}, {"0", 0},    {"1e-400", 0.0}};
    for (const auto& c : good) {
        double v = 0;
        EXPECT_TRUE(TryStrToFloat(c.text, v, f)) << c.text;
        EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
    const char* bad[] = {"",    "abc",  "1,5",   "1.5.2",  "1e",    "e5",   "inf", "NAN",
                         "INF", "0x10", "1e400", "-1e999", "1 000", "1.5x", "--1", "."};
    for (const char* text : bad) {
        double v = 42;
        EXPECT_FALSE(TryStrToFloat(text, v, f)) << text;
        EXPECT_EQ(v, 42) << text;
    }
    double v = 0;
    EXPECT_TRUE(TryStrToFloat("1,5", v, German()));
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_FALSE(TryStrToFloat("1.5", v, German()));
}

TEST(FloatToStr, RoundTripsToFifteenSignificantDigits) {
    scratch::TRandom random(20240601);
    for (int i = 0; i < 5000; ++i) {
        uint64_t bits = random.Next();
        double x = 0;
        memcpy(&x, &bits, sizeof x);
        if (!std::isfinite(x)) {
            continue;
        }
        const std::string text = FloatToStr(x);
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(text, back)) << text;
        EXPECT_EQ(FloatToStr(back), text);
        if (x != 0 && std::fabs(x) > 1e-300) {
            EXPECT_LE(std::fabs(back - x) / std::fabs(x), 5e-15) << text;
        }
    }
}

TEST(DateTime, EncodesAndDecodesTheCalendar) {
    TDateTime d = -1;
    ASSERT_TRUE(TryEncodeDate(1899, 12, 30, d));
    EXPECT_EQ(d, 0);
    ASSERT_TRUE(TryEncodeDate(2000, 1, 1, d));
    EXPECT_EQ(d, 36526);
    ASSERT_TRUE(TryEncodeDate(1, 1, 1, d));
    EXPECT_EQ(d, -693593);
    ASSERT_TRUE(TryEncodeDate(9999, 12, 31, d));
    EXPECT_EQ(d, 2958465);
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, d));
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, d));
    EXPECT_FALSE(TryEncodeDate(2020, 13, 1, d));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, d));
    EXPECT_EQ(DayOfWeek0(0), 6);     // Saturday
    EXPECT_EQ(DayOfWeek0(36526), 6); // 1 January 2000, Saturday
    EXPECT_EQ(DayOfWeek0(-1.25), 5); // Friday 29 December 1899

    int y, mo, dd, h, mi, s, ms;
    ASSERT_TRUE(TryDecodeDateTime(-1.25, y, mo, dd, h, mi, s, ms));
    EXPECT_EQ(y * 10000 + mo * 100 + dd, 18991229);
    EXPECT_EQ(h, 6);
    // 23:59:59.9996 rounds into the next day rather than to 24:00.
    ASSERT_TRUE(TryDecodeDateTime(36526.0 + 86399.9996 / 86400.0, y, mo, dd, h, mi, s, ms));
    EXPECT_EQ(dd, 2);
    EXPECT_EQ(h, 0);
    EXPECT_FALSE(TryDecodeDateTime(NAN, y, mo, dd, h, mi, s, ms));
    EXPECT_FALSE(TryDecodeDateTime(1e12, y, mo, dd, h, mi, s, ms));
}

TEST(FormatSettings, ComeFromTheUserLocale) {
    const TFormatSettings& f = FormatSettings();
    EXPECT_EQ(std::string(1, f.DecimalSeparator), LocaleText(LOCALE_SDECIMAL).substr(0, 1));
    EXPECT_EQ(f.ShortDateFormat, LocaleText(LOCALE_SSHORTDATE));
    EXPECT_EQ(f.LongTimeFormat, LocaleText(LOCALE_STIMEFORMAT));
    EXPECT_EQ(f.TimeAMString, LocaleText(LOCALE_S1159));
    EXPECT_EQ(f.TimePMString, LocaleText(LOCALE_S2359));
    EXPECT_EQ(f.TwelveHourClock, LocaleText(LOCALE_ITIME) == "0");
    EXPECT_EQ(f.LongMonthNames[0], LocaleText(LOCALE_SMONTHNAME1));
    EXPECT_EQ(f.LongDayNames[0], LocaleText(LOCALE_SDAYNAME7)); // Sunday
    EXPECT_EQ(FloatToStr(1.5), std::string("1") + f.DecimalSeparator + "5");
}

TEST(FormatSettings, DatesAndTimesReadAsTheLocaleWritesThem) {
    // The platform's own formatting with the user's formats is the reference.
    scratch::TRandom random(7);
    for (int i = 0; i < 400; ++i) {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(random.Range(1601, 9999));
        st.wMonth = static_cast<WORD>(random.Range(1, 12));
        st.wDay = static_cast<WORD>(random.Range(1, DaysInMonth(st.wYear, st.wMonth)));
        st.wHour = static_cast<WORD>(random.Range(0, 23));
        st.wMinute = static_cast<WORD>(random.Range(0, 59));
        st.wSecond = static_cast<WORD>(random.Range(0, 59));
        const TDateTime value =
            MakeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
        const TDateTime dateOnly = MakeDateTime(st.wYear, st.wMonth, st.wDay, 0, 0, 0);
        const TDateTime timeOnly = MakeDateTime(1899, 12, 30, st.wHour, st.wMinute, st.wSecond);
        st.wDayOfWeek = static_cast<WORD>(DayOfWeek0(value));
        char date[128], time[128];
        ASSERT_GT(
            GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date),
            0);
        ASSERT_GT(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time), 0);
        EXPECT_EQ(DateToStr(value), date);
        EXPECT_EQ(TimeToStr(value), time);

        TDateTime back = 0;
        ASSERT_TRUE(TryStrToDate(date, back)) << date;
        EXPECT_EQ(back, dateOnly);
        ASSERT_TRUE(TryStrToTime(time, back)) << time;
        EXPECT_NEAR(back, timeOnly, 1e-9);
        ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(value), back));
        EXPECT_NEAR(back, value, 1e-8);
    }
}

TEST(FormatSettings, OtherPicturesRoundTrip) {
    TFormatSettings german = German();
    TFormatSettings names = TFormatSettings::FromUserLocale();
    names.ShortDateFormat = "dddd', 'dd MMM yyyy";
    names.LongTimeFormat = "hh'h'mm tt";
    TFormatSettings twoDigit = TFormatSettings::FromUserLocale();
    twoDigit.ShortDateFormat = "yy-M-d";
    const TDateTime v = MakeDateTime(2021, 3, 7, 15, 4, 5);
    EXPECT_EQ(DateTimeToStr(v, german), "07.03.2021 15:04:05");
    EXPECT_EQ(DateToStr(v, names),
              names.LongDayNames[0] + ", 07 " + names.ShortMonthNames[2] + " 2021");
    EXPECT_EQ(TimeToStr(v, names), "03h04 " + names.TimePMString);
    EXPECT_EQ(DateToStr(v, twoDigit), "21-3-7");
    for (const TFormatSettings* f : {&german, &names, &twoDigit}) {
        TDateTime back = 0;
        ASSERT_TRUE(TryStrToDate(DateToStr(v, *f), back, *f)) << DateToStr(v, *f);
        EXPECT_EQ(back, std::floor(v));
    }
    TDateTime back = 0;
    ASSERT_TRUE(TryStrToTime(TimeToStr(v, german), back, german));
    EXPECT_NEAR(back, v - std::floor(v), 1e-9);
    // Text in other formats does not convert.
    EXPECT_FALSE(TryStrToDate("3/7/2021", back, german));
    EXPECT_FALSE(TryStrToTime("3:04:05 PM", back, german));
}

TEST(FormatSettings, DateTimeTextEdgeCases) {
    TFormatSettings f = German();
    TDateTime v = 0;
    // Midnight leaves the time off; before 1899 the fraction still is the time of day.
    EXPECT_EQ(DateTimeToStr(MakeDateTime(2020, 1, 2, 0, 0, 0), f), "02.01.2020");
    const TDateTime old = MakeDateTime(1800, 6, 1, 18, 30, 0);
    EXPECT_EQ(DateTimeToStr(old, f), "01.06.1800 18:30:00");
    ASSERT_TRUE(TryStrToDateTime("01.06.1800 18:30:00", v, f));
    EXPECT_DOUBLE_EQ(v, old);
    ASSERT_TRUE(TryStrToDateTime(" 1.6.1800 ", v, f));
    EXPECT_EQ(v, MakeDateTime(1800, 6, 1, 0, 0, 0)); // short fields and outer blanks
    const char* bad[] = {"",
                         "abc",
                         "32.01.2020",
                         "29.02.2023",
                         "01.13.2020",
                         "01.01.2020 25:00:00",
                         "01.01.2020 x",
                         "01-01-2020",
                         "01.01.10000"};
    for (const char* text : bad) {
        EXPECT_FALSE(TryStrToDateTime(text, v, f)) << text;
    }
    TFormatSettings us = TFormatSettings::FromUserLocale();
    us.LongTimeFormat = "h:mm:ss tt";
    us.TimeAMString = "AM";
    us.TimePMString = "PM";
    ASSERT_TRUE(TryStrToTime("12:00:00 AM", v, us));
    EXPECT_EQ(v, 0);
    ASSERT_TRUE(TryStrToTime("12:30:00 pm", v, us));
    EXPECT_NEAR(v, 0.5 + 30.0 / 1440, 1e-12);
    EXPECT_FALSE(TryStrToTime("13:00:00 PM", v, us));
    EXPECT_FALSE(TryStrToTime("1:00:00", v, us));
}
