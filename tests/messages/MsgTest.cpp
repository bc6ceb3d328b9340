#include "messages/Msg.h"

#include "platform/forms/ScriptedInteraction.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tqen;
using tqen::forms::ScriptedInteraction;
namespace mb = tqen::forms::mb;

namespace {

struct CatalogueCase {
    const char *group;
    const char *kind;
    const char *subject;
    const char *prompt;
    const char *title;
    int style;
};

// Every row of the catalogue, with the style number it shows.
const CatalogueCase kRows[] = {
    {"登録", "確認", "営業日報", "営業日報 を登録します。よろしいですか", "登録の確認", 36},
    {"登録", "完了", "営業日報", "営業日報 を登録しました。", "登録完了", 64},
    {"登録", "チェック", "x", "入力必須項目が空白です。", "入力項目のチェック", 64},
    {"削除", "確認", "ヒント", "すべてのデータを削除します。よろしいですか", "削除の確認", 292},
    {"削除", "完了", "ヒント", "データ ヒント を削除しました。", "削除の完了", 64},
    {"削除", "伝票確認2", "平成 14年02月14日の山田商店", "平成 14年02月14日の山田商店 を削除します。よろしいですか",
     "削除の確認", 292},
    {"削除", "伝票完了2", "指定された営業日報", "指定された営業日報 を削除しました。", "削除の完了", 64},
    {"入力", "区分なし", "", "区分が指定されていません。区分を指定してください", "入力注意", 48},
    {"その他", "コピー完了", "/tmp/a.mdb に", "/tmp/a.mdb にコピーしました。", "コピー完了", 64},
    {"その他", "読込み完了", "/data/TqenData.mdb に", "/data/TqenData.mdb に読込みしました。", "読込完了", 64},
};

TEST(MessageCatalogue, EveryRowShowsItsTextTitleAndStyle) {
    for (const auto &c : kRows) {
        ScriptedInteraction script;
        forms::ScopedInteraction scope(&script);
        MSG::ShowMessage(QString::fromUtf8(c.group), QString::fromUtf8(c.kind), QString::fromUtf8(c.subject));
        ASSERT_EQ(script.shown.size(), 1) << c.group << "/" << c.kind;
        EXPECT_EQ(script.shown[0].prompt, QString::fromUtf8(c.prompt));
        EXPECT_EQ(script.shown[0].title, QString::fromUtf8(c.title));
        EXPECT_EQ(script.shown[0].style, c.style) << c.group << "/" << c.kind;
    }
}

TEST(MessageCatalogue, EnterPressesTheDefaultButton) {
    for (const auto &c : kRows) {
        ScriptedInteraction script;
        forms::ScopedInteraction scope(&script);
        script.answer(ScriptedInteraction::Enter);
        const bool yes =
            MSG::ShowMessage(QString::fromUtf8(c.group), QString::fromUtf8(c.kind), QString::fromUtf8(c.subject));
        // Only the registration question has Yes as its default.
        EXPECT_EQ(yes, c.style == 36) << c.group << "/" << c.kind;
    }
}

TEST(MessageCatalogue, QuestionsAnswerTrueOnlyOnYes) {
    struct Case { int press; bool expected; } cases[] = {
        {mb::IdYes, true}, {mb::IdNo, false}, {mb::IdCancel, false}, {mb::IdOK, false}};
    for (const auto &c : cases) {
        ScriptedInteraction script;
        forms::ScopedInteraction scope(&script);
        script.answer(c.press);
        EXPECT_EQ(MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), QStringLiteral("x")),
                  c.expected);
    }
    // A notice answers false even when closed with OK.
    ScriptedInteraction script;
    forms::ScopedInteraction scope(&script);
    script.answer(mb::IdOK);
    EXPECT_FALSE(MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("完了"), QStringLiteral("x")));
}

TEST(MessageCatalogue, UnknownGroupOrKindShowsNothing) {
    struct Case { const char *group; const char *kind; } cases[] = {
        {"登録", "標準完了"}, {"転記", "確認"}, {"行指定", "確認"}, {"クリア", "確認"},
        {"印刷", "確認"},     {"不明", "確認"}, {"", ""},          {"登録 ", "確認"},
    };
    for (const auto &c : cases) {
        ScriptedInteraction script;
        forms::ScopedInteraction scope(&script);
        script.answer(mb::IdYes);
        EXPECT_FALSE(MSG::ShowMessage(QString::fromUtf8(c.group), QString::fromUtf8(c.kind), QStringLiteral("x")));
        EXPECT_TRUE(script.shown.isEmpty()) << c.group << "/" << c.kind;
    }
}

TEST(MessageCatalogue, RegistrationGroupCalledDirectly) {
    ScriptedInteraction script;
    forms::ScopedInteraction scope(&script);
    EXPECT_FALSE(MSG::Msg登録(QStringLiteral("チェック"), QString()));
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("入力必須項目が空白です。"));
}

TEST(MonthHelpers, DaysInMonth) {
    struct Case { QVariant text; int days; const char *rewritten; } cases[] = {
        {QStringLiteral("2000/02/10"), 29, "2000/02/10"},
        {QStringLiteral("1900/02/10"), 28, "1900/02/10"},
        {QStringLiteral("2002/2/14"), 28, "2002/02/14"},
        {QStringLiteral("2002/01/05"), 31, "2002/01/05"},
        {QStringLiteral("2002/04/05"), 30, "2002/04/05"},
        {QStringLiteral("2002/11/30"), 30, "2002/11/30"},
        {QStringLiteral("2002/12/01"), 31, "2002/12/01"},
        {QDate(2004, 2, 1), 29, "2004/02/01"},
        {QStringLiteral("20020214"), 28, "2002/02/14"},
        {QStringLiteral(""), 0, ""},
        {QVariant(), 0, ""},
        {QStringLiteral("xx/99/01"), 30, "xx/99/01"},
    };
    for (auto &c : cases) {
        const QString before = c.text.toString();
        EXPECT_EQ(MSG::DaysInMonth(c.text), c.days) << before.toStdString();
        EXPECT_EQ(c.text.toString(), QString::fromUtf8(c.rewritten)) << before.toStdString();
    }
}

TEST(MonthHelpers, FirstAndLastDayOfThisMonth) {
    const QDate today = QDate::currentDate();
    EXPECT_EQ(MSG::FirstDayOfMonth(), QDate(today.year(), today.month(), 1));
    EXPECT_EQ(MSG::LastDayOfMonth(), QDate(today.year(), today.month(), today.daysInMonth()));
}

}  // namespace
