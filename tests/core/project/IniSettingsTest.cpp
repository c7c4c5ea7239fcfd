#include "project/IniSettings.h"
#include "TestDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

TEST(IniSettings, ReadsIntegersAsTheProfileReaderDoes) {
    const std::string ini = "[LENGTH_UNIT]\r\nLengthUnit=1\r\n"
                            "[developer_id]\nDeveloperID = 7x\n"
                            "[SPECIALUSERLEVEL]\nSpecialUserLevel=-3\nOther=9\n"
                            "[EMPTY]\nKey=\n";
    EXPECT_EQ(ReadIniInt(ini, "LENGTH_UNIT", "LengthUnit", 0), 1);
    // Names match regardless of case; the value ends at the first non-digit.
    EXPECT_EQ(ReadIniInt(ini, "DEVELOPER_ID", "developerid", 0), 7);
    EXPECT_EQ(ReadIniInt(ini, "SPECIALUSERLEVEL", "SpecialUserLevel", 0), -3);
    EXPECT_EQ(ReadIniInt(ini, "EMPTY", "Key", 5), 0);
    // A key of another section or a missing section gives the fallback.
    EXPECT_EQ(ReadIniInt(ini, "LENGTH_UNIT", "Other", 4), 4);
    EXPECT_EQ(ReadIniInt(ini, "IS_APP_FIRST_TIME", "IsAppFirstTime", 1), 1);
    EXPECT_EQ(ReadIniInt("", "A", "B", 2), 2);
    EXPECT_EQ(ReadIniInt("[A]\nB=99999999999\n", "A", "B", 0), 2147483647);
}

TEST(IniSettings, WritingReplacesOnlyItsSection) {
    const std::string before = "; kept\n[LENGTH_UNIT]\nLengthUnit=0\nStray=4\n[OTHER]\nX=1\n";
    EXPECT_EQ(ReplaceIniSection(before, "length_unit", "LengthUnit=1"),
              "; kept\n[LENGTH_UNIT]\nLengthUnit=1\n[OTHER]\nX=1\n");
    EXPECT_EQ(ReplaceIniSection("[OTHER]\nX=1", "IS_APP_FIRST_TIME", "IsAppFirstTime=0"),
              "[OTHER]\nX=1\n[IS_APP_FIRST_TIME]\nIsAppFirstTime=0\n");
}

TEST(IniSettings, FileRoundTripAndUnwritableFolder) {
    const CTestDir temp;
    const std::string dir = temp.Root().string();
    CIniSettings settings(dir + "/VEL_DAX.ini");
    EXPECT_EQ(settings.ReadInt("LENGTH_UNIT", "LengthUnit", 0), 0);
    settings.WriteInt("LENGTH_UNIT", "LengthUnit", 1);
    settings.WriteInt("IS_APP_FIRST_TIME", "IsAppFirstTime", 0);
    settings.WriteInt("LENGTH_UNIT", "LengthUnit", 0);
    std::ifstream in(settings.Path());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[LENGTH_UNIT]\nLengthUnit=0\n[IS_APP_FIRST_TIME]\nIsAppFirstTime=0\n");

    CIniSettings nowhere(dir + "/missing-folder/VEL_DAX.ini");
    EXPECT_THROW(nowhere.WriteInt("LENGTH_UNIT", "LengthUnit", 1), std::runtime_error);
}

} // namespace
