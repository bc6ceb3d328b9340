#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/Fonts.h"
#include "platform/forms/Form.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/ScriptedInteraction.h"
#include "platform/forms/TextBox.h"
#include "tests/support/FolderTest.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace tqen::forms;

namespace {

TEST(DateBox, ValueFromEightDigitsNumberOrNull) {
    DateBox box(QStringLiteral("txt日付"));
    box.setValue(QStringLiteral("20020214"));
    EXPECT_EQ(box.Value(), QVariant(QDate(2002, 2, 14)));
    box.setValue(20020301);
    EXPECT_EQ(box.Value(), QVariant(QDate(2002, 3, 1)));
    box.setValue(QVariant());
    EXPECT_TRUE(box.Value().isNull());
    box.setValue(QStringLiteral("20021341"));   // no such day: the box is empty
    EXPECT_TRUE(box.Value().isNull());
    EXPECT_EQ(box.Text(), QString());
}

TEST(DateBox, DisplayAndMonthFormats) {
    DateBox box(QStringLiteral("txt日付"));
    box.setDisplayFormat(QStringLiteral("ggg ee年mm月dd日"));
    box.setMonthFormat(QStringLiteral("ggg ee年mm月"));
    box.setValue(QStringLiteral("20020214"));
    EXPECT_EQ(box.Text(), QStringLiteral("平成 14年02月14日"));
    EXPECT_EQ(box.editor()->text(), QStringLiteral("平成 14年02月14日"));
    box.showCalendar();
    EXPECT_EQ(box.calendarCaption(), QStringLiteral("平成 14年02月"));
    box.calendar()->setCurrentPage(2019, 5);
    EXPECT_EQ(box.calendarCaption(), QStringLiteral("令和 01年05月"));
    box.setDisplayFormat(QStringLiteral("yyyy年mm月dd日"));
    EXPECT_EQ(box.Text(), QStringLiteral("2002年02月14日"));
}

TEST(DateBox, TypingADate) {
    Form form(QStringLiteral("F"));
    auto *box = new DateBox(QStringLiteral("txt日付"), &form);
    auto *other = new QLineEdit(&form);
    box->move(0, 0);
    other->move(0, 40);
    box->setDisplayFormat(QStringLiteral("yyyy年mm月dd日"));
    form.show();
    struct Case { const char *typed; QVariant expected; } cases[] = {
        {"2002/2/14", QDate(2002, 2, 14)},
        {"H14.3.1", QDate(2002, 3, 1)},
        {"20021231", QDate(2002, 12, 31)},
        {"not a date", QDate(2002, 12, 31)},   // a typo leaves the date as it was
        {"", QVariant()},
    };
    for (const auto &c : cases) {
        box->editor()->setFocus();
        box->editor()->selectAll();
        QTest::keyClick(box->editor(), Qt::Key_Delete);
        QTest::keyClicks(box->editor(), QString::fromUtf8(c.typed));
        QTest::keyClick(box->editor(), Qt::Key_Return);
        EXPECT_EQ(box->Value(), c.expected) << c.typed;
    }
}

TEST(DateBox, PickingFromTheCalendar) {
    DateBox box(QStringLiteral("txt開始"));
    box.setValue(QStringLiteral("20020214"));
    box.show();
    box.findChild<QToolButton *>()->click();           // the drop-down button
    ASSERT_NE(box.calendar(), nullptr);
    EXPECT_TRUE(box.calendar()->isVisible());
    EXPECT_EQ(box.calendar()->selectedDate(), QDate(2002, 2, 14));
    emit box.calendar()->clicked(QDate(2002, 2, 20));
    EXPECT_FALSE(box.calendar()->isVisible());
    EXPECT_EQ(box.Value(), QVariant(QDate(2002, 2, 20)));
}

TEST(DateBox, TwipSizes) {
    Form form(QStringLiteral("F"));
    auto *box = new DateBox(QStringLiteral("txt終了"), &form);
    box->setWidthTwips(2010);
    box->setLeftTwips(3100);
    EXPECT_EQ(box->width(), 134);
    EXPECT_EQ(box->x(), 207);
    EXPECT_NEAR(box->widthTwips(), 2010, 15);
    FramedPanel panel(QStringLiteral("imContainer3D9"));
    panel.setWidthTwips(5740);
    EXPECT_NEAR(panel.widthTwips(), 5740, 15);
}

TEST(Controls, ComboTextTextBoxReadOnly) {
    ComboBox combo(QStringLiteral("cmb担当"));
    combo.AddItem(QStringLiteral("山田"));
    combo.AddItem(QStringLiteral("佐藤"));
    combo.setText(QStringLiteral("新人さん"));       // not in the list
    EXPECT_EQ(combo.Text(), QStringLiteral("新人さん"));
    EXPECT_EQ(combo.List(1), QStringLiteral("佐藤"));
    combo.Clear();
    EXPECT_EQ(combo.ListCount(), 0);
    EXPECT_EQ(combo.Text(), QString());

    TextBox memo(QStringLiteral("txtメモ"), true);
    memo.setText(QStringLiteral("一行目\n二行目"));
    EXPECT_EQ(memo.Text(), QStringLiteral("一行目\n二行目"));
    memo.setReadOnly(true);
    EXPECT_TRUE(memo.isReadOnly());
}

TEST(Forms, OpenFormsInOrderAndUnload) {
    auto *a = new Form(QStringLiteral("TqenMain"));
    auto *b = new Form(QStringLiteral("FrmHosyu"));
    ASSERT_GE(openForms().size(), 2);
    EXPECT_EQ(findForm(QStringLiteral("FrmHosyu")), b);
    EXPECT_LT(openForms().indexOf(a), openForms().indexOf(b));
    b->unload();
    EXPECT_EQ(findForm(QStringLiteral("FrmHosyu")), nullptr);
    DoEvents();
    delete a;
    EXPECT_EQ(findForm(QStringLiteral("TqenMain")), nullptr);
}

TEST(Interaction, StylesAndAnswers) {
    struct Case { int style; int defaultAnswer; int closeAnswer; int buttons; } cases[] = {
        {292, mb::IdNo, mb::IdNo, 2}, {36, mb::IdYes, mb::IdNo, 2}, {64, mb::IdOK, mb::IdOK, 1},
        {48, mb::IdOK, mb::IdOK, 1},  {1 | 48, mb::IdOK, mb::IdCancel, 2}, {3 | 512, mb::IdCancel, mb::IdCancel, 3},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(mb::defaultAnswer(c.style), c.defaultAnswer) << c.style;
        EXPECT_EQ(mb::closeAnswer(c.style), c.closeAnswer) << c.style;
        EXPECT_EQ(mb::buttonsOf(c.style).size(), c.buttons) << c.style;
    }
}

class ShellCopy : public tqen::testing::FolderTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FolderTest::SetUp());
        from = dir.filePath(QStringLiteral("元 データ/Tqendata.mdb"));
        to = dir.filePath(QStringLiteral("コピー 先/Tqendata.mdb"));
        QDir().mkpath(QFileInfo(from).path());
        QDir().mkpath(QFileInfo(to).path());
        writeFile(from, "new contents");
    }
    QString from, to;
    ScriptedInteraction script;
    ScopedInteraction scope{&script};
};

