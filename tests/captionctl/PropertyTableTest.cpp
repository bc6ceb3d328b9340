// The property table walked row by row: each property's default, the values
// a set accepts and refuses, the round trip through a property bag, and the
// keys a new control reads from the defaults profile.
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/MDCaptIds.h"
#include "captionctl/MDCaptTypeLib.h"
#include "captionctl/StringTable.h"

#include <gtest/gtest.h>

#include "tests/support/FolderTest.h"
#include "tests/support/QtPrinters.h"

#include <QPixmap>
#include <QSet>

using namespace tqen::captionctl;
using tqen::com::ContainerUnits;
using tqen::com::PropertyBag;

namespace {

// The persisted properties and their defaults as the stored form documents
// them, written down independently of the table.
QVariantMap documentedDefaults() {
    return {{"TopMargin", 4},         {"LabelTop", 4},          {"LabelWidth", 64},
            {"LabelHeight", 16},      {"LabelLeft", 4},         {"BottomMargin", 4},
            {"LeftMargin", 4},        {"RightMargin", 4},       {"Spacing", 4},
            {"MousePointer", 0},      {"AutoAdjust", false},    {"BorderEffect", 0},
            {"BorderStyle", 0},       {"ChildBorderEffect", 0}, {"LabelAlignment", 0},
            {"LabelAutoSize", 0},     {"LabelBorderStyle", 0},  {"LabelBorderEffect", 0},
            {"LabelPosition", 7},     {"ShadowColor", 0u},      {"ToolTip", "MDCapt"},
            {"MouseIcon", QVariant()}, {"Caption", ""},         {"ForeColor", 0x80000012u},
            {"BackColor", 0x8000000Fu}, {"Font", QVariant()},   {"Enabled", true}};
}

// Stored values compared the way the control keeps them.
bool sameStored(const PropertyDef &p, const QVariant &a, const QVariant &b) {
    switch (p.kind) {
    case PropKind::Picture: {
        const QImage x = a.value<QPixmap>().toImage(), y = b.value<QPixmap>().toImage();
        return x.isNull() == y.isNull() && (x.isNull() || x.pixelColor(1, 1) == y.pixelColor(1, 1));
    }
    case PropKind::Font: {
        const QFont x = a.value<QFont>(), y = b.value<QFont>();
        return x.family() == y.family() && x.pointSizeF() == y.pointSizeF() && x.bold() == y.bold() &&
               x.italic() == y.italic();
    }
    case PropKind::Colour: return a.toUInt() == b.toUInt();
    case PropKind::FontPoints: return qFuzzyCompare(a.toDouble(), b.toDouble());
    default: return a == b;
    }
}

// A value a set accepts that differs from the default, as sent and as stored
// (lengths cross in pixels here).
QVariant otherValue(const PropertyDef &p) {
    switch (p.kind) {
    case PropKind::Enum: return p.also != p.lo ? p.also : p.number == p.hi ? p.lo : p.hi;
    case PropKind::ShortFlag: return -1;
    case PropKind::Flag: return p.number == 0;
    case PropKind::Length: return int(p.number) + 5;
    case PropKind::Colour: return 0x00123456u;
    case PropKind::Text: return QStringLiteral("ヒント&X");
    case PropKind::FontFace: return QStringLiteral("ＭＳ ゴシック");
    case PropKind::FontPoints: return 12.5;
    case PropKind::Picture: {
        QPixmap icon(8, 8);
        icon.fill(Qt::blue);
        return QVariant::fromValue(icon);
    }
    case PropKind::Font: {
        QFont f(QStringLiteral("ＭＳ ゴシック"));
        f.setPointSizeF(14);
        f.setBold(true);
        return QVariant::fromValue(f);
    }
    default: return {};
    }
}

using PropertyTable = tqen::testing::ProfileFolderTest;

TEST_F(PropertyTable, PersistedPropertiesAndDefaultsAreTheDocumentedOnes) {
    const QVariantMap documented = documentedDefaults();
    QSet<QString> persisted;
    for (const PropertyDef &p : CMDCaptCtrl::properties()) {
        if (!p.persisted) continue;
        persisted << QString::fromLatin1(p.name);
        ASSERT_TRUE(documented.contains(p.name)) << p.name;
        const QVariant expected = documented.value(p.name);
        if (expected.isValid()) EXPECT_TRUE(sameStored(p, p.defaultValue(), expected)) << p.name;
    }
    EXPECT_EQ(persisted.size(), documented.size());
    const QFont f = CMDCaptCtrl::property(DISPID_FONT)->defaultValue().value<QFont>();
    EXPECT_EQ(f.family(), QString("ＭＳ Ｐゴシック"));
    EXPECT_EQ(f.pointSizeF(), 9.0);
}

TEST_F(PropertyTable, NamesDispidsAndTypeInformationAgree) {
    const tqen::com::TypeDescription *disp = mdcaptTypeLibrary().find("_DMDCapt");
    ASSERT_TRUE(disp);
    ASSERT_EQ(disp->members.size(), qsizetype(CMDCaptCtrl::properties().size()));
    QSet<int> ids;
    CMDCaptCtrl ctrl;
    int i = 0;
    for (const PropertyDef &p : CMDCaptCtrl::properties()) {
        EXPECT_FALSE(ids.contains(p.dispid)) << p.name;
        ids << p.dispid;
        EXPECT_EQ(ctrl.idOfName(QString::fromLatin1(p.name).toLower()), p.dispid) << p.name;
        EXPECT_EQ(disp->members[i].name, QString::fromLatin1(p.name));
        EXPECT_EQ(disp->members[i].id, p.dispid);
        ++i;
    }
    // The custom properties are numbered 1 to 30 in dispatch order.
    for (int id = 1; id <= 30; ++id) EXPECT_EQ(CMDCaptCtrl::properties()[id - 1].dispid, id);
}

TEST_F(PropertyTable, EveryPropertyStartsAtItsDefault) {
    CMDCaptCtrl constructed, loaded, fresh;
    loaded.load(PropertyBag());
    fresh.initNew();  // no profile file: the built-in reset values
    for (const PropertyDef &p : CMDCaptCtrl::properties()) {
        if (!p.persisted) continue;
        for (const CMDCaptCtrl *c : {&constructed, &loaded, &fresh})
            EXPECT_TRUE(sameStored(p, p.fetch(*c), p.defaultValue())) << p.name;
    }
}

TEST_F(PropertyTable, EveryRangeAcceptsItsEndsAndRefusesBeyondThem) {
    for (const PropertyDef &p : CMDCaptCtrl::properties()) {
        if (!p.hasRange()) continue;
        const QString refusal = loadString(p.errorId);
        ASSERT_FALSE(refusal.isEmpty()) << p.name;
        CMDCaptCtrl c;
        c.setAmbient({ContainerUnits::Pixels, true, false, {}});
        const int lo = p.kind == PropKind::Length ? 0 : p.lo;
        for (int v : {lo, p.hi, p.also}) EXPECT_TRUE(c.put(p.dispid, v).ok()) << p.name << " " << v;
        for (int v : {lo - 1, p.hi + 1}) {
            if (v == p.also) continue;
            const QVariant before = p.fetch(c);
            const tqen::com::DispResult r = c.put(p.dispid, v);
            EXPECT_EQ(r.code, 380) << p.name << " " << v;
            EXPECT_EQ(r.text, refusal) << p.name << " " << v;
            EXPECT_EQ(p.fetch(c), before) << p.name << " kept its value";
        }
    }
}

TEST_F(PropertyTable, EverySettablePropertySurvivesSaveAndLoad) {
    for (const PropertyDef &p : CMDCaptCtrl::properties()) {
        const QVariant value = otherValue(p);
        if (!value.isValid()) continue;
        CMDCaptCtrl a;
        a.setAmbient({ContainerUnits::Pixels, true, false, {}});
        ASSERT_TRUE(a.put(p.dispid, value).ok()) << p.name;
        ASSERT_FALSE(sameStored(p, p.fetch(a), p.defaultValue())) << p.name << " changed";
        PropertyBag bag;
        a.save(&bag, true);
        CMDCaptCtrl b;
        b.load(bag);
        EXPECT_TRUE(sameStored(p, p.fetch(b), p.fetch(a))) << p.name;
    }
}

TEST_F(PropertyTable, NewControlReadsEveryResetKeyOfTheProfile) {
    // Each key a new control reads, set to a value that is not its default
    // and, for lengths, outside the range a set accepts.
    QByteArray ini = "[mdcapt]\n";
    QHash<QString, QVariant> expected;
    for (const PropertyDef &p : CMDCaptCtrl::properties()) {
        if (!(p.profile & ReadAtReset)) continue;
        const QString key = loadString(p.profileKey);
        ASSERT_FALSE(key.isEmpty()) << p.name;
        QVariant stored;
        QString text;
        switch (p.kind) {
        case PropKind::Enum:
        case PropKind::ShortFlag: stored = 3; text = "3"; break;
        case PropKind::Length: stored = -2; text = "-2"; break;
        case PropKind::Flag: stored = true; text = "1"; break;
        case PropKind::Colour: stored = 255u; text = "255"; break;
        case PropKind::FontFace: stored = QStringLiteral("ＭＳ ゴシック"); text = stored.toString(); break;
        case PropKind::FontPoints: stored = 12.5; text = "12.5"; break;
        default: FAIL() << p.name << ": a kind the profile does not hold";
        }
        ini += (key + '=' + text + '\n').toUtf8();
        expected.insert(p.name, stored);
    }
    profile(ini);
    CMDCaptCtrl c;
    c.initNew();
    for (const PropertyDef &p : CMDCaptCtrl::properties())
        if (p.profile & ReadAtReset) EXPECT_TRUE(sameStored(p, p.fetch(c), expected.value(p.name))) << p.name;
    EXPECT_EQ(expected.size(), 26);
}

}  // namespace
