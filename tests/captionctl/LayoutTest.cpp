// The label's place and the layout passes over all positions and modes.
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/MDCaptIds.h"

#include <gtest/gtest.h>

#include <QApplication>

using namespace tqen::captionctl;

namespace {

// left, top, and the first column and row past the rectangle.
QString text(const QRect &r) {
    return QString("%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.right() + 1).arg(r.bottom() + 1);
}

// A 200 x 100 control with margins and spacing 4 and a 64 x 16 label.
struct Fixture {
    Fixture(bool withChild) {
        ctrl.setAmbient({tqen::com::ContainerUnits::Pixels, true, false, {}});
        ctrl.resize(200, 100);
        if (withChild) {
            child = new QWidget(&ctrl);
            child->setGeometry(80, 30, 100, 20);
        }
    }
    CMDCaptCtrl ctrl;
    QWidget *child = nullptr;
};

TEST(CalcLabelRect, AllPositionsWithAndWithoutChild) {
    const char *withChild[] = {"98,10,162,26", "80,10,144,26", "116,10,180,26", "68,0,132,16",
                               "4,0,68,16",    "132,0,196,16", "12,32,76,48",   "12,30,76,46"};
    const char *without[] = {"68,4,132,20", "4,4,68,20",    "132,4,196,20", "68,0,132,16",
                             "4,0,68,16",   "132,0,196,16", "4,42,68,58",   "4,4,68,20"};
    for (int lp = 0; lp <= 7; ++lp) {
        Fixture a(true), b(false);
        a.ctrl.put(DISPID_LabelPosition, lp);
        b.ctrl.put(DISPID_LabelPosition, lp);
        EXPECT_EQ(text(a.ctrl.CalcLabelRect()), QString(withChild[lp])) << "position " << lp;
        EXPECT_EQ(text(b.ctrl.CalcLabelRect()), QString(without[lp])) << "position " << lp;
    }
}

TEST(CalcLabelRect, DivisionTruncatesTowardZero) {
    Fixture f(false);
    f.ctrl.resize(51, 30);
    f.ctrl.put(DISPID_LabelPosition, 0);
    EXPECT_EQ(f.ctrl.CalcLabelRect().left(), -6);  // (51 - 64) / 2
}

TEST(CalcLabelRect, ExcludedClassIsNeverTheFramedChild) {
    Fixture f(false);
    auto *grid = new QWidget(&f.ctrl);
    grid->setProperty("windowClass", "wndclass_flex_gsk");
    grid->setGeometry(80, 30, 100, 20);
    EXPECT_EQ(f.ctrl.FindFramedChild(), nullptr);
    f.ctrl.put(DISPID_AutoAdjust, true);
    f.ctrl.LayoutChild(FitChild);
    EXPECT_EQ(text(grid->geometry()), QString("80,30,180,50"));  // moved nothing
    EXPECT_EQ(f.ctrl.size(), QSize(200, 100));
    auto *edit = new QWidget(&f.ctrl);
    EXPECT_EQ(f.ctrl.FindFramedChild(), edit);
}

TEST(LayoutChild, ModesWithAutoAdjust) {
    struct Case { int lp; int mode; const char *child; QSize size; int labelLeft, labelTop; } cases[] = {
        {7, FitControl, "72,4,172,24", {176, 28}, 4, 4},
        {7, FitChild, "72,4,196,96", {200, 100}, 4, 4},
        {3, FitControl, "4,20,104,40", {136, 44}, 68, 0},
        {5, FitChild, "4,20,196,96", {200, 100}, 132, 0},
        {0, RepositionOnly, "4,24,104,44", {200, 100}, 22, 4},
        {1, FitControl, "4,24,104,44", {108, 48}, 4, 4},
    };
    for (const auto &c : cases) {
        Fixture f(true);
        f.ctrl.put(DISPID_LabelPosition, c.lp);  // AutoAdjust still off: only the label moves
        ASSERT_EQ(text(f.child->geometry()), QString("80,30,180,50"));
        f.ctrl.put(DISPID_AutoAdjust, true);     // runs a fit-child pass: undo it
        f.child->setGeometry(80, 30, 100, 20);
        f.ctrl.resize(200, 100);
        f.ctrl.LayoutChild(c.mode);
        EXPECT_EQ(text(f.child->geometry()), QString(c.child)) << "position " << c.lp << " mode " << c.mode;
        EXPECT_EQ(f.ctrl.size(), c.size) << "position " << c.lp << " mode " << c.mode;
        EXPECT_EQ(f.ctrl.labelLeft(), c.labelLeft) << "position " << c.lp;
        EXPECT_EQ(f.ctrl.labelTop(), c.labelTop) << "position " << c.lp;
    }
}

TEST(LayoutChild, LabelLeftIsUndoneByTheNextPass) {
    Fixture f(true);
    ASSERT_TRUE(f.ctrl.put(DISPID_LabelLeft, 50).ok());
    EXPECT_EQ(f.ctrl.labelLeft(), 50);
    f.ctrl.put(DISPID_CAPTION, "Name");
    EXPECT_EQ(f.ctrl.labelLeft(), 12);  // left of the child, spacing 4
}

TEST(LayoutChild, ResizingWithAutoAdjustFitsTheChild) {
    QWidget form;
    Fixture f(true);
    f.ctrl.setParent(&form);
    form.show();
    f.ctrl.put(DISPID_AutoAdjust, true);
    f.ctrl.resize(300, 120);
    QApplication::processEvents();
    EXPECT_EQ(f.child->geometry().right() + 1, 300 - 4);
    EXPECT_EQ(f.child->geometry().bottom() + 1, 120 - 4);
}

TEST(LayoutChild, LabelAutoSizeFollowsTheCaption) {
    Fixture f(false);
    f.ctrl.put(DISPID_CAPTION, "Caption text");
    f.ctrl.put(DISPID_LabelAutoSize, true);
    const QSize s = QFontMetrics(f.ctrl.paintFont()).size(Qt::TextShowMnemonic, "Caption text");
    EXPECT_EQ(f.ctrl.labelWidth(), s.width());
    EXPECT_EQ(f.ctrl.labelHeight(), s.height() * 17 / 10);
}

}  // namespace
