// Every property's accepted and rejected values, with codes and texts.
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/MDCaptIds.h"
#include "captionctl/MDCaptTypeLib.h"

#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

#include <QFile>
#include <QPixmap>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>

using namespace tqen::captionctl;
using tqen::com::ContainerUnits;

namespace {

const QString kBool = "ﾌﾞｰﾙの値は0或いは-1です。";
const QString kEffect = "ﾎﾞｰﾀﾞｰｴﾌｪｸﾄの値は整数の０から４までです。";
const QString kStyle = "ﾎﾞｰﾀｰｽﾀｲﾙの設定範囲は整数の0或は1です。";
const QString kPointer = "MousePointerﾌﾟﾛﾊﾟﾃｨ値の範囲は0から13そして、99です。 (ﾍﾙﾌﾟﾌｧｲﾙ参照)";

struct Case {
    const char *name;
    QVariant value;
    int code;        // 0 accepted
    QString text;    // message of a rejection
};

TEST(Properties, AcceptedAndRejectedValues) {
    const Case cases[] = {
        {"AutoAdjust", 0, 0, {}}, {"AutoAdjust", 1, 0, {}}, {"AutoAdjust", -1, 0, {}},
        {"AutoAdjust", true, 0, {}}, {"AutoAdjust", 2, 380, kBool}, {"AutoAdjust", -2, 380, kBool},
        {"LabelAutoSize", -1, 0, {}}, {"LabelAutoSize", 5, 380, kBool},
        {"BorderEffect", 0, 0, {}}, {"BorderEffect", 4, 0, {}}, {"BorderEffect", 5, 380, kEffect},
        {"BorderEffect", -1, 380, kEffect},
        {"ChildBorderEffect", 3, 0, {}}, {"ChildBorderEffect", 9, 380, kEffect},
        {"LabelBorderEffect", 4, 0, {}}, {"LabelBorderEffect", 5, 380, kEffect},
        {"LabelAlignment", 2, 0, {}}, {"LabelAlignment", 3, 380, "ﾗﾍﾞﾙ位置の設定範囲は整数の0から2までです。"},
        {"LabelBorderStyle", 1, 0, {}}, {"LabelBorderStyle", -1, 380, kStyle},
        {"BorderStyle", -1, 0, {}}, {"BorderStyle", 1, 0, {}}, {"BorderStyle", 2, 380, kStyle},
        {"LabelPosition", 7, 0, {}}, {"LabelPosition", 0, 0, {}},
        {"LabelPosition", 8, 380, "ﾗﾍﾞﾙ位置の設定範囲は整数の -32767 から +32767までです。"},
        {"MousePointer", 0, 0, {}}, {"MousePointer", 14, 0, {}}, {"MousePointer", 99, 0, {}},
        {"MousePointer", 15, 380, kPointer}, {"MousePointer", 98, 380, kPointer},
        {"MousePointer", -1, 380, kPointer},
        {"BottomMargin", 0, 0, {}}, {"BottomMargin", -1, 380, "下ﾏｰｼﾞﾝは必ず-32767から +32767の間に設定して下さい。"},
        {"LabelHeight", -1, 380, "ﾗﾍﾞﾙの高さの設定範囲は整数の 0から 32767までです。"},
        {"LabelLeft", -15, 380, "ﾗﾍﾞﾙの左位置の設定範囲は整数の -32767から +32767までです。"},
        {"LabelTop", -0.5, 380, "ﾗﾍﾞﾙの上位置の設定範囲は整数の -32767 から +32767までです。"},
        {"LabelWidth", -1, 380, "ﾗﾍﾞﾙの幅の設定範囲は整数の 0 から 32767までです。"},
        {"LeftMargin", -1, 380, "左ﾏｰｼﾞﾝの設定範囲は整数の -32767 から +32767までです。"},
        {"RightMargin", -1, 380, "右ﾏｰｼﾞﾝの設定範囲は整数の -32767 から +32767までです。"},
        {"Spacing", -1, 380, "空白の設定範囲は整数の -32767 から +32767までです。"},
        {"TopMargin", -1, 380, "上ﾏｰｼﾞﾝの設定範囲は整数の -32767 から +32767までです。"},
        {"TopMargin", -0.0, 0, {}},
        // 32767 px is the most a length holds; more is refused, not wrapped.
        {"LabelWidth", 32767 * 15.0, 0, {}},
        {"LabelWidth", 32768 * 15.0, 380, "ﾗﾍﾞﾙの幅の設定範囲は整数の 0 から 32767までです。"},
        {"MouseIcon", QVariant::fromValue(QPixmap()), 481, "MouseIconﾌﾟﾛﾊﾟﾃｨは必ずｱｲｺﾝじゃなければなりません。"},
        {"MouseIcon", QByteArray("not a picture"), 481, "MouseIconﾌﾟﾛﾊﾟﾃｨは必ずｱｲｺﾝじゃなければなりません。"},
        {"ShadowColor", 0x80000010u, 0, {}}, {"ToolTip", "x", 0, {}},
        {"HdnWidth", 5, 0, {}}, {"FontSize", 0, 380, "プロパティの値が不正です。"},
        {"LabelPosition", "abc", 13, "型が一致しません。"},
        {"hWnd", 1, 383, "プロパティは読み取り専用です。"},
    };
    for (const Case &c : cases) {
        CMDCaptCtrl ctrl;
        ctrl.setAmbient({ContainerUnits::Twips, true, false, {}});
        const QVariant before = ctrl.getProperty(c.name).value;
        const auto r = ctrl.putProperty(c.name, c.value);
        EXPECT_EQ(r.code, c.code) << c.name << " " << c.value.toString().toStdString();
        EXPECT_EQ(r.text, c.text) << c.name;
        if (c.code != 0) {
            const QVariant after = ctrl.getProperty(c.name).value;
            if (before.typeId() == QMetaType::QPixmap)
                EXPECT_TRUE(after.value<QPixmap>().isNull()) << c.name;
            else
                EXPECT_EQ(after, before) << c.name << " kept its value";
            EXPECT_FALSE(ctrl.isDirty()) << c.name;
        } else if (QLatin1String(c.name) != QLatin1String("HdnWidth")) {
            EXPECT_TRUE(ctrl.isDirty()) << c.name;
        }
    }
}

TEST(Properties, LengthsCrossInContainerUnitsAndAreStoredInPixels) {
    CMDCaptCtrl ctrl;
    ctrl.setAmbient({ContainerUnits::Twips, true, false, {}});
    ASSERT_TRUE(ctrl.put(DISPID_LabelWidth, 1500.0).ok());
    EXPECT_EQ(ctrl.labelWidth(), 100);
    EXPECT_NEAR(ctrl.get(DISPID_LabelWidth).value.toFloat(), 1500.0f, 1.0f);
    ctrl.setAmbient({ContainerUnits::Pixels, true, false, {}});
    ASSERT_TRUE(ctrl.put(DISPID_LabelHeight, 20).ok());
    EXPECT_EQ(ctrl.labelHeight(), 20);
    ctrl.resize(123, 45);
    EXPECT_EQ(ctrl.get(DISPID_HdnWidth).value.toInt(), 123);
    EXPECT_EQ(ctrl.get(DISPID_HdnHeight).value.toInt(), 45);
}

TEST(Properties, NamesAndStockMembers) {
    CMDCaptCtrl ctrl;
    EXPECT_EQ(ctrl.idOfName("labelposition"), 10);
    EXPECT_EQ(ctrl.idOfName("Caption"), -518);
    EXPECT_EQ(ctrl.idOfName("AboutBox"), -552);
    EXPECT_EQ(ctrl.idOfName("Nothing"), -1);
    EXPECT_TRUE(ctrl.put(DISPID_FontBold, true).ok());
    EXPECT_TRUE(ctrl.get(DISPID_FONT).value.value<QFont>().bold());
    EXPECT_TRUE(ctrl.put(DISPID_ENABLED, false).ok());
    EXPECT_FALSE(ctrl.isEnabled());
    EXPECT_EQ(ctrl.pageOfProperty(DISPID_ShadowColor), tqen::com::CLSID_StockColorPage);
    EXPECT_EQ(ctrl.pageOfProperty(DISPID_FONT), tqen::com::CLSID_StockFontPage);
    EXPECT_EQ(ctrl.pageOfProperty(DISPID_MouseIcon), tqen::com::CLSID_StockPicturePage);
    EXPECT_TRUE(ctrl.pageOfProperty(DISPID_CAPTION).isNull());
    EXPECT_EQ(ctrl.propertyPages().first(), CLSID_MDCaptPropPage);
}

TEST(Properties, MnemonicKeys) {
    struct M { const char *caption; int key; } cases[] = {
        {"&File", 'F'}, {"e&xit", 'X'}, {"a&&b", 0}, {"a&&b &c", 'C'}, {"plain", 0},
        {"end&", 0}, {"&&&d", 'D'}, {"名前(&n)", 'N'},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CMDCaptCtrl::mnemonicKey(QString::fromUtf8(c.caption)), c.key) << c.caption;
    CMDCaptCtrl ctrl;
    ctrl.putProperty("Caption", "a&&b &c");
    EXPECT_EQ(ctrl.accessibleName(), QString("a&b c"));
}

TEST(Properties, CursorTable) {
    EXPECT_EQ(CMDCaptCtrl::cursorShapeFor(2), int(Qt::CrossCursor));
    EXPECT_EQ(CMDCaptCtrl::cursorShapeFor(4), int(Qt::DragMoveCursor));  // "icon": not the arrow
    EXPECT_EQ(CMDCaptCtrl::cursorShapeFor(11), int(Qt::WaitCursor));
    EXPECT_EQ(CMDCaptCtrl::cursorShapeFor(14), int(Qt::SizeAllCursor));
    EXPECT_EQ(CMDCaptCtrl::cursorShapeFor(99), -1);
    QWidget form;
    CMDCaptCtrl &ctrl = *new CMDCaptCtrl(&form);
    ctrl.putProperty("MousePointer", 3);
    EXPECT_EQ(ctrl.cursor().shape(), Qt::IBeamCursor);
    ctrl.putProperty("MousePointer", 99);  // no icon: the window system's cursor
    EXPECT_FALSE(ctrl.testAttribute(Qt::WA_SetCursor));
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    ASSERT_TRUE(ctrl.putProperty("MouseIcon", QVariant::fromValue(icon)).ok());
    EXPECT_EQ(ctrl.cursor().shape(), Qt::BitmapCursor);
    ctrl.setAmbient({ContainerUnits::Twips, false, false, {}});  // design mode
    EXPECT_FALSE(ctrl.testAttribute(Qt::WA_SetCursor));
}

TEST(Properties, DisablingMovesTheFocusOutOfTheControl) {
    QWidget form;
    auto *ctrl = new CMDCaptCtrl(&form);
    ctrl->setGeometry(0, 0, 200, 50);
    auto *inner = new QLineEdit(ctrl);
    inner->setGeometry(80, 10, 100, 20);
    auto *outer = new QLineEdit(&form);
    outer->setGeometry(0, 60, 100, 20);
    form.show();
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    inner->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(inner->hasFocus());
    ctrl->putProperty("Enabled", false);
    QApplication::processEvents();
    EXPECT_TRUE(outer->hasFocus());
}

TEST(Properties, LibraryLinksNothingOfTheProgram) {
    QProcess p;
    p.start("readelf", {"-d", QStringLiteral(MDCAPT32_FILE)});
    ASSERT_TRUE(p.waitForFinished(10000));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    ASSERT_TRUE(out.contains("NEEDED"));
    QRegularExpression needed(R"(\(NEEDED\)\s+Shared library: \[([^\]]+)\])");
    auto it = needed.globalMatch(out);
    while (it.hasNext()) {
        const QString lib = it.next().captured(1);
        EXPECT_TRUE(lib.startsWith("libQt6") || lib.startsWith("libstdc++") || lib.startsWith("libc.") ||
                    lib.startsWith("libm.") || lib.startsWith("libgcc_s") ||
                    // what Qt's widgets bring when the linker keeps every
                    // library named, and a sanitizer build's own run-time
                    lib.startsWith("libGLX.") || lib.startsWith("libOpenGL.") || lib.startsWith("libasan") ||
                    lib.startsWith("libubsan"))
            << lib.toStdString();
    }
}

}  // namespace