TEST_F(ShellCopy, CopiesToANewFileWithoutAsking) {
    EXPECT_EQ(script.shellCopy(nullptr, from, to, QStringLiteral("コピー")), 0);
    EXPECT_EQ(readFile(to), QByteArray("new contents"));
    EXPECT_TRUE(script.shown.isEmpty());
}

TEST_F(ShellCopy, AsksBeforeReplacingAndKeepsTheFileOnNo) {
    writeFile(to, "old contents");
    script.answer(mb::IdNo);
    EXPECT_EQ(script.shellCopy(nullptr, from, to, QStringLiteral("コピー")), 1);
    EXPECT_EQ(readFile(to), QByteArray("old contents"));
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_EQ(script.shown[0].style & 0xf, mb::YesNo);
    script.answer(mb::IdYes);
    EXPECT_EQ(script.shellCopy(nullptr, from, to, QStringLiteral("コピー")), 0);
    EXPECT_EQ(readFile(to), QByteArray("new contents"));
}

TEST_F(ShellCopy, AFailedCopySaysSoAndIsNoSuccess) {
    EXPECT_EQ(script.shellCopy(nullptr, dir.filePath(QStringLiteral("missing.mdb")), to, QStringLiteral("コピー")), 2);
    EXPECT_EQ(script.shellCopy(nullptr, from, dir.filePath(QStringLiteral("no such folder/x.mdb")),
                               QStringLiteral("コピー")),
              2);
    EXPECT_EQ(script.shown.size(), 2);
    EXPECT_FALSE(QFile::exists(to));
}

