// Numbers as a spreadsheet shows them, one family of format codes at a time.
#include "documents/numberformat.h"
#include "documents/textwriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <random>

using numberformat::builtInFormat;
using numberformat::formatNumber;
using numberformat::NumberFormat;

namespace {

QString fmt(double value, const char16_t *code, bool date1904 = false) {
    return formatNumber(value, QStringView(code), date1904);
}

TEST(NumberFormat, GeneralIsTheShortestRoundTrip) {
    EXPECT_EQ(fmt(1250, u"General"), u"1250");
    EXPECT_EQ(fmt(0.1, u"General"), u"0.1");
    EXPECT_EQ(fmt(-2.5, u""), u"-2.5");
    EXPECT_EQ(fmt(1e300, u"General"), u"1e+300");
    EXPECT_EQ(fmt(0, u"General"), u"0");
}

TEST(NumberFormat, FixedDecimalsRoundHalfUpOnTheShownDigits) {
    EXPECT_EQ(fmt(3.14159, u"0.00"), u"3.14");
    EXPECT_EQ(fmt(2.675, u"0.00"), u"2.68"); // 2.67499999... in binary
    EXPECT_EQ(fmt(0.5, u"0"), u"1");
    EXPECT_EQ(fmt(9.999, u"0.00"), u"10.00");
    EXPECT_EQ(fmt(0.5, u"#.00"), u".50");
    EXPECT_EQ(fmt(1.5, u"0.0#"), u"1.5");
    EXPECT_EQ(fmt(7, u"000"), u"007");
    EXPECT_EQ(fmt(-3.2, u"0.0"), u"-3.2");
    EXPECT_EQ(fmt(-0.001, u"0.00"), u"0.00");
    EXPECT_EQ(fmt(123456789012, u"0"), u"123456789012");
}

TEST(NumberFormat, ThousandsSeparatorsAndScaling) {
    EXPECT_EQ(fmt(1250, u"#,##0"), u"1,250");
    EXPECT_EQ(fmt(1234567.891, u"#,##0.00"), u"1,234,567.89");
    EXPECT_EQ(fmt(999, u"#,##0"), u"999");
    EXPECT_EQ(fmt(0, u"#,##0"), u"0");
    EXPECT_EQ(fmt(-1234, u"#,##0"), u"-1,234");
    EXPECT_EQ(fmt(1500000, u"0.0,,\"M\""), u"1.5M");
    EXPECT_EQ(fmt(25000, u"#,##0,\"K\""), u"25K");
}

TEST(NumberFormat, PercentAndScientific) {
    EXPECT_EQ(fmt(0.15, u"0%"), u"15%");
    EXPECT_EQ(fmt(0.12345, u"0.00%"), u"12.35%");
    EXPECT_EQ(fmt(0.15, u"0.00%"), u"15.00%");
    EXPECT_EQ(fmt(12345.678, u"0.00E+00"), u"1.23E+04");
    EXPECT_EQ(fmt(0.000123, u"0.00E+00"), u"1.23E-04");
    EXPECT_EQ(fmt(9.999, u"0.00E+00"), u"1.00E+01");
    EXPECT_EQ(fmt(12345, u"##0.0E+0"), u"12.3E+3");
}

TEST(NumberFormat, CurrencyAndLiteralText) {
    EXPECT_EQ(fmt(1250, builtInFormat(7).utf16()), u"$1,250.00");
    EXPECT_EQ(fmt(-1250, builtInFormat(7).utf16()), u"($1,250.00)");
    EXPECT_EQ(fmt(1250.5, u"[$€-407] #,##0.00"), u"€ 1,250.50");
    EXPECT_EQ(fmt(1250.5, u"#,##0.00 [$€-1]"), u"1,250.50 €");
    EXPECT_EQ(fmt(99, u"\"Total: \"0\" units\""), u"Total: 99 units");
    EXPECT_EQ(fmt(5, u"0\\ \\k\\g"), u"5 kg");
    EXPECT_EQ(fmt(5551234567, u"(###) ###-####"), u"(555) 123-4567");
    EXPECT_EQ(fmt(123456789, u"000-00-0000"), u"123-45-6789");
    // Accounting formats: the fill is left out, so "$1,234.50" is found.
    EXPECT_EQ(fmt(0, builtInFormat(44).utf16()), u"$-");
    EXPECT_EQ(fmt(1234.5, builtInFormat(44).utf16()), u"$1,234.50");
}

TEST(NumberFormat, SectionsAndConditions) {
    EXPECT_EQ(fmt(-5, u"0;[Red]\"minus \"0"), u"minus 5");
    EXPECT_EQ(fmt(0, u"0;-0;\"zero\""), u"zero");
    EXPECT_EQ(fmt(0, u"0;-0;;@"), u"");
    EXPECT_EQ(fmt(150, u"[>=100]\"big \"0;[<100]\"small \"0"), u"big 150");
    EXPECT_EQ(fmt(50, u"[>=100]\"big \"0;[<100]\"small \"0"), u"small 50");
}

TEST(NumberFormat, Fractions) {
    EXPECT_EQ(fmt(1.5, u"# ?/?"), u"1 1/2");
    EXPECT_EQ(fmt(0.75, u"?/?"), u"3/4");
    EXPECT_EQ(fmt(3.14159, u"# ??"
                           u"/??"),
              u"3 14/99");
    EXPECT_EQ(fmt(2.375, u"# ?/8"), u"2 3/8");
    EXPECT_EQ(fmt(4, u"# ?/?"), u"4");
    // Numbers and denominators past what a fraction's integers hold show the
    // number as it is, never an overflowed fraction.
    EXPECT_EQ(fmt(1e300, u"# ?/?"), u"1e+300");
    EXPECT_EQ(fmt(1e17, u"????"
                        u"/????"),
              u"1e+17");
    EXPECT_EQ(fmt(0.5, u"# ?/99999999999999999999"), u"0.5");
    EXPECT_EQ(fmt(2e9, u"?/999999999"), u"2000000000");
}

TEST(NumberFormat, DatesByBothDateSystems) {
    EXPECT_EQ(fmt(45657, builtInFormat(14).utf16()), u"12/31/2024");
    EXPECT_EQ(fmt(45657, u"yyyy-mm-dd"), u"2024-12-31");
    EXPECT_EQ(fmt(45657, u"dddd, mmmm d, yyyy"), u"Tuesday, December 31, 2024");
    EXPECT_EQ(fmt(45657, u"d-mmm-yy"), u"31-Dec-24");
    EXPECT_EQ(fmt(45657, u"mmmmm"), u"D");
    EXPECT_EQ(fmt(1, u"m/d/yyyy"), u"1/1/1900");
    EXPECT_EQ(fmt(60, u"m/d/yyyy"), u"2/29/1900");
    EXPECT_EQ(fmt(61, u"m/d/yyyy"), u"3/1/1900");
    EXPECT_EQ(fmt(0, u"m/d/yyyy", true), u"1/1/1904");
    EXPECT_EQ(fmt(44195, u"m/d/yyyy", true), u"12/31/2024");
    EXPECT_EQ(fmt(-1, u"m/d/yyyy"), u"-1"); // no date: the number as it is
    EXPECT_EQ(fmt(3e6, u"m/d/yyyy"), u"3000000");
}

TEST(NumberFormat, TimesElapsedAndTwelveHour) {
    EXPECT_EQ(fmt(0.75, u"h:mm"), u"18:00");
    EXPECT_EQ(fmt(0.75, u"h:mm AM/PM"), u"6:00 PM");
    EXPECT_EQ(fmt(0.25, u"hh:mm:ss am/pm"), u"06:00:00 am");
    EXPECT_EQ(fmt(0, u"h:mm A/P"), u"12:00 A");
    EXPECT_EQ(fmt(1.5, u"[h]:mm:ss"), u"36:00:00");
    EXPECT_EQ(fmt(0.5 / 1440, u"mm:ss.0"), u"00:30.0");
    EXPECT_EQ(fmt(45657.5, u"m/d/yyyy h:mm"), u"12/31/2024 12:00");
    // 23:59:59.6 rounds to the next day, not to 24:00:00.
    EXPECT_EQ(fmt(45657 + 86399.6 / 86400, u"yyyy-mm-dd hh:mm:ss"), u"2025-01-01 00:00:00");
}

TEST(NumberFormat, BuiltInTableAndOddCodes) {
    EXPECT_EQ(builtInFormat(0), u"General");
    EXPECT_EQ(builtInFormat(9), u"0%");
    EXPECT_TRUE(builtInFormat(30).isEmpty());
    EXPECT_TRUE(builtInFormat(50).isEmpty());
    EXPECT_TRUE(builtInFormat(-1).isEmpty());
    // Unclosed quotes and brackets, and lone symbols, do not trip the parser.
    EXPECT_EQ(fmt(1, u"0\"abc"), u"1abc");
    EXPECT_EQ(fmt(1, u"[Red"), u"");
    EXPECT_EQ(fmt(1, u";;;"), u"");
    EXPECT_EQ(fmt(std::numeric_limits<double>::infinity(), u"0.00"), u"inf");
}

// The text written straight into a document's text takes a shorter way for
// the usual decimal formats: it must show what format() shows, in every case
// where the two ways could part (rounding up a digit, grouping, padding with
// zeros, a minus that rounds away, text around the number, scaling).
TEST(NumberFormat, WrittenStraightIntoTextAsFormatShowsIt) {
    std::vector<QString> codes;
    for (int id = 0; id < 50; ++id)
        codes.push_back(builtInFormat(id).toString());
    for (const char16_t *code : {u"0.000",
                                 u"#,##0.0",
                                 u"00000",
                                 u"#0",
                                 u"0.0%",
                                 u"#,##0,",
                                 u"#,##0,,\"M\"",
                                 u"[$€-407] #,##0.00",
                                 u"0.00_);[Red](0.00)",
                                 u"#,##0;-#,##0;\"zero\"",
                                 u"#",
                                 u"#.##",
                                 u"0.",
                                 u"#,###",
                                 u"\\$0.00",
                                 u"#,##0.00 \"kr\"",
                                 u".00",
                                 u"0.0,",
                                 u"#0#",
                                 u"000.000",
                                 u"0.00000000000000000000",
                                 u"0 %",
                                 u"0.0#",
                                 u"0.00;0.00",
                                 u"\u00a00.00\u3000",
                                 u"[>=100]0;0.0",
                                 u"#,##0.00_ ;[Red]\\-#,##0.00\\ "})
        codes.push_back(QString::fromUtf16(code));
    const double listed[] = {0,
                             -0.0,
                             1,
                             -1,
                             0.5,
                             -0.5,
                             0.005,
                             -0.004,
                             999.995,
                             -999.5,
                             9.9999,
                             0.30000000000000004,
                             1e15,
                             1.5e16,
                             1e-7,
                             -1234.5678,
                             1e300,
                             5e-324,
                             123.45,
                             45000.75,
                             99999999999.99,
                             1234567890123456789.0,
                             2.675,
                             1.005,
                             0.125,
                             -0.0049,
                             0.995,
                             999999999999999};
    std::vector<double> values(std::begin(listed), std::end(listed));
    std::mt19937_64 random(23);
    for (int i = 0; i < 300; ++i) // short decimals of every size, either sign
        values.push_back(double(qint64(random() % 2000000) - 1000000) /
                         std::pow(10.0, int(random() % 12)));
    for (const QString &code : codes) {
        const NumberFormat format(code);
        for (const double value : values) {
            QString written = QStringLiteral("x");
            {
                TextWriter out(written, 1 << 20);
                format.appendTo(out, value);
            }
            EXPECT_EQ(written.sliced(1), format.format(value))
                << code.toStdString() << " " << value;
        }
    }
}

// Fifteen significant digits are shown as the C library rounds the exact
// binary value: numbers of few digits (read the quick way), of many digits,
// and halfway cases, at every magnitude a decimal format shows.
TEST(NumberFormat, FifteenSignificantDigitsAsTheExactValueRounds) {
    std::vector<double> values = {1.25,
                                  2.675,
                                  9.995,
                                  0.1,
                                  0.3,
                                  1.005,
                                  123.456,
                                  1e-5,
                                  0.7,
                                  99999999999999.9,
                                  999999999999999,
                                  1.000030517578125,
                                  0.30000000000000004,
                                  4.35,
                                  1234567.891,
                                  45657.75};
    std::mt19937_64 random(17);
    for (int i = 0; i < 3000; ++i) {
        const double magnitude = std::pow(10.0, int(random() % 20) - 5);
        const double mantissa = 1 + double(random() % 9000000) / 1e6;
        values.push_back(i % 2 ? mantissa * magnitude
                               : std::uniform_real_distribution<double>(1, 10)(random) * magnitude);
    }
    for (const double v : values) {
        char scientific[64];
        std::snprintf(scientific, sizeof scientific, "%.14e", v);
        const int decimals = 14 - std::atoi(std::strchr(scientific, 'e') + 1);
        if (decimals < 0)
            continue;
        const QString code =
            decimals == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(decimals, u'0');
        char fixed[128];
        std::snprintf(fixed, sizeof fixed, "%.*f", decimals, v);
        EXPECT_EQ(formatNumber(v, code), QString::fromLatin1(fixed)) << scientific;
    }
}

} // namespace
