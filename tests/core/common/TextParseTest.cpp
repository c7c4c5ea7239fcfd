#include "common/TextParse.h"
#include "common/LineReader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <sstream>
#include <vector>

TEST(TextParse, IntegersTakeTheLeadingDigitsLikeAtoi) {
    EXPECT_EQ(ParseLeadingInt("42"), 42);
    EXPECT_EQ(ParseLeadingInt("  -7 apples"), -7);
    EXPECT_EQ(ParseLeadingInt("+3"), 3);
    EXPECT_EQ(ParseLeadingInt("12.9"), 12);
    EXPECT_EQ(ParseLeadingInt("abc"), 0);
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("99999999999999999999"), 2147483647);
}

TEST(TextParse, NumbersTakeTheLeadingNumberWithAPointWhateverTheLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        std::setlocale(LC_NUMERIC, "C");
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble(" -2.25e2xyz"), -225.0);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(ParseLeadingDouble(".5"), 0.5);
    EXPECT_EQ(ParseLeadingDouble("x1"), 0.0);
    EXPECT_EQ(ParseLeadingDouble(""), 0.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(TextParse, TokenizerSkipsEmptyTokensAndStopsNumbersAtCommas) {
    const std::string line = ",1.5,,2,  ,x,";
    CCommaTokenizer tokens(line);
    std::vector<std::string> seen;
    std::vector<double> numbers;
    while (const char* t = tokens.Next()) {
        seen.emplace_back(tokens.Token());
        numbers.push_back(ParseLeadingDouble(t));
    }
    ASSERT_EQ(seen, (std::vector<std::string>{"1.5", "2", "  ", "x"}));
    EXPECT_EQ(numbers, (std::vector<double>{1.5, 2.0, 0.0, 0.0}));
}

TEST(LineReader, HandlesLfAndCrLfAndAMissingFinalNewline) {
    std::istringstream in("first\r\nsecond\n\nthird\r");
    CLineReader reader(in);
    std::string line;
    std::vector<std::string> lines;
    while (reader.ReadLine(line))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", "", "third"}));
    EXPECT_EQ(reader.LineNumber(), 4);
    EXPECT_FALSE(reader.Failed());
}

TEST(LineReader, AnOverlongLineStopsReadingWithAReason) {
    std::istringstream in("short\n" + std::string(100, 'x') + "\nafter\n");
    CLineReader reader(in, 50);
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_TRUE(reader.Failed());
    EXPECT_NE(reader.Error().find("line 2"), std::string::npos);
}