TEST(Fonts, WindowsNamesResolveToIpaFonts) {
    InstallFontSubstitutions();
    struct Case { const char *name; const char *family; } cases[] = {
        {"ＭＳ Ｐ明朝", "IPAPMincho"}, {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ ゴシック", "IPAGothic"},
        {"MS PMincho", "IPAPMincho"}, {"MS PGothic", "IPAPGothic"},     {"MS Gothic", "IPAGothic"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(resolvedFamily(QString::fromUtf8(c.name)), QString::fromUtf8(c.family)) << c.name;
}

}  // namespace

#include "platform/dao/Dao.h"
#include "platform/forms/DataGrid.h"

namespace {

// A grid bound to a table of a real work database: it shows the rows and
// writes the user's edits (text and tick boxes) back to the table.
TEST(DataGrid, ShowsTheTableAndWritesEditsBack) {
    QTemporaryDir dir;
    const QString work = dir.filePath(QStringLiteral("TqenWork.mdb"));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenWork.mdb"), work));
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
    {
        auto db = tqen::dao::Database::open(work);
        ASSERT_TRUE(db.execute(QStringLiteral(
            "insert into w日報一覧 (日付, 顧客名, タイトル, 担当) select '2002-02-14', '山田商店', '一件目', '佐藤'")));
        ASSERT_TRUE(db.execute(QStringLiteral(
            "insert into w日報一覧 (日付, 顧客名, タイトル, 担当) select '2002-02-15', '青木工業', '二件目', '鈴木'")));
    }
    DataControl data(QStringLiteral("dat日報一覧"));
    data.DatabaseName = work;
    data.RecordSource = QStringLiteral("w日報一覧");
    DataGrid grid(QStringLiteral("Grid日報一覧"), &data,
                  {{QStringLiteral("チェック"), QStringLiteral("削除"), true, false, {}, 0},
                   {QStringLiteral("日付"), QStringLiteral("日付"), false, true, QStringLiteral("gee/mm/dd"), 0},
                   {QStringLiteral("タイトル"), QStringLiteral("タイトル"), false, false, {}, 0}});
    EXPECT_TRUE(grid.Columns(0).isNull());      // no current row before the first refresh
    data.Refresh();
    ASSERT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.ColumnText(1), QStringLiteral("H14/02/14"));
    grid.setNumberFormat(1, QStringLiteral("yy/mm/dd"));
    EXPECT_EQ(grid.ColumnText(1), QStringLiteral("02/02/14"));

    QAbstractItemModel *m = grid.model();
    EXPECT_TRUE(m->setData(m->index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(m->setData(m->index(0, 2), QStringLiteral("直した題"), Qt::EditRole));
    EXPECT_FALSE(m->setData(m->index(0, 1), QStringLiteral("x"), Qt::CheckStateRole));

    auto db = tqen::dao::Database::open(work);
    auto ticked = db.openRecordset(QStringLiteral("select * from w日報一覧 where チェック = True"));
    ASSERT_FALSE(ticked.eof());
    EXPECT_EQ(ticked.field(QStringLiteral("顧客名")), QVariant(QStringLiteral("青木工業")));
    ticked.moveNext();
    EXPECT_TRUE(ticked.eof());
    auto edited = db.openRecordset(QStringLiteral("select * from w日報一覧 where タイトル = '直した題'"));
    EXPECT_FALSE(edited.eof());

    // Walking every row ends past the last one.
    grid.MoveFirst();
    int walked = 0;
    while (!grid.EOF_()) {
        ++walked;
        grid.MoveNext();
    }
    EXPECT_EQ(walked, 2);
}

// A data control with a FetchSize reads a part of the table at a time, as
// the grid scrolls; rows filled in while it asks for more show in their
// place, and walking and editing reach rows not read at first.
TEST(DataGrid, ReadsTheTableInPartsAsItScrolls) {
    QTemporaryDir dir;
    const QString work = dir.filePath(QStringLiteral("TqenWork.mdb"));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenWork.mdb"), work));
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
    const auto add = [&](int from, int to) {
        auto db = tqen::dao::Database::open(work);
        db.beginTrans();
        for (int i = from; i < to; ++i)
            ASSERT_TRUE(db.execute(QStringLiteral("insert into w日報一覧 (タイトル) values ('%1')").arg(i)));
        ASSERT_TRUE(db.commitTrans());
    };
    add(0, 250);
    DataControl data(QStringLiteral("dat日報一覧"));
    data.DatabaseName = work;
    data.RecordSource = QStringLiteral("w日報一覧");
    data.FetchSize = 100;
    DataGrid grid(QStringLiteral("Grid日報一覧"), &data,
                  {{QStringLiteral("チェック"), QStringLiteral("削除"), true, false, {}, 0},
                   {QStringLiteral("タイトル"), QStringLiteral("タイトル"), false, true, {}, 0}});
    // The first time more is asked for, the table gets its last rows.
    int asked = 0;
    QObject::connect(&data, &DataControl::aboutToFetch, [&] {
        if (asked++ == 0) add(250, 260);
    });
    const auto titles = [&] {
        QStringList out;
        for (int r = 0; r < grid.model()->rowCount(); ++r) out << grid.model()->index(r, 1).data().toString();
        return out;
    };
    QStringList all;
    for (int i = 0; i < 260; ++i) all << QString::number(i);

    data.Refresh();
    EXPECT_EQ(titles(), all.mid(0, 100));
    ASSERT_TRUE(grid.model()->canFetchMore({}));
    grid.model()->fetchMore({});
    EXPECT_EQ(titles(), all.mid(0, 200));
    grid.model()->fetchMore({});
    EXPECT_EQ(titles(), all);
    EXPECT_FALSE(grid.model()->canFetchMore({}));
    EXPECT_EQ(asked, 2);

    // A tick on a row read late lands on that row.
    EXPECT_TRUE(grid.model()->setData(grid.model()->index(255, 0), Qt::Checked, Qt::CheckStateRole));
    auto db = tqen::dao::Database::open(work);
    auto ticked = db.openRecordset(QStringLiteral("select * from w日報一覧 where チェック = True"));
    ASSERT_FALSE(ticked.eof());
    EXPECT_EQ(ticked.field(QStringLiteral("タイトル")), QVariant(QStringLiteral("255")));

    // Walking from a fresh read reaches every row.
    data.Refresh();
    EXPECT_EQ(grid.RowCount(), 100);
    int walked = 0;
    for (grid.MoveFirst(); !grid.EOF_(); grid.MoveNext()) ++walked;
    EXPECT_EQ(walked, 260);
}

// Another writer changes the table between the grid's refresh and the user's
// edit: the edit lands on the row the grid shows, or is refused with a message
// when that row is gone, and then nothing is written.
TEST(DataGrid, EditsLandOnTheRowShownAfterOthersChangedTheTable) {
    QTemporaryDir dir;
    const QString work = dir.filePath(QStringLiteral("TqenWork.mdb"));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenWork.mdb"), work));
    QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
    const auto titles = [&] {
        auto db = tqen::dao::Database::open(work);
        QStringList out;
        for (auto rs = db.openRecordset(QStringLiteral("select * from w日報一覧")); !rs.eof(); rs.moveNext())
            out << rs.field(QStringLiteral("タイトル")).toString();
        return out;
    };
    struct Case {
        const char *name;
        std::vector<const char *> otherWriter;  // what another writer runs after the refresh
        int row;                  // the row the user edits (A, B, C on the screen)
        QStringList after;        // the table afterwards
        bool refused;
    };
    const Case cases[] = {
        {"a row above was deleted", {"delete * from w日報一覧 where タイトル = 'A'"}, 1, {"B!", "C"}, false},
        {"a row was added", {"insert into w日報一覧 (タイトル) values ('D')"}, 2, {"A", "B", "C!", "D"}, false},
        {"the row itself was deleted", {"delete * from w日報一覧 where タイトル = 'B'"}, 1, {"A", "C"}, true},
        {"the row was changed", {"update w日報一覧 set 顧客名 = '別' where タイトル = 'B'"}, 1, {"A", "B", "C"}, true},
        // The new rows take the old rows' places.
        {"the table was filled anew",
         {"delete * from w日報一覧", "insert into w日報一覧 (タイトル) values ('X'), ('Y'), ('Z')"}, 0, {"X", "Y", "Z"}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        {
            auto db = tqen::dao::Database::open(work);
            ASSERT_TRUE(db.execute(QStringLiteral("delete * from w日報一覧")));
            ASSERT_TRUE(db.execute(QStringLiteral("insert into w日報一覧 (タイトル) values ('A'), ('B'), ('C')")));
        }
        DataControl data(QStringLiteral("dat日報一覧"));
        data.DatabaseName = work;
        data.RecordSource = QStringLiteral("w日報一覧");
        DataGrid grid(QStringLiteral("Grid日報一覧"), &data, {{QStringLiteral("タイトル"), QStringLiteral("タイトル"), false, false, {}, 0}});
        data.Refresh();
        {
            auto db = tqen::dao::Database::open(work);
            for (const char *sql : c.otherWriter) ASSERT_TRUE(db.execute(QString::fromUtf8(sql)));
        }
        ScriptedInteraction script;
        ScopedInteraction scope{&script};
        QAbstractItemModel *m = grid.model();
        const QString shown = m->data(m->index(c.row, 0), Qt::DisplayRole).toString();
        const bool written = m->setData(m->index(c.row, 0), shown + u'!', Qt::EditRole);
        EXPECT_EQ(written, !c.refused);
        if (c.refused) {
            ASSERT_EQ(script.shown.size(), 1);
            EXPECT_EQ(script.shown[0].prompt, data.lastError().message());
            EXPECT_EQ(data.lastError().code(), tqen::Error::Code::NotFound);
            EXPECT_EQ(m->data(m->index(c.row, 0), Qt::DisplayRole).toString(), shown);
        } else {
            EXPECT_TRUE(script.shown.isEmpty());
            EXPECT_EQ(m->data(m->index(c.row, 0), Qt::DisplayRole).toString(), shown + u'!');
        }
        EXPECT_EQ(titles(), c.after);
    }
}

}  // namespace
