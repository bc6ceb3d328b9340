#include "platform/com/FontSubstitutes.h"
#include "platform/com/Guid.h"
#include "platform/com/OleColor.h"
#include "platform/com/Registry.h"
#include "platform/com/Units.h"

#include <gtest/gtest.h>

#include "tests/support/FolderTest.h"
#include "tests/support/QtPrinters.h"

#include <QFile>
#include <QFont>
#include <QSaveFile>
#include <QGuiApplication>
#include <QPalette>
#include <QTemporaryDir>

using namespace tqen::com;

namespace {

TEST(Guid, ParsesAndWritesThePlatformForm) {
    const Guid g = Guid::fromString("4e81b7c0-93a2-4d5f-a6e1-2c07d5b3f94a");
    EXPECT_EQ(g.data1, 0x4E81B7C0u);
    EXPECT_EQ(g.data2, 0x93A2);
    EXPECT_EQ(g.data4[7], 0x4A);
    EXPECT_EQ(g.toString(), QString("{4E81B7C0-93A2-4D5F-A6E1-2C07D5B3F94A}"));
    EXPECT_EQ(Guid::fromString(g.toString()), g);
    EXPECT_TRUE(Guid::fromString("not a guid").isNull());
    EXPECT_NE(Guid::fromString("{4E81B7C1-93A2-4D5F-A6E1-2C07D5B3F94A}"), g);
}

TEST(Units, ContainerLengthsGoThroughHimetric) {
    struct Case { double value; ContainerUnits units; long pixels; } cases[] = {
        {60, ContainerUnits::Twips, 4},     {0, ContainerUnits::Twips, 0},
        {15, ContainerUnits::Twips, 1},     {7, ContainerUnits::Twips, 0},
        {8, ContainerUnits::Twips, 1},      {960, ContainerUnits::Twips, 64},
        {240, ContainerUnits::Twips, 16},   {3, ContainerUnits::Points, 4},
        {2540, ContainerUnits::Himetric, 96}, {4, ContainerUnits::Pixels, 4},
    };
    for (const auto &c : cases)
        EXPECT_EQ(containerToPixels(c.value, c.units, 96), c.pixels) << c.value;
    // Reading back goes through whole HIMETRIC units: 4 px = 106 → 60.09 twips.
    EXPECT_EQ(pixelsToHimetric(4, 96), 106);
    EXPECT_NEAR(pixelsToContainer(4, ContainerUnits::Twips, 96), 60.094, 0.001);
    EXPECT_NEAR(pixelsToContainer(64, ContainerUnits::Twips, 96), 960.0, 0.6);
    for (long px : {0L, 1L, 4L, 16L, 64L, 1000L, 32767L})
        EXPECT_EQ(containerToPixels(pixelsToContainer(px, ContainerUnits::Twips, 96),
                                    ContainerUnits::Twips, 96),
                  px);
}

// The forms' twips: 15 to a pixel, rounded to the nearest pixel on both sides
// of zero, and the same conversion the controls use at 96 dpi.
TEST(Units, FormTwipsAndPixels) {
    struct Case { int twips; int pixels; } toPixels[] = {
        {0, 0}, {7, 0}, {8, 1}, {15, 1}, {360, 24}, {480, 32}, {6200, 413},
        {-7, 0}, {-8, -1}, {-15, -1}, {-480, -32},
    };
    for (const auto &c : toPixels) {
        EXPECT_EQ(twipsToPixels(c.twips), c.pixels) << c.twips;
        EXPECT_EQ(twipsToPixels(c.twips), containerToPixels(c.twips, ContainerUnits::Twips, kFormDpi))
            << c.twips;
    }
    for (int px : {0, 1, 4, 24, 413, 1000, -1, -32}) EXPECT_EQ(pixelsToTwips(px), px * 15) << px;
}

TEST(FontSubstitutes, WindowsNamesGetTheIpaFontsOnceHoweverOftenInstalled) {
    installFontSubstitutes();
    installFontSubstitutes();  // the program and the control library both do
    const QStringList expected{"ipapgothic", "ipagothic"};
    EXPECT_EQ(QFont::substitutes(QString::fromUtf8("ＭＳ Ｐゴシック")), expected);
    EXPECT_EQ(QFont::substitutes(QString::fromUtf8("MS Pゴシック")), expected);
    EXPECT_EQ(QFont::substitutes(QString::fromUtf8("ＭＳ Ｐ明朝")),
              QStringList({"ipapmincho", "ipagothic"}));
}

TEST(OleColor, PlainAndSystemColours) {
    EXPECT_EQ(translateColor(0x0000FF), QColor(255, 0, 0));  // red in the low byte
    EXPECT_EQ(translateColor(0xFF0000), QColor(0, 0, 255));  // blue in the high byte
    EXPECT_EQ(translateColor(rgb(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(translateColor(kSysButtonFace), QGuiApplication::palette().color(QPalette::Button));
    EXPECT_EQ(translateColor(kSysButtonText), QGuiApplication::palette().color(QPalette::ButtonText));
    EXPECT_EQ(fromQColor(QColor(255, 255, 255)), 16777215u);
}

class RegistryTest : public tqen::testing::FolderTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FolderTest::SetUp());
        path = pointAt("TQEN_COM_REGISTRY", QStringLiteral("reg/com-registry.json"));
    }
    QString path;
};

TEST_F(RegistryTest, ClassesProgIdsAndTypeLibraries) {
    EXPECT_EQ(Registry::filePath(), path);
    ClassEntry e;
    e.clsid = Guid::fromString("{11111111-2222-3333-4444-555555555555}");
    e.progId = "X.Y.1";
    e.server = "/lib/x.so";
    e.typeLib = Guid::fromString("{11111111-2222-3333-4444-555555555556}");
    e.typeLibMajor = 4;
    e.typeLibMinor = 1;
    e.miscStatus = 0x32191;
    ASSERT_TRUE(Registry::registerClass(e));
    const auto found = Registry::findClass(e.clsid);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->server, QString("/lib/x.so"));
    EXPECT_EQ(found->miscStatus, 0x32191u);
    EXPECT_EQ(found->typeLibMajor, 4);
    EXPECT_EQ(Registry::clsidFromProgId("X.Y.1"), std::optional<Guid>(e.clsid));

