#include "platform/profile/PrivateProfile.h"

#include <gtest/gtest.h>

#include "tests/support/FolderTest.h"
#include "tests/support/QtPrinters.h"

#include <QFile>

using tqen::profile::PrivateProfile;

namespace {

class PrivateProfileTest : public tqen::testing::ProfileFolderTest {
protected:
    void write(const QByteArray &text) { profile(text); }
    QByteArray contents() const { return profileText(); }
};

TEST_F(PrivateProfileTest, NameWithoutFolderLiesInProfileFolder) {
    EXPECT_EQ(PrivateProfile("HX4WIN.INI").filePath(), dir.path() + "/HX4WIN.INI");
    EXPECT_EQ(PrivateProfile("/x/y.ini").filePath(), QString("/x/y.ini"));
}

TEST_F(PrivateProfileTest, IntegerReadsLikeThePlatform) {
    write("[other]\nLabelPosition=5\n[MDCAPT]\n labelposition = 3 \nNeg=-12\nJunk=abc\n"
          "Trail=42px\nEmpty=\nQuoted=\"7\"\n");
    const PrivateProfile p("HX4WIN.INI");
    struct Case { const char *key; int def; int want; } cases[] = {
        {"LabelPosition", 7, 3},  // section and key without regard to case
        {"Neg", 0, -12},          {"Junk", 9, 9},  {"Trail", 0, 42},
        {"Empty", 4, 4},          {"Quoted", 0, 7}, {"Missing", 16, 16},
    };
    for (const auto &c : cases) EXPECT_EQ(p.readInt("mdcapt", c.key, c.def), c.want) << c.key;
    EXPECT_EQ(p.readInt("nosection", "LabelPosition", 1), 1);
}

TEST_F(PrivateProfileTest, WritesKeepOtherSectionsAndReplaceKeys) {
    write("; comment\n[other]\nA=1\n\n[mdcapt]\nFontName=x\n");
    PrivateProfile p("HX4WIN.INI");
    ASSERT_TRUE(p.writeString("mdcapt", "fontname", "ＭＳ Ｐゴシック"));
    ASSERT_TRUE(p.writeString("mdcapt", "MousePointer", "99"));
    ASSERT_TRUE(p.writeString("new", "K", "v"));
    EXPECT_EQ(p.readString("mdcapt", "FontName", ""), QString("ＭＳ Ｐゴシック"));
    EXPECT_EQ(p.readInt("mdcapt", "MousePointer", 0), 99);
    EXPECT_EQ(p.readInt("other", "A", 0), 1);
    EXPECT_EQ(p.readString("new", "K", ""), QString("v"));
    EXPECT_TRUE(contents().startsWith("; comment\n[other]\nA=1\n"));
    EXPECT_EQ(p.keys("mdcapt"), QStringList({"fontname", "MousePointer"}));
}

TEST_F(PrivateProfileTest, DeleteSectionRemovesOnlyThatSection) {
    write("[mdcapt]\nA=1\nB=2\n[other]\nC=3\n");
    PrivateProfile p("HX4WIN.INI");
    ASSERT_TRUE(p.deleteSection("MDCAPT"));
    EXPECT_FALSE(p.contains("mdcapt", "A"));
    EXPECT_EQ(p.readInt("other", "C", 0), 3);
    EXPECT_TRUE(p.deleteSection("mdcapt"));  // absent: still success
}

TEST_F(PrivateProfileTest, UnwritableFileReportsFailure) {
    PrivateProfile p("/proc/no/such/folder/HX4WIN.INI");
    EXPECT_FALSE(p.writeString("mdcapt", "A", "1"));
    EXPECT_EQ(p.readInt("mdcapt", "A", 5), 5);
}

TEST_F(PrivateProfileTest, ReadStringCutsToMaximum) {
    write("[s]\nK=abcdefghijklmnopqrstuvwxyz\n");
    EXPECT_EQ(PrivateProfile("HX4WIN.INI").readString("s", "K", "", 16), QString("abcdefghijklmnop"));
}

}  // namespace
