// The stack of the forms that opened another one.
#include "platform/forms/FormStack.h"

#include "platform/forms/Form.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tqen::forms;

namespace {

class FormStackTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFormStack(); }
    void TearDown() override { ResetFormStack(); }
};

TEST_F(FormStackTest, SixthPushDropsTheOldest) {
    for (const char *name : {"F1", "F2", "F3", "F4", "F5", "F6"})
        EXPECT_EQ(FormStack(QStringLiteral("PUSH"), QString::fromUtf8(name)), QVariant(true));
    EXPECT_EQ(FormStackEntries(), (QStringList{"F6", "F5", "F4", "F3", "F2"}));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(FormStack(QStringLiteral("POP"), QStringLiteral("x")), QVariant(true));
    EXPECT_EQ(FormStack(QStringLiteral("POP"), QStringLiteral("x")), QVariant(false));
}

TEST_F(FormStackTest, PopRestoresTheGivenFormOrShowsTheMainScreen) {
    Form main(QStringLiteral("TqenMain"));
    Form list(QStringLiteral("FrmNippoList"));
    main.showMinimized();
    list.hide();
    FormStack(QStringLiteral("PUSH"), QStringLiteral("FrmNippoList"));
    // The form given comes back in its normal state, not the name popped.
    EXPECT_EQ(FormStack(QStringLiteral("POP"), QStringLiteral("TqenMain")), QVariant(true));
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(main.isMinimized());
    EXPECT_FALSE(list.isVisible());
    main.hide();
    // Empty stack: the main screen comes back and the answer is false.
    EXPECT_EQ(FormStack(QStringLiteral("POP"), QStringLiteral("FrmNippoList")), QVariant(false));
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(FormStackEntries(), QStringList(5, QString()));
}

TEST_F(FormStackTest, EmptyNameDoesNothing) {
    FormStack(QStringLiteral("PUSH"), QStringLiteral("A"));
    EXPECT_TRUE(FormStack(QStringLiteral("POP"), QString()).isNull());
    EXPECT_TRUE(FormStack(QStringLiteral("PUSH"), QString()).isNull());
    EXPECT_EQ(FormStackEntries().first(), QStringLiteral("A"));
}

}  // namespace
