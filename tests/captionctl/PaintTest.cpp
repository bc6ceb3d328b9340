// The border effects point for point, and the control's face.
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/DrawEffect.h"
#include "captionctl/MDCaptIds.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPainter>

using namespace tqen::captionctl;
using tqen::com::rgb;

namespace {

const QColor kBack(0, 0, 0);
const QColor kColour(255, 0, 0);
const QColor kShadow(0, 0, 255);

char code(const QColor &c) {
    if (c == kBack) return '.';
    if (c == Qt::white) return 'W';
    if (c == QColor(128, 128, 128)) return 'G';
    if (c == kColour) return 'C';
    if (c == kShadow) return 'S';
    return '?';
}

QStringList rowsOf(const QImage &img) {
    QStringList rows;
    for (int y = 0; y < img.height(); ++y) {
        QString row;
        for (int x = 0; x < img.width(); ++x) row += QLatin1Char(code(img.pixelColor(x, y)));
        rows << row;
    }
    return rows;
}

TEST(DrawEffect, FiveEffectsPointForPoint) {
    // Rectangle (0, 0, 6, 5) in an 8 x 6 image.
    struct Case { int effect; QStringList rows; } cases[] = {
        {0, {"CCCCCC..", "C....C..", "C....C..", "C....C..", "CCCCCC..", "........"}},
        {1, {"WWWWWW..", "W....G..", "W....G..", "W....G..", "GGGGGG..", "........"}},
        {2, {"GGGGGG..", "G....W..", "G....W..", "G....W..", "WWWWWW..", "........"}},
        {3, {"CCCC....", "C..C....", "CCCCSS..", "..SSSS..", "...SSS..", "........"}},
        {4, {"GGGGG...", "GWWWWW..", "GW..GW..", "GWGGGW..", ".WWWWW..", "........"}},
        {5, {"........", "........", "........", "........", "........", "........"}},
    };
    for (const auto &c : cases) {
        QImage img(8, 6, QImage::Format_RGB32);
        img.fill(kBack);
        QPainter p(&img);
        DrawEffect(p, QRect(0, 0, 6, 5), c.effect, kColour, kShadow);
        p.end();
        EXPECT_EQ(rowsOf(img), c.rows) << "effect " << c.effect;
    }
}

TEST(DrawEffect, PolylineLeavesItsLastPoint) {
    QImage img(5, 3, QImage::Format_RGB32);
    img.fill(kBack);
    QPainter p(&img);
    drawPolyline(p, kColour, {{0, 0}, {4, 0}, {4, 2}});
    p.end();
    EXPECT_EQ(rowsOf(img), QStringList({"CCCCC", "....C", "....."}));
}

class FaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctrl.setAmbient({tqen::com::ContainerUnits::Pixels, true, false, {}});
        ctrl.resize(40, 30);
        ctrl.put(DISPID_BACKCOLOR, uint(rgb(0, 0, 0)));
        ctrl.put(DISPID_FORECOLOR, uint(rgb(255, 0, 0)));
        ctrl.put(DISPID_ShadowColor, uint(rgb(0, 0, 255)));
    }
    CMDCaptCtrl ctrl;
};

TEST_F(FaceTest, OuterFrameOnlyWithBorderStyleOne) {
    ctrl.put(DISPID_BorderEffect, 0);
    ctrl.put(DISPID_BorderStyle, 0);
    QImage img = ctrl.drawImage(ctrl.size());
    EXPECT_EQ(code(img.pixelColor(0, 0)), '.');
    ctrl.put(DISPID_BorderStyle, 1);
    img = ctrl.drawImage(ctrl.size());
    for (QPoint pt : {QPoint(0, 0), QPoint(39, 0), QPoint(39, 29), QPoint(0, 29), QPoint(20, 29)})
        EXPECT_EQ(code(img.pixelColor(pt)), 'C') << pt.x() << "," << pt.y();
    EXPECT_EQ(code(img.pixelColor(20, 15)), '.');
    ctrl.put(DISPID_BorderEffect, 1);
    img = ctrl.drawImage(ctrl.size());
    EXPECT_EQ(code(img.pixelColor(0, 0)), 'W');
    EXPECT_EQ(code(img.pixelColor(39, 29)), 'G');
}

TEST_F(FaceTest, LabelOnTheBorderLowersTheFrameTopAndCoversTheLine) {
    ctrl.resize(120, 60);
    ctrl.put(DISPID_BorderStyle, 1);
    ctrl.put(DISPID_LabelPosition, 3);
    ctrl.put(DISPID_CAPTION, "WWWW");
    const int half = QFontMetrics(ctrl.paintFont()).height() / 2;
    const QImage img = ctrl.drawImage(ctrl.size());
    EXPECT_EQ(code(img.pixelColor(0, 0)), '.');
    EXPECT_EQ(code(img.pixelColor(2, half)), 'C');
    EXPECT_EQ(code(img.pixelColor(117, half)), 'C');
    // Under the caption the frame line is covered by the opaque text cell.
    int covered = 0;
    for (int x = ctrl.labelLeft(); x < ctrl.labelLeft() + ctrl.labelWidth(); ++x)
        if (code(img.pixelColor(x, half)) != 'C') ++covered;
    EXPECT_GT(covered, 10);
}

