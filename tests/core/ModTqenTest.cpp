#include "core/ModTqen.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QLineEdit>

using namespace tqen::ModTqen;

namespace {

TEST(MonthRange, CalendarMonthAroundADay) {
    struct Case { QVariant day; QDate first; QDate last; const char *rewritten; } cases[] = {
        {QStringLiteral("2002/2/14"), {2002, 2, 1}, {2002, 2, 28}, "2002/02/14"},
        {QDate(2000, 2, 10), {2000, 2, 1}, {2000, 2, 29}, "2000/02/10"},
        {QStringLiteral("1999/12/31"), {1999, 12, 1}, {1999, 12, 31}, "1999/12/31"},
        {QStringLiteral("2002/04/01"), {2002, 4, 1}, {2002, 4, 30}, "2002/04/01"},
    };
    for (auto &c : cases) {
        QDate first, last;
        MonthRange(c.day, first, last, 0);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(last, c.last);
        EXPECT_EQ(c.day.toString(), QString::fromUtf8(c.rewritten));
    }
}

TEST(MonthRange, EmptyTextChangesNothing) {
    QVariant day = QString();
    QDate first(2001, 1, 1), last(2001, 1, 31);
    MonthRange(day, first, last, 0);
    EXPECT_EQ(first, QDate(2001, 1, 1));
    EXPECT_EQ(last, QDate(2001, 1, 31));
}

TEST(MonthRange, ClosingDayPeriods) {
    struct Case { QDate day; int closing; QDate first; QDate last; } cases[] = {
        {{2002, 2, 14}, 20, {2002, 1, 21}, {2002, 2, 20}},
        {{2002, 2, 21}, 20, {2002, 2, 21}, {2002, 3, 20}},
        {{2002, 2, 20}, 20, {2002, 1, 21}, {2002, 2, 20}},
        {{2002, 3, 1}, 30, {2002, 3, 1}, {2002, 3, 30}},      // February closes on the 28th
        {{2002, 12, 25}, 10, {2002, 12, 11}, {2003, 1, 10}},
    };
    for (const auto &c : cases) {
        QVariant day = c.day;
        QDate first, last;
        MonthRange(day, first, last, c.closing);
        EXPECT_EQ(first, c.first) << c.day.toString(Qt::ISODate).toStdString() << " closing " << c.closing;
        EXPECT_EQ(last, c.last) << c.day.toString(Qt::ISODate).toStdString() << " closing " << c.closing;
    }
}

TEST(CutText, Table) {
    const QString withNul = QStringLiteral("abc") + QChar(0) + QStringLiteral("xyz");
    struct Case { QString text; QVariant sep; int mode; QVariant expected; } cases[] = {
        {withNul, 0, 2, QStringLiteral("abc")},
        {QStringLiteral("abc"), 0, 2, QStringLiteral("abc")},
        {QStringLiteral("Tqendata.mdb    "), QStringLiteral(" "), 2, QStringLiteral("Tqendata.mdb")},
        {QStringLiteral("a=b=c"), QStringLiteral("="), 0, QStringLiteral("b=c")},
        {QStringLiteral("a=b=c"), QStringLiteral("="), 2, QStringLiteral("a")},
        {QStringLiteral("abc"), QStringLiteral("="), 0, QStringLiteral("abc")},
        {QStringLiteral("a=b"), QStringLiteral("="), 1, QVariant()},
    };
    for (const auto &c : cases) EXPECT_EQ(CutText(c.text, c.sep, c.mode), c.expected) << c.text.toStdString();
}

TEST(SetImeOpen, SwitchesTheWindowsInputMethod) {
    QLineEdit edit;
    edit.setInputMethodHints(Qt::ImhNoAutoUppercase);
    SetImeOpen(&edit, false);
    EXPECT_FALSE(ImeOpen(&edit));
    // Off is a preference the input method reads, not a lock: input methods
    // stay enabled, so the user can switch it on by hand, and the widget's
    // other hints stay as they were.
    EXPECT_TRUE(edit.testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(edit.inputMethodHints().testFlag(Qt::ImhPreferLatin));
    EXPECT_TRUE(edit.inputMethodHints().testFlag(Qt::ImhNoAutoUppercase));
    SetImeOpen(&edit, true);
    EXPECT_TRUE(ImeOpen(&edit));
    SetImeOpen(nullptr, true);  // no window: nothing happens
}

}  // namespace

#include "platform/dao/Dao.h"

#include <QFile>
#include <QTemporaryDir>

#include "tests/support/DeliveredFile.h"

namespace {

// The delivered data file, copied into a temporary folder.
using Code = tqen::Error::Code;

class AddCodeNameTest : public tqen::testing::DeliveredFileTest {
protected:
    AddCodeNameTest() : DeliveredFileTest("TqenData.mdb") {}
    QStringList staff() {
        QStringList names;
        auto db = tqen::dao::Database::open(path);
        auto rs = db.openRecordset(QStringLiteral("select * from コードマスタ where kcode = '担当' order by code"));
        while (!rs.eof()) {
            names << rs.field(QStringLiteral("sname")).toString();
            rs.moveNext();
        }
        return names;
    }
};

TEST_F(AddCodeNameTest, FillsTheLowestFreeSlotOnce) {
    ASSERT_EQ(staff().size(), 30);
    EXPECT_TRUE(AddCodeName(path, QStringLiteral("担当"), QStringLiteral("山田")).ok());
    EXPECT_TRUE(AddCodeName(path, QStringLiteral("担当"), QStringLiteral("佐藤 'O'")).ok());
    EXPECT_EQ(AddCodeName(path, QStringLiteral("担当"), QStringLiteral("山田")).code(), Code::AlreadyPresent);
    EXPECT_EQ(AddCodeName(path, QStringLiteral("担当"), QStringLiteral("山田")).code(), Code::AlreadyPresent);
    const QStringList names = staff();
    EXPECT_EQ(names[0], QStringLiteral("山田"));
    EXPECT_EQ(names[1], QStringLiteral("佐藤 'O'"));
    EXPECT_EQ(names[2], QString());
    // Compared unchanged: a trailing blank is another name.
    EXPECT_TRUE(AddCodeName(path, QStringLiteral("担当"), QStringLiteral("山田 ")).ok());
}

TEST_F(AddCodeNameTest, NoFreeSlotWritesNothing) {
    for (int i = 1; i <= 30; ++i)
        ASSERT_TRUE(AddCodeName(path, QStringLiteral("担当"), QStringLiteral("担当者%1").arg(i)).ok());
    EXPECT_EQ(AddCodeName(path, QStringLiteral("担当"), QStringLiteral("31人目")).code(), Code::NoFreeSlot);
    EXPECT_FALSE(staff().contains(QStringLiteral("31人目")));
}

TEST_F(AddCodeNameTest, UnknownClassOrMissingDatabase) {
    EXPECT_EQ(AddCodeName(path, QStringLiteral("担当 "), QStringLiteral("山田")).code(), Code::NoFreeSlot);
    EXPECT_EQ(AddCodeName(path, QStringLiteral("' or ''='"), QStringLiteral("山田")).code(), Code::NoFreeSlot);
    EXPECT_FALSE(staff().contains(QStringLiteral("山田")));
    const QString missing = dir.filePath(QStringLiteral("missing.mdb"));
    EXPECT_EQ(AddCodeName(missing, QStringLiteral("担当"), QStringLiteral("山田")).code(), Code::DatabaseFailed);
    EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
