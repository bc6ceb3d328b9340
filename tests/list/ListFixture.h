#pragma once
// The report list on copies of the delivered data files, with the helpers its
// tests share.
#include "platform/forms/FormStack.h"
#include "list/FrmNippoList.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "tests/support/AppFixture.h"
#include "tests/support/Child.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace tqen::testing {

class ListFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        useAppFolderSession();
        session.env.年号 = QStringLiteral("西暦");
        forms::ResetFormStack();
    }
    void TearDown() override {
        if (form) form->unload();
        QApplication::processEvents();
        AppFixture::TearDown();
    }

    void load() {
        form = new FrmNippoList(session);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->Form_Load();
        form->show();
        grid = child<forms::DataGrid>(form, QStringLiteral("Grid日報一覧"));
    }
    forms::DateBox *dateBox(const char *name) { return child<forms::DateBox>(form, QString::fromUtf8(name)); }
    forms::ComboBox *combo(const char *name) { return child<forms::ComboBox>(form, QString::fromUtf8(name)); }
    QPushButton *button(const char *name) { return child<QPushButton>(form, QString::fromUtf8(name)); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    // Reads the list for a period (and staff member and customer).
    void read(const QDate &start, const QDate &end, const QString &staff = {}, const QString &customer = {}) {
        dateBox("txt開始")->setValue(start);
        dateBox("txt終了")->setValue(end);
        combo("cmb担当")->setText(staff);
        combo("cmb顧客名")->setText(customer);
        click("cmd読込");
    }
    // The lines of the grid as "date customer title staff [x]" (the 確認
    // column is read by confirmations()).
    QStringList lines() {
        QStringList out;
        const QAbstractItemModel *m = grid->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 1; c < FrmNippoList::ColConfirm; ++c) cells << m->index(r, c).data().toString();
            if (m->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked) cells << QStringLiteral("x");
            out << cells.join(u' ');
        }
        return out;
    }
    // The 確認 column, line by line.
    QStringList confirmations() {
        QApplication::processEvents();   // the column fills in after the first screen
        QStringList out;
        const QAbstractItemModel *m = grid->model();
        for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, FrmNippoList::ColConfirm).data().toString();
        return out;
    }
    // Ticks a line with the keyboard, as a person does.
    void tick(int row) {
        grid->setFocus();
        grid->setRow(row);
        QTest::keyClick(grid, Qt::Key_Space);
    }
    QStringList reportKeys() {
        QStringList out;
        for (const QVariantMap &r : rows(data(), QStringLiteral("select * from 営業日報 order by 日付, 顧客名, 担当, タイトル")))
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(r.value(QStringLiteral("日付")).toDate().toString(Qt::ISODate),
                            r.value(QStringLiteral("顧客名")).toString(), r.value(QStringLiteral("担当")).toString(),
                            r.value(QStringLiteral("タイトル")).toString());
        return out;
    }

    QPointer<FrmNippoList> form;
    forms::DataGrid *grid = nullptr;
};

}  // namespace tqen::testing
