#include "platform/text/Fold.h"

#include <gtest/gtest.h>

using namespace tqen::text;

namespace {

std::string u8(const QString &s) { return s.toStdString(); }

TEST(Fold, WidthKanaAndCaseFoldToOneForm) {
    const struct Case {
        const char16_t *typed, *folded;
    } cases[] = {
        {u"ｶﾞｲﾄﾞ", u"ガイド"},         // half-width with voiced marks
        {u"がいど", u"ガイド"},         // hiragana
        {u"ガイド", u"ガイド"},
        {u"ﾊﾟｿｺﾝｰ", u"パソコンー"},   // semi-voiced mark, long vowel
        {u"ＡＢＣ１２", u"abc12"},      // full-width Latin and digits
        {u"AbC", u"abc"},
        {u"ゝゞ", u"ヽヾ"},
        {u"見積　書", u"見積 書"},      // ideographic space
        {u"葛\U000E0100城", u"葛城"},   // variation selector dropped
        {u"𠮷野家", u"𠮷野家"},         // outside the BMP kept whole
        {u"", u""},
    };
    for (const Case &c : cases) {
        const QString typed = QString::fromUtf16(c.typed);
        EXPECT_EQ(u8(fold(typed)), u8(QString::fromUtf16(c.folded))) << u8(typed);
        // The mapped fold is the same text, with one origin per unit.
        const Folded m = foldMapped(typed);
        EXPECT_EQ(m.text, fold(typed));
        EXPECT_EQ(m.origin.size(), m.text.size() + 1);
    }
}

TEST(Fold, CodePointsCountSurrogatePairsOnce) {
    EXPECT_EQ(codePoints(QString::fromUtf16(u"𠮷野")), 2);
    EXPECT_EQ(codePoints(QStringLiteral("abc")), 3);
}

TEST(Fold, AMatchLeadsBackToTheOriginalText) {
    const struct Case {
        const char16_t *text, *term;
        qsizetype begin, length;
    } cases[] = {
        {u"資料ｶﾞｲﾄﾞを送付", u"ガイド", 2, 5},  // five half-width units
        {u"資料ｶﾞｲﾄﾞを送付", u"カ", -1, 0},      // ｶﾞ is ガ, not カ
        {u"ＰＣを10台", u"pc", 0, 2},
        {u"見積", u"", -1, 0},
        {u"㌔の道", u"キ", 0, 1},                 // a match inside one character's fold
    };
    for (const Case &c : cases) {
        const Span s = findFolded(QString::fromUtf16(c.text), fold(QString::fromUtf16(c.term)));
        EXPECT_EQ(s.begin, c.begin) << u8(QString::fromUtf16(c.text));
        EXPECT_EQ(s.length, c.length) << u8(QString::fromUtf16(c.text));
    }
}

TEST(Fold, ContextMarksTheMatchAndCutsLongText) {
    EXPECT_EQ(u8(context(QString::fromUtf16(u"資料ｶﾞｲﾄﾞを送付"), fold(QStringLiteral("がいど")))),
              u8(QString::fromUtf16(u"資料【ｶﾞｲﾄﾞ】を送付")));
    EXPECT_EQ(u8(context(QString::fromUtf16(u"一二三四五六七八九十見積一二三四五\n六七"), fold(QStringLiteral("見積")), 3)),
              u8(QString::fromUtf16(u"…八九十【見積】一二三…")));
    EXPECT_EQ(u8(context(QString::fromUtf16(u"行1\n見積\r\n行3"), fold(QStringLiteral("見積")))),
              u8(QString::fromUtf16(u"行1 【見積】  行3")));
    EXPECT_EQ(u8(context(QString::fromUtf16(u"一二三四五見積一二三四五"), fold(QStringLiteral("見積")), 2, 4)),
              u8(QString::fromUtf16(u"…四五【見積】一二三四…")));
    EXPECT_TRUE(context(QStringLiteral("abc"), fold(QStringLiteral("x"))).isEmpty());
}

}  // namespace