TEST_F(FaceTest, AutoAdjustGrowsButNeverShrinks) {
    ctrl.put(DISPID_AutoAdjust, true);
    ctrl.put(DISPID_CAPTION, "x");  // label 4,4 .. 68,20 without a child
    ctrl.drawImage(ctrl.size());
    QApplication::processEvents();
    EXPECT_EQ(ctrl.size(), QSize(68 + 4, 30));
    ctrl.resize(200, 100);
    ctrl.drawImage(ctrl.size());
    QApplication::processEvents();
    EXPECT_EQ(ctrl.size(), QSize(200, 100));
}

TEST_F(FaceTest, ImageOfAnySizeIsTheFaceStretched) {
    ctrl.put(DISPID_BorderStyle, 1);
    const QImage img = ctrl.drawImage(QSize(80, 60));
    EXPECT_EQ(img.size(), QSize(80, 60));
    EXPECT_EQ(code(img.pixelColor(1, 1)), 'C');  // the one-pixel frame doubled
    EXPECT_EQ(code(img.pixelColor(40, 30)), '.');
}

TEST_F(FaceTest, ChildBorderDrawnOverTheChild) {
    QWidget form;
    auto *c = new CMDCaptCtrl(&form);
    c->resize(100, 40);
    c->put(DISPID_BACKCOLOR, uint(rgb(0, 0, 0)));
    c->put(DISPID_FORECOLOR, uint(rgb(255, 0, 0)));
    auto *child = new QWidget(c);
    child->setGeometry(20, 10, 50, 20);
    child->setAutoFillBackground(true);
    QPalette pal = child->palette();
    pal.setColor(QPalette::Window, Qt::green);
    child->setPalette(pal);
    c->put(DISPID_ChildBorderEffect, 0);
    QImage img = c->grab().toImage();
    EXPECT_EQ(img.pixelColor(20, 10), QColor(Qt::green));
    c->put(DISPID_ChildBorderEffect, 1);  // raised: white over the child's top-left edge
    img = c->grab().toImage();
    EXPECT_EQ(img.pixelColor(20, 10), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(69, 29), QColor(128, 128, 128));
    EXPECT_EQ(img.pixelColor(40, 20), QColor(Qt::green));
    c->put(DISPID_ChildBorderEffect, 4);  // inset: one pixel outside the child
    img = c->grab().toImage();
    EXPECT_EQ(img.pixelColor(19, 9), QColor(128, 128, 128));
    if (qEnvironmentVariableIsSet("TQEN_SHOTS"))
        img.scaled(400, 160).save(qEnvironmentVariable("TQEN_SHOTS") + "/childborder.png");
}

}  // namespace

namespace {

// A labelled text box as a form shows it: the caption's pixels lie in the
// label rectangle left of the child, none of them over the child.
TEST(Face, CaptionBesideTheFramedChild) {
    QWidget form;
    auto *c = new CMDCaptCtrl(&form);
    c->setAmbient({tqen::com::ContainerUnits::Pixels, true, false, {}});
    c->setGeometry(0, 0, 220, 40);
    auto *edit = new QLineEdit(c);
    edit->setGeometry(90, 8, 120, 24);
    c->putProperty("BackColor", uint(rgb(255, 255, 255)));
    c->putProperty("ForeColor", uint(rgb(0, 0, 0)));
    c->putProperty("BorderStyle", 1);
    c->putProperty("BorderEffect", 2);
    c->putProperty("ChildBorderEffect", 4);
    c->putProperty("LabelPosition", 6);
    c->putProperty("Caption", "顧客名(&K)");
    form.show();
    const QImage img = c->grab().toImage();
    if (qEnvironmentVariableIsSet("TQEN_SHOTS"))
        img.scaled(img.size() * 2).save(qEnvironmentVariable("TQEN_SHOTS") + "/framed.png");
    int dark = 0;
    for (int y = c->labelTop(); y < c->labelTop() + c->labelHeight(); ++y)
        for (int x = c->labelLeft(); x < c->labelLeft() + c->labelWidth(); ++x)
            if (img.pixelColor(x, y).lightness() < 100) ++dark;
    EXPECT_GT(dark, 20);
    EXPECT_EQ(c->labelLeft() + c->labelWidth(), 90 - 4);
}

}  // namespace
