#include "common/Archive.h"

#include <gtest/gtest.h>

#include <string>

namespace {
CArchiveIn Reload(CArchiveOut& stored) {
    return CArchiveIn(stored.TakeBuffer());
}
} // namespace

TEST(Archive, PrimitivesRoundTripLittleEndian) {
    CArchiveOut out;
    std::uint16_t w = 0x1234;
    std::uint32_t d = 0x02000000;
    double x = -1.25;
    int truncated = 0x12345;
    bool flag = true;
    out.Word(w);
    out.Dword(d);
    out.Double(x);
    out.WordInt(truncated);
    out.WordBool(flag);
    const auto& bytes = out.Buffer();
    ASSERT_EQ(bytes.size(), 2u + 4u + 8u + 2u + 2u);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);
    EXPECT_EQ(bytes[5], 0x02);

    CArchiveIn in = Reload(out);
    std::uint16_t w2 = 0;
    std::uint32_t d2 = 0;
    double x2 = 0;
    int t2 = 0;
    bool f2 = false;
    in.Word(w2);
    in.Dword(d2);
    in.Double(x2);
    in.WordInt(t2);
    in.WordBool(f2);
    EXPECT_EQ(w2, w);
    EXPECT_EQ(d2, d);
    EXPECT_EQ(x2, x);
    EXPECT_EQ(t2, 0x2345); // a WORD keeps the low 16 bits
    EXPECT_TRUE(f2);
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(Archive, StringsUseTheShortestLengthForm) {
    struct Case {
        std::size_t length;
        std::size_t prefix;
    };
    for (const Case c : {Case{0, 1}, Case{254, 1}, Case{255, 3}, Case{300, 3}, Case{0xFFFD, 3},
                         Case{0xFFFE, 7}, Case{70000, 7}}) {
        std::string text(c.length, 'a');
        CArchiveOut out;
        out.String(text);
        EXPECT_EQ(out.Buffer().size(), c.prefix + c.length) << c.length;
        CArchiveIn in = Reload(out);
        std::string back;
        in.String(back);
        EXPECT_EQ(back, text);
    }
}

TEST(Archive, TruncatedDataAndAbsurdCountsFailWithTheOffset) {
    CArchiveIn in({0x01, 0x02, 0x03});
    std::uint16_t w = 0;
    in.Word(w);
    double x = 0;
    try {
        in.Double(x);
        FAIL() << "a double past the end must fail";
    } catch (const CArchiveException& e) {
        EXPECT_NE(std::string(e.what()).find("byte offset 2"), std::string::npos) << e.what();
    }

    CArchiveIn counts({0xFF, 0xFF, 0, 0, 0, 0});
    std::size_t n = 0;
    EXPECT_THROW(counts.CountWord(n, 8, "installations"), CArchiveException);

    CArchiveIn longString({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'});
    std::string s;
    EXPECT_THROW(longString.String(s), CArchiveException);
}

TEST(Archive, StoringRefusesCountsAWordCannotHold) {
    CArchiveOut out;
    std::size_t n = 65536;
    EXPECT_THROW(out.CountWord(n, 8, "installations"), CArchiveException);
    n = 65535;
    EXPECT_NO_THROW(out.CountWord(n, 8, "installations"));
}
