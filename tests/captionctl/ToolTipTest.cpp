// The tooltip's states, timing and look, with a controllable clock.
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/CaptionToolTip.h"
#include "captionctl/MDCaptIds.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

using namespace tqen::captionctl;
using TT = CaptionToolTip;

namespace {

class ToolTipTest : public ::testing::Test {
protected:
    void SetUp() override {
        TT::setState(TT::Idle);
        TT::setLastHideTime(0);
        TT::setLastUnderMouse(nullptr);
        TT::setClock([this] { return clock; });
        ctrl = new CMDCaptCtrl(&form);
        ctrl->setGeometry(10, 10, 100, 40);
        other = new QWidget(&form);
        other->setGeometry(10, 100, 100, 40);
        form.resize(300, 200);
        form.show();
        ctrl->putProperty("ToolTip", "ヒント");
        TT::setCursorSource([this] { return ctrl->mapToGlobal(cursorInControl); });
    }
    void TearDown() override {
        TT::setClock({});
        TT::setCursorSource({});
    }
    QWidget form;
    CMDCaptCtrl *ctrl = nullptr;
    QWidget *other = nullptr;
    qint64 clock = 1000;
    QPoint cursorInControl{50, 20};
};

TEST_F(ToolTipTest, ShowHideSuppressAndRelease) {
    ctrl->toolTipMouseMove();
    EXPECT_EQ(TT::state(), TT::Pending);
    EXPECT_TRUE(ctrl->toolTipTimerActive());
    EXPECT_EQ(ctrl->toolTipTimerInterval(), 1000);
    ctrl->toolTipTimer();
    EXPECT_EQ(TT::state(), TT::Shown);
    ASSERT_NE(TT::box(), nullptr);
    EXPECT_EQ(TT::box()->geometry().topLeft(), ctrl->mapToGlobal(cursorInControl) + QPoint(10, 18));
    // Moving within the control hides it until the mouse leaves.
    ctrl->toolTipMouseMove();
    EXPECT_EQ(TT::state(), TT::Suppressed);
    EXPECT_EQ(TT::box(), nullptr);
    EXPECT_EQ(TT::lastHideTime(), 1000);
    ctrl->toolTipMouseMove();
    EXPECT_EQ(TT::state(), TT::Suppressed);
    EXPECT_FALSE(ctrl->toolTipTimerActive());
    TT::mouseMessage(ctrl, TT::Move);  // still over the control
    EXPECT_EQ(TT::state(), TT::Suppressed);
    TT::mouseMessage(other, TT::Move);  // the mouse went elsewhere
    EXPECT_EQ(TT::state(), TT::Idle);
    // Back within the same second: 250 ms.
    ctrl->toolTipMouseMove();
    EXPECT_EQ(ctrl->toolTipTimerInterval(), 250);
    TT::mouseMessage(other, TT::Move);
    EXPECT_EQ(TT::state(), TT::Idle);
    EXPECT_FALSE(ctrl->toolTipTimerActive());
    clock += 1;  // a second later: 1000 ms again
    ctrl->toolTipMouseMove();
    EXPECT_EQ(ctrl->toolTipTimerInterval(), 1000);
}

TEST_F(ToolTipTest, AfterAClickTheNextTipWaitsTheFullSecond) {
    // Hidden by a click on the control: no quicker re-show.
    ctrl->toolTipMouseMove();
    ctrl->toolTipTimer();
    ASSERT_EQ(TT::state(), TT::Shown);
    TT::mouseMessage(ctrl, TT::LeftButtonDown);  // the watcher sees the press first
    ctrl->toolTipLeftDown();
    EXPECT_EQ(TT::state(), TT::Suppressed);
    EXPECT_EQ(TT::box(), nullptr);
    EXPECT_EQ(TT::lastHideTime(), 0);
    TT::mouseMessage(other, TT::Move);
    ctrl->toolTipMouseMove();  // back within the same second
    EXPECT_EQ(ctrl->toolTipTimerInterval(), 1000);
    // Hidden by a press of another button elsewhere: the same.
    ctrl->toolTipTimer();
    ASSERT_EQ(TT::state(), TT::Shown);
    TT::mouseMessage(other, TT::OtherButton);
    EXPECT_EQ(TT::lastHideTime(), 0);
    // Hidden by the mouse moving on: the next one comes after 250 ms.
    TT::mouseMessage(other, TT::Move);
    ctrl->toolTipMouseMove();
    ctrl->toolTipTimer();
    TT::mouseMessage(other, TT::Move);
    EXPECT_EQ(TT::lastHideTime(), 1000);
    TT::mouseMessage(other, TT::Move);
    ctrl->toolTipMouseMove();
    EXPECT_EQ(ctrl->toolTipTimerInterval(), 250);
}

TEST_F(ToolTipTest, WatcherHidesAShownTipWhereverTheMouseGoes) {
    ctrl->toolTipMouseMove();
    ctrl->toolTipTimer();
    ASSERT_EQ(TT::state(), TT::Shown);
    TT::mouseMessage(other, TT::Move);
    EXPECT_EQ(TT::state(), TT::Suppressed);
    EXPECT_EQ(TT::box(), nullptr);
    EXPECT_EQ(TT::lastHideTime(), 1000);
    TT::mouseMessage(other, TT::Move);
    EXPECT_EQ(TT::state(), TT::Idle);
    EXPECT_TRUE(TT::watcherInstalled());
}

TEST_F(ToolTipTest, ClickAndCursorOutsideAndConditions) {
    ctrl->toolTipMouseMove();
    ctrl->toolTipLeftDown();
    EXPECT_EQ(TT::state(), TT::Suppressed);
    EXPECT_FALSE(ctrl->toolTipTimerActive());
    TT::mouseMessage(other, TT::Move);
    ctrl->toolTipMouseMove();
    cursorInControl = QPoint(150, 20);  // left before the timer fired
    ctrl->toolTipTimer();
    EXPECT_EQ(TT::state(), TT::Idle);
    EXPECT_EQ(TT::box(), nullptr);
    ctrl->putProperty("ToolTip", "");
    ctrl->toolTipMouseMove();
    EXPECT_EQ(TT::state(), TT::Idle);
    ctrl->putProperty("ToolTip", "x");
    ctrl->setEnabled(false);
    ctrl->toolTipMouseMove();
    EXPECT_EQ(TT::state(), TT::Idle);
    ctrl->setEnabled(true);
    ctrl->setAmbient({tqen::com::ContainerUnits::Twips, true, true, {}});  // UI dead
    ctrl->toolTipMouseMove();
    EXPECT_EQ(TT::state(), TT::Idle);
}

TEST_F(ToolTipTest, OneTipForAllControls) {
    auto *second = new CMDCaptCtrl(&form);
    second->setGeometry(150, 10, 100, 40);
    second->putProperty("ToolTip", "two");
    ctrl->toolTipMouseMove();
    TT::mouseMessage(second, TT::Move);  // on to the second control
    EXPECT_EQ(TT::state(), TT::Idle);
    EXPECT_FALSE(ctrl->toolTipTimerActive());
    second->toolTipMouseMove();
    EXPECT_EQ(TT::state(), TT::Pending);
    EXPECT_TRUE(second->toolTipTimerActive());
}

TEST(ToolTipBox, PlaceClampedAtTheScreenEdges) {
    const QRect screen(0, 0, 800, 600);
    const QSize box(100, 20);
    struct Case { QPoint cursor; QPoint origin; } cases[] = {
        {{100, 100}, {110, 118}},
        {{750, 100}, {700, 118}},  // ends 0 px from the right edge
        {{100, 590}, {110, 580}},  // ends at the bottom edge
        {{799, 599}, {700, 580}},
    };
    for (const auto &c : cases) EXPECT_EQ(TT::boxOrigin(c.cursor, box, screen), c.origin);
}

TEST(ToolTipBox, LookBlackFrameYellowInside) {
    const QSize box = TT::boxSize("ヒント");
    const QFontMetrics fm(TT::font());
    EXPECT_EQ(box, QSize(fm.size(0, "ヒント").width() + 8, fm.height() + 6));
    EXPECT_EQ(TT::font().pixelSize(), 12);
    QImage img(box, QImage::Format_RGB32);
    QPainter p(&img);
    TT::paintBox(p, box, "ヒント");
    p.end();
    for (QPoint pt : {QPoint(0, 0), QPoint(box.width() - 1, 0), QPoint(0, box.height() - 1),
                      QPoint(box.width() - 1, box.height() - 1)})
        EXPECT_EQ(img.pixelColor(pt), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(1, 1), QColor(255, 255, 128));
    EXPECT_EQ(img.pixelColor(2, box.height() - 2), QColor(255, 255, 128));
    if (qEnvironmentVariableIsSet("TQEN_SHOTS"))
        img.scaled(box * 4).save(qEnvironmentVariable("TQEN_SHOTS") + "/tooltip.png");
}

}  // namespace
