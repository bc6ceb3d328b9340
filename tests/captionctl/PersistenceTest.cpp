// Property exchange to and from a bag, and the defaults profile at reset.
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/MDCaptIds.h"

#include <gtest/gtest.h>

#include "tests/support/FolderTest.h"
#include "tests/support/QtPrinters.h"

#include <QFile>
#include <QPixmap>

using namespace tqen::captionctl;
using tqen::com::PropertyBag;

namespace {

using PersistenceTest = tqen::testing::ProfileFolderTest;

TEST_F(PersistenceTest, RoundTripKeepsEveryProperty) {
    CMDCaptCtrl a;
    a.setAmbient({tqen::com::ContainerUnits::Pixels, true, false, {}});
    const QList<QPair<const char *, QVariant>> values = {
        {"TopMargin", 7}, {"LabelWidth", 80}, {"LabelHeight", 20}, {"BottomMargin", 3},
        {"LeftMargin", 9}, {"RightMargin", 11}, {"Spacing", 2}, {"MousePointer", 99},
        {"AutoAdjust", true}, {"BorderEffect", 3}, {"BorderStyle", 1}, {"ChildBorderEffect", 4},
        {"LabelAlignment", 2}, {"LabelBorderStyle", 1}, {"LabelBorderEffect", 2},
        {"LabelPosition", 5}, {"ShadowColor", 0x123456u}, {"ToolTip", "ヒント"},
        {"Caption", "日&付"}, {"ForeColor", 0x0000FFu}, {"BackColor", 0x80000005u},
        {"FontName", "ＭＳ Ｐゴシック"}, {"FontSize", 11.25}, {"FontItalic", true},
    };
    for (const auto &[name, v] : values) ASSERT_TRUE(a.putProperty(name, v).ok()) << name;
    QPixmap icon(8, 8);
    icon.fill(Qt::blue);
    ASSERT_TRUE(a.putProperty("MouseIcon", QVariant::fromValue(icon)).ok());
    PropertyBag bag;
    ASSERT_EQ(a.save(&bag, true), tqen::com::S_OK);
    EXPECT_FALSE(a.isDirty());
    EXPECT_EQ(bag.values().value("_Version").toInt(), 0x40001);
    EXPECT_EQ(bag.values().value("LabelWidth").toInt(), 80);  // stored as pixels

    CMDCaptCtrl b;
    b.setAmbient({tqen::com::ContainerUnits::Pixels, true, false, {}});
    ASSERT_EQ(b.load(bag), tqen::com::S_OK);
    for (const auto &[name, v] : values) {
        const QString n = QString::fromLatin1(name);
        if (n == "LabelPosition" || n.endsWith("Width") || n.endsWith("Height") ||
            n.endsWith("Margin") || n == "Spacing")
            continue;  // lengths compared in pixels below
        EXPECT_EQ(b.getProperty(name).value.toString(), a.getProperty(name).value.toString()) << name;
    }
    EXPECT_EQ(b.labelWidth(), 80);
    EXPECT_EQ(b.labelHeight(), 20);
    EXPECT_EQ(b.getProperty("LabelPosition").value.toInt(), 5);
    EXPECT_EQ(b.getProperty("MouseIcon").value.value<QPixmap>().toImage().pixelColor(3, 3), QColor(Qt::blue));
    EXPECT_FALSE(b.isDirty());
}

TEST_F(PersistenceTest, MissingNamesTakeExchangeDefaultsNotTheProfile) {
    profile("[mdcapt]\nLabelPosition=3\nLabelWidth=99\n");
    CMDCaptCtrl c;
    c.load(PropertyBag(QVariantMap{{"BorderStyle", 1}, {"MouseIcon", QByteArray("broken")}}));
    EXPECT_EQ(c.getProperty("BorderStyle").value.toInt(), 1);
    EXPECT_EQ(c.getProperty("LabelPosition").value.toInt(), 7);
    EXPECT_EQ(c.labelWidth(), 64);
    EXPECT_EQ(c.labelHeight(), 16);
    EXPECT_EQ(c.getProperty("ToolTip").value.toString(), QString("MDCapt"));
    EXPECT_TRUE(c.getProperty("MouseIcon").value.value<QPixmap>().isNull());
    EXPECT_EQ(c.backColor(), 0x8000000Fu);
    EXPECT_EQ(c.foreColor(), 0x80000012u);
}

TEST_F(PersistenceTest, NewControlReadsTheDefaultsProfile) {
    profile("[mdcapt]\nLabelPosition=3\nBorderStyle=1\nBorderEffect=2\nShadowColor=255\n"
            "FontName=\nFontSize=11.25\nFontBold=1\nLabelWidth=99\nTopMargin=-5\n");
    CMDCaptCtrl c;
    c.setAmbient({tqen::com::ContainerUnits::Pixels, true, false, "MDCaption1"});
    ASSERT_EQ(c.initNew(), tqen::com::S_OK);
    EXPECT_EQ(c.getProperty("LabelPosition").value.toInt(), 3);  // label on the top border
    EXPECT_EQ(c.getProperty("BorderStyle").value.toInt(), 1);
    EXPECT_EQ(c.getProperty("BorderEffect").value.toInt(), 2);
    EXPECT_EQ(c.getProperty("ShadowColor").value.toUInt(), 255u);
    EXPECT_EQ(c.labelWidth(), 99);
    EXPECT_LT(c.getProperty("TopMargin").value.toFloat(), 0.0f);  // no range test on the profile
    EXPECT_EQ(c.getProperty("FontName").value.toString(), QString("ＭＳ Ｐゴシック"));
    EXPECT_FLOAT_EQ(c.getProperty("FontSize").value.toFloat(), 11.25f);
    EXPECT_TRUE(c.getProperty("FontBold").value.toBool());
    EXPECT_EQ(c.caption(), QString("MDCaption1"));
    EXPECT_EQ(c.getProperty("ToolTip").value.toString(), QString("MDCapt"));
}

TEST_F(PersistenceTest, WithoutProfileTheBuiltInResetValues) {
    CMDCaptCtrl c;
    c.initNew();
    EXPECT_EQ(c.getProperty("LabelPosition").value.toInt(), 7);
    EXPECT_EQ(c.labelWidth(), 64);
    EXPECT_EQ(c.labelHeight(), 16);
    EXPECT_FLOAT_EQ(c.getProperty("FontSize").value.toFloat(), 9.0f);
    EXPECT_EQ(c.size().isValid(), true);
}

TEST_F(PersistenceTest, InitialSizeOnlyWhenBothKeysAreSet) {
    profile("[mdcapt]\nWidth=120\nHeight=0\n");
    CMDCaptCtrl a;
    EXPECT_NE(a.size(), QSize(120, 0));
    profile("[mdcapt]\nWidth=120\nHeight=30\n");
    CMDCaptCtrl b;
    EXPECT_EQ(b.size(), QSize(120, 30));
}

}  // namespace
