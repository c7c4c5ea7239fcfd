#include "common/FormatSignificant.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

TEST(FormatSignificant, RoundsToSignificantDigitsAndStripsZeros) {
    EXPECT_EQ(FormatSignificant(0.0, 4), "0");
    EXPECT_EQ(FormatSignificant(19952.6, 2), "20000");
    EXPECT_EQ(FormatSignificant(0.25, 4), "0.25");
    EXPECT_EQ(FormatSignificant(100.0, 4), "100");
    EXPECT_EQ(FormatSignificant(12.34567, 4), "12.35");
    EXPECT_EQ(FormatSignificant(-12.34567, 4), "-12.35");
    EXPECT_EQ(FormatSignificant(98.76543, 5), "98.765");
    EXPECT_EQ(FormatSignificant(3.2808398950131235, 4), "3.281");
}

TEST(FormatSignificant, MagnitudesOutsideTheDecadesPrintZero) {
    EXPECT_EQ(FormatSignificant(1000000.0, 4), "0");
    EXPECT_EQ(FormatSignificant(-2500000.0, 4), "0");
    EXPECT_EQ(FormatSignificant(0.0000009, 4), "0");
    EXPECT_EQ(FormatSignificant(999999.0, 4), "1000000");
    EXPECT_EQ(FormatSignificant(0.000001, 4), "0.000001");
}

// Messages show every value: where the view's text would read "0" for a number that is not 0,
// the value itself, as the C library's %.*g would print it.
TEST(FormatSignificant, MessageNumbersShowValuesTheViewsPrintAsZero) {
    for (const double v : {1e6, -2500000.0, 1e9, 6.02e23, 1e25, -1e300, 9e-7, -2.5e-7, 4.9e-324}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.4g", v);
        EXPECT_EQ(FormatValue(v, 4), expected) << v;
        EXPECT_NE(FormatValue(v, 4), "0") << v;
    }
    EXPECT_EQ(FormatValue(std::numeric_limits<double>::infinity(), 4), "inf");
    EXPECT_EQ(FormatValue(-std::numeric_limits<double>::infinity(), 4), "-inf");
    EXPECT_EQ(FormatValue(std::nan(""), 4), "nan");
    // Within the views' decades both texts are one.
    for (const double v : {0.0, 19952.6, 0.25, -12.34567, 999999.0, 0.000001})
        EXPECT_EQ(FormatValue(v, 4), FormatSignificant(v, 4)) << v;
}

TEST(FormatSignificant, IgnoresTheUserLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // A decimal-comma locale, where available, must not change the text.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(FormatSignificant(2.5, 4), "2.5");
    EXPECT_EQ(FormatValue(2.5e7, 4), "2.5e+07");
    std::setlocale(LC_NUMERIC, saved.c_str());
}