    TypeLibEntry t{e.typeLib, 4, 1, 0, "Lib", "/lib/x.so", "/help"};
    ASSERT_TRUE(Registry::registerTypeLib(t));
    EXPECT_TRUE(Registry::findTypeLib(e.typeLib, 4, 1));
    EXPECT_FALSE(Registry::findTypeLib(e.typeLib, 4, 0));
    EXPECT_TRUE(Registry::unregisterTypeLib(e.typeLib, 4, 1));
    EXPECT_FALSE(Registry::unregisterTypeLib(e.typeLib, 4, 1));  // no longer there

    ASSERT_TRUE(Registry::unregisterClass(e.clsid));
    EXPECT_FALSE(Registry::findClass(e.clsid));
    EXPECT_FALSE(Registry::clsidFromProgId("X.Y.1"));
    EXPECT_TRUE(Registry::unregisterClass(e.clsid));  // absent class: fine
}

TEST_F(RegistryTest, ParsedAgainOnlyWhenTheFileChanged) {
    ClassEntry e;
    e.clsid = Guid::fromString("{11111111-2222-3333-4444-555555555555}");
    e.progId = "X.Y.1";
    e.server = "/lib/x.so";
    ASSERT_TRUE(Registry::registerClass(e));
    const quint64 before = Registry::fileReads();
    for (int i = 0; i < 37; ++i) ASSERT_TRUE(Registry::findClass(e.clsid));
    EXPECT_EQ(Registry::fileReads(), before);  // what this process wrote, it knows
    // Another writer replaces the file with one of the same size.
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray text = in.readAll();
    in.close();
    text.replace("X.Y.1", "X.Y.2");
    QSaveFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(Registry::findClass(e.clsid)->progId, QString("X.Y.2"));
    EXPECT_EQ(Registry::fileReads(), before + 1);
    EXPECT_EQ(Registry::clsidFromProgId("X.Y.2"), std::optional<Guid>(e.clsid));
    EXPECT_EQ(Registry::fileReads(), before + 1);
    // Removed: nothing registered, and nothing to parse.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(Registry::findClass(e.clsid));
    EXPECT_EQ(Registry::fileReads(), before + 1);
}

TEST_F(RegistryTest, DamagedFileIsNeverOverwritten) {
    QDir().mkpath(dir.path() + "/reg");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{ not json");
    f.close();
    EXPECT_FALSE(Registry::setValue("k", "v"));
    QFile g(path);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), QByteArray("{ not json"));
}

TEST_F(RegistryTest, UnwritableLocationFails) {
    qputenv("TQEN_COM_REGISTRY", "/proc/no/such/registry.json");
    EXPECT_FALSE(Registry::setValue("k", "v"));
    EXPECT_EQ(Registry::value("k"), QString());
}

}  // namespace
