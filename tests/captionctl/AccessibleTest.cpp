// The caption control as a screen reader and automation see it.
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/MDCaptIds.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>

using namespace tqen::captionctl;

namespace {

TEST(Accessible, TheDefaultActionClicksAndTheNameIsTheCaption) {
    auto *ctrl = new CMDCaptCtrl;
    ctrl->initNew();
    ctrl->putProperty("Caption", "&Name");
    QList<int> events;
    ctrl->advise([&](int dispid, const QString &, const QVariantList &) { events << dispid; });

    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(ctrl);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Name"));
    EXPECT_EQ(a->role(), QAccessible::StaticText);
    QAccessibleActionInterface *actions = a->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_FALSE(actions->actionNames().isEmpty());
    EXPECT_EQ(actions->actionNames().first(), QAccessibleActionInterface::pressAction());
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(events, QList<int>{DISPID_CLICK});

    // Disabled: no click to offer, and none is fired.
    ctrl->setEnabled(false);
    EXPECT_FALSE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(events.size(), 1);
    ctrl->release();
}

TEST(Accessible, AFrameAroundAnotherControlGroupsIt) {
    auto *ctrl = new CMDCaptCtrl;
    ctrl->initNew();
    new QLineEdit(ctrl);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(ctrl)->role(), QAccessible::Grouping);
    ctrl->release();
}

}  // namespace
