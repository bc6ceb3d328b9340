// The grid's events: a form sees each edit before it is stored and each key
// before the grid or its cell editor acts on it.
#include "platform/dao/Dao.h"
#include "platform/forms/DataGrid.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace tqen::forms;

namespace {

class GridEvents : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        work = dir.filePath(QStringLiteral("TqenWork.mdb"));
        ASSERT_TRUE(QFile::copy(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/TqenWork.mdb"), work));
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner);
        auto db = tqen::dao::Database::open(work);
        for (const char *name : {"山田商店", "青木工業"})
            ASSERT_TRUE(db.execute(QStringLiteral("insert into w顧客マスタ (名称, ふりがな) select '%1', 'よみ'").arg(QString::fromUtf8(name))));
        db.close();
        data.DatabaseName = work;
        data.RecordSource = QStringLiteral("w顧客マスタ");
        GridColumn tick{QStringLiteral("チェック"), QStringLiteral("削除"), true, false, {}, 0};
        tick.tickByForm = true;
        grid = std::make_unique<DataGrid>(
            QStringLiteral("Grid顧客"), &data,
            QList<GridColumn>{tick,
                              {QStringLiteral("名称"), QStringLiteral("名称"), false, false, {}, 0},
                              {QStringLiteral("ふりがな"), QStringLiteral("ふりがな"), false, false, {}, 0}});
        data.Refresh();
        grid->resize(400, 200);
        grid->show();
    }
    QVariant stored(int row, const char *field) {
        auto db = tqen::dao::Database::open(work);
        auto rs = db.openRecordset(QStringLiteral("select * from w顧客マスタ"));
        for (int i = 0; i < row; ++i) rs.moveNext();
        return rs.field(QString::fromUtf8(field));
    }
    bool edit(int row, int col, const QVariant &v) {
        return grid->model()->setData(grid->model()->index(row, col), v, Qt::EditRole);
    }

    QTemporaryDir dir;
    QString work;
    DataControl data{QStringLiteral("dat顧客")};
    std::unique_ptr<DataGrid> grid;
};

TEST_F(GridEvents, ColumnAndRowUpdatesSeeTheEditFirst) {
    QList<int> colEvents, after;
    QObject::connect(grid.get(), &DataGrid::BeforeColUpdate, [&](int col, const QVariant &old, QVariant *value, bool *cancel) {
        colEvents << col;
        if (value->toString() == QStringLiteral("だめ")) *cancel = true;
        if (value->toString() == QStringLiteral("小文字")) *value = old.toString() + QStringLiteral("様");
    });
    QObject::connect(grid.get(), &DataGrid::BeforeUpdate, [&](int, QVariantList *cells, bool *cancel) {
        // The row rule: a name without a reading gets its name as reading.
        if ((*cells)[2].toString().isEmpty()) (*cells)[2] = (*cells)[1];
        if ((*cells)[1].toString() == QStringLiteral("取消")) *cancel = true;
    });
    QObject::connect(grid.get(), &DataGrid::AfterUpdate, [&](int row) { after << row; });

    EXPECT_FALSE(edit(0, 1, QStringLiteral("だめ")));
    EXPECT_EQ(stored(0, "名称"), QVariant(QStringLiteral("山田商店")));
    EXPECT_TRUE(edit(0, 1, QStringLiteral("小文字")));
    EXPECT_EQ(stored(0, "名称"), QVariant(QStringLiteral("山田商店様")));
    EXPECT_FALSE(edit(1, 1, QStringLiteral("取消")));
    EXPECT_EQ(stored(1, "名称"), QVariant(QStringLiteral("青木工業")));
    EXPECT_TRUE(edit(1, 2, QString()));
    EXPECT_EQ(stored(1, "ふりがな"), QVariant(QStringLiteral("青木工業")));
    EXPECT_EQ(colEvents, (QList<int>{1, 1, 1, 2}));
    EXPECT_EQ(after, (QList<int>{0, 1}));
    // The grid shows what was stored.
    grid->setRow(1);
    EXPECT_EQ(grid->ColumnText(2), QStringLiteral("青木工業"));
}

// A tick the form flips itself: the grid reports the click and leaves the
// value alone; the form stores it through the same events.
TEST_F(GridEvents, ATickOfTheFormIsNotFlippedByTheGrid) {
    int clicks = 0;
    QObject::connect(grid.get(), &DataGrid::Click, [&] { ++clicks; });
    const QRect cell = grid->visualRect(grid->model()->index(1, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(stored(1, "チェック"), QVariant(false));
    EXPECT_TRUE(grid->setColumnValue(0, true));
    EXPECT_EQ(stored(1, "チェック"), QVariant(true));
}

TEST_F(GridEvents, KeysReachTheFormBeforeTheGridAndTheCellEditor) {
    QList<int> downs;
    QStringList presses;
    QObject::connect(grid.get(), &DataGrid::KeyDown, [&](int key, Qt::KeyboardModifiers, bool *consumed) {
        downs << key;
        if (key == Qt::Key_Return || key == Qt::Key_Down) *consumed = true;
    });
    QObject::connect(grid.get(), &DataGrid::KeyPress, [&](const QString &text, bool *consumed) {
        presses << text;
        if (text == QStringLiteral("#")) *consumed = true;
    });
    grid->setFocus();
    grid->setRow(0);
    grid->setCol(1);
    QTest::keyClick(grid.get(), Qt::Key_Down);       // consumed: the row stays
    EXPECT_EQ(grid->Row(), 0);
    QTest::keyClick(grid.get(), '#');                // consumed: no editor opens
    EXPECT_EQ(grid->indexWidget(grid->model()->index(0, 1)), nullptr);
    QTest::keyClick(grid.get(), 'a');                // opens the editor with "a"
    auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->model()->index(0, 1)));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("a"));
    QTest::keyClick(editor, 'b');
    QTest::keyClick(editor, Qt::Key_Return);         // consumed: nothing is stored yet
    EXPECT_EQ(stored(0, "名称"), QVariant(QStringLiteral("山田商店")));
    EXPECT_EQ(editor->text(), QStringLiteral("ab"));
    grid->Update();                                   // the form commits when it wants
    EXPECT_EQ(stored(0, "名称"), QVariant(QStringLiteral("ab")));
    EXPECT_EQ(downs, (QList<int>{Qt::Key_Down, '#', 'A', 'B', Qt::Key_Return}));
    EXPECT_EQ(presses, (QStringList{QStringLiteral("#"), QStringLiteral("a"), QStringLiteral("b")}));
}

}  // namespace
