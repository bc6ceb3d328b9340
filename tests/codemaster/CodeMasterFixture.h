#pragma once
// The code table form on copies of the delivered data files.
#include "codemaster/FrmCodeMaster.h"
#include "core/ModTqen.h"
#include "platform/forms/FormStack.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "tests/support/AppFixture.h"
#include "tests/support/Child.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace tqen::testing {

class CodeMasterFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        useAppFolderSession();
        forms::ResetFormStack();
    }
    void TearDown() override {
        if (form) form->unload();
        QApplication::processEvents();
        AppFixture::TearDown();
    }

    // Names the staff class as a list of code → name (cnt = the code's number).
    void setStaff(const QList<std::pair<QString, QVariant>> &names) {
        for (const auto &[code, name] : names)
            onData(QStringLiteral("update コードマスタ set sname = %1 where kcode = '担当' and code = '%2'")
                       .arg(name.isNull() ? QStringLiteral("NULL") : dao::sqlText(name.toString()), code));
    }
    // The staff class as code → name ("" for a free slot), in code order.
    QList<std::pair<QString, QString>> staff() {
        QList<std::pair<QString, QString>> out;
        for (const QVariantMap &r : rows(data(), QStringLiteral("select * from コードマスタ where kcode = '担当' order by code")))
            out.append({r.value(QStringLiteral("code")).toString(),
                        r.value(QStringLiteral("sname")).isNull() ? QString() : r.value(QStringLiteral("sname")).toString()});
        return out;
    }
    QList<QVariantMap> workRows() { return rows(work(), QStringLiteral("select * from wコードマスタ order by 行番号")); }

    void load() {
        form = new FrmCodeMaster(session);
        form->Form_Load();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        grid = child<forms::DataGrid>(form, QStringLiteral("Gridコードマスタ"));
    }
    QPushButton *button(const char *name) { return child<QPushButton>(form, QString::fromUtf8(name)); }
    void key(int k) { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form.data(), Qt::Key(k)); }
    // Japanese text arrives from the input method as a committed string.
    static void commit(QWidget *w, const QString &text) {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(w, &e);
    }
    // Types a name into a line of the grid the way a person does: the cell
    // becomes current and is opened (as a double click does), the old text
    // is selected and deleted, the new text comes in, Enter.
    void typeName(int row, const QString &name) {
        grid->setFocus();
        grid->setRow(row);
        grid->setCol(FrmCodeMaster::ColName);
        const QModelIndex at = grid->model()->index(row, FrmCodeMaster::ColName);
        grid->edit(at);
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(at));
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        if (!name.isEmpty()) commit(editor, name);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    void clickCell(int row, int col) {
        const QRect r = grid->visualRect(grid->model()->index(row, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    }

    QPointer<FrmCodeMaster> form;
    forms::DataGrid *grid = nullptr;
};

}  // namespace tqen::testing
