#include "common/FormatSignificant.h"

#include <gtest/gtest.h>

#include <clocale>

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

TEST(FormatSignificant, IgnoresTheUserLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // A decimal-comma locale, where available, must not change the text.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(FormatSignificant(2.5, 4), "2.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}
